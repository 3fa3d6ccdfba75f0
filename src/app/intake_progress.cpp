// The progress line on a terminal: employers done of all, the ones running, the time left.
#include "app/intake_progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace zz {

namespace {

size_t TerminalWidth() {
  winsize ws{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

// Cuts a UTF-8 line to `width` characters, so that it never wraps (a wrapped line cannot be
// rewritten in place).
std::string Fit(const std::string& line, size_t width) {
  size_t chars = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (++chars > width) return line.substr(0, i);
  }
  return line;
}

std::string Duration(double seconds) {
  long s = std::lround(seconds);
  char buf[48];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld ч %02ld мин", s / 3600, (s % 3600) / 60);
  else
    std::snprintf(buf, sizeof buf, "%ld мин %02ld с", s / 60, s % 60);
  return buf;
}

}  // namespace

TIntakeProgress::TIntakeProgress(size_t total, size_t skipped)
    : fEnabled(isatty(STDERR_FILENO) == 1),
      fTotal(total),
      fSkipped(skipped),
      fStart(std::chrono::steady_clock::now()) {}

TIntakeProgress::~TIntakeProgress() { Finish(); }

std::string TIntakeProgress::Line(size_t done, size_t total, const std::vector<std::string>& running,
                                  double secondsLeft, size_t width) {
  std::string line = "Сверено " + std::to_string(done) + " из " + std::to_string(total);
  if (secondsLeft >= 0) line += ", осталось ≈ " + Duration(secondsLeft);
  if (!running.empty()) {
    line += "; идут:";
    for (const std::string& r : running) line += " " + r;
  }
  return Fit(line, width > 1 ? width - 1 : width);
}

double TIntakeProgress::SecondsLeft(double elapsed, size_t ran, size_t left) {
  if (ran < kRunsBeforeEstimate) return -1;
  return elapsed / static_cast<double>(ran) * static_cast<double>(left);
}

void TIntakeProgress::Update(size_t done, const std::vector<std::string>& running) {
  if (!fEnabled) return;
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - fStart).count();
  size_t ran = done > fSkipped ? done - fSkipped : 0;
  std::string line = Line(done, fTotal, running, SecondsLeft(elapsed, ran, fTotal - done), TerminalWidth());
  std::fprintf(stderr, "\r\033[K%s", line.c_str());
  std::fflush(stderr);
  fShown = true;
}

void TIntakeProgress::Finish() {
  if (fEnabled && fShown) {
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }
  fShown = false;
}

}  // namespace zz
