// Jobs made on several threads and taken in order: later jobs finishing first change nothing, a
// failing job is passed on at its turn, and a stop starts no further job.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "search/ordered_jobs.h"

namespace zz {
namespace {

TEST(OrderedJobs, ResultsInOrderAFailureAtItsTurnAndNothingStartedAfterAStop) {
  for (unsigned threads : {1u, 2u, 3u}) {
    SCOPED_TRACE(threads);
    std::vector<size_t> consumed;
    std::atomic<int> started{0};
    // The first jobs take longest, so that on several threads the later ones are done first.
    auto produce = [&](size_t i) {
      ++started;
      std::this_thread::sleep_for(std::chrono::milliseconds(12 - 2 * static_cast<int>(i % 6)));
      if (i == 4) throw std::runtime_error("job 4");
      return i * 10;
    };
    try {
      RunJobsInOrder<size_t>(
          9, threads, produce, [](size_t) {}, [&](size_t, size_t& r) { consumed.push_back(r); }, [] { return false; });
      ADD_FAILURE() << "no failure passed on";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "job 4");
    }
    EXPECT_EQ(consumed, (std::vector<size_t>{0, 10, 20, 30}));

    // A stop asked for at job 1's checkpoint: job 2's ends the whole, and the threads start no
    // further job.
    consumed.clear();
    started = 0;
    std::atomic<bool> stop{false};
    int startedAtStop = 0;
    auto checkpoint = [&](size_t i) {
      if (stop) throw std::runtime_error("stopped");
      if (i == 1) {
        stop = true;
        startedAtStop = started;
      }
    };
    EXPECT_THROW(RunJobsInOrder<size_t>(
                     9, threads,
                     [&](size_t i) {
                       ++started;
                       std::this_thread::sleep_for(std::chrono::milliseconds(3));
                       return i;
                     },
                     checkpoint,
                     [&](size_t, size_t& r) {
                       consumed.push_back(r);
                       // Time for the other threads to go on, were they to.
                       if (r == 1) std::this_thread::sleep_for(std::chrono::milliseconds(40));
                     },
                     [&] { return stop.load(); }),
                 std::runtime_error);
    EXPECT_EQ(consumed, (std::vector<size_t>{0, 1}));
    // At most job 1 itself, when no other thread had taken it, and one job per other thread that
    // looked at the stop just before it was asked for.
    EXPECT_LE(started, startedAtStop + static_cast<int>(threads));
  }
}

}  // namespace
}  // namespace zz
