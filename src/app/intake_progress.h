#pragma once
// The intake's progress line on a terminal: employers done of all, the ones running, the time left.
// Rewritten in place on standard error; silent when standard error is not a terminal. A plain line:
// Debian packages no C++ library for terminal progress bars.
#include <chrono>
#include <string>
#include <vector>

namespace zz {

class TIntakeProgress {
 public:
  // `total` employers to run in this intake; `skipped` of them were current and are counted done.
  TIntakeProgress(size_t total, size_t skipped);
  ~TIntakeProgress();

  void Update(size_t done, const std::vector<std::string>& running);
  // Leaves the last line standing and moves to the next one.
  void Finish();
  bool Enabled() const { return fEnabled; }

  // The line itself, for a given width of the terminal (exposed for tests).
  // The time left from the runs this intake finished; -1 (none shown) until a few have finished, as
  // the first ones (the largest, or one that happened to be quick) say little of the rest.
  static double SecondsLeft(double elapsed, size_t ran, size_t left);
  static constexpr size_t kRunsBeforeEstimate = 3;

  static std::string Line(size_t done, size_t total, const std::vector<std::string>& running, double secondsLeft,
                          size_t width);

 private:
  bool fEnabled = false;
  bool fShown = false;
  size_t fTotal = 0;
  size_t fSkipped = 0;
  std::chrono::steady_clock::time_point fStart;
};

}  // namespace zz
