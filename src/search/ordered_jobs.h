#pragma once
// Independent jobs made on several threads, their results taken on the calling thread in the jobs'
// order: whatever taking a result causes happens as if the jobs had run one after another.
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace zz {

// For i = 0 .. count-1 in order, on the calling thread: checkpoint(i), then consume(i, result of
// produce(i)). produce runs on up to `threads` threads, the calling one among them (it makes a job
// not taken yet rather than wait for one under way), and must touch nothing that consume or
// checkpoint touch. A throw from checkpoint or consume, or the throw of a job (passed on when its
// turn comes), ends the whole: no further job starts, and the ones under way are waited for. Once
// `stopping` is true the other threads start no further job (the calling thread's checkpoint is
// expected to throw then). Threads that cannot be started leave their share to the others.
template <class R>
void RunJobsInOrder(size_t count, unsigned threads, const std::function<R(size_t)>& produce,
                    const std::function<void(size_t)>& checkpoint, const std::function<void(size_t, R&)>& consume,
                    const std::function<bool()>& stopping) {
  if (threads <= 1 || count <= 1) {
    for (size_t i = 0; i < count; ++i) {
      checkpoint(i);
      R result = produce(i);
      consume(i, result);
    }
    return;
  }

  struct TSlot {
    std::optional<R> result;
    std::exception_ptr failure;
    bool done = false;
  };
  std::vector<TSlot> slots(count);
  std::mutex mutex;
  std::condition_variable finished;
  size_t next = 0;  // the first job not taken yet
  bool abandoned = false;

  // Takes the next job, if any; false when there is none or the whole was given up.
  auto take = [&](size_t& job) {
    std::lock_guard lock(mutex);
    if (abandoned || next == count) return false;
    job = next++;
    return true;
  };
  // Outside the lock: a slot is only ever written by the thread that took its job.
  auto make = [&](size_t job) {
    TSlot& slot = slots[job];
    try {
      slot.result.emplace(produce(job));
    } catch (...) {
      slot.failure = std::current_exception();
    }
    {
      std::lock_guard lock(mutex);
      slot.done = true;
    }
    finished.notify_all();
  };

  std::vector<std::thread> helpers;
  struct TJoin {
    std::vector<std::thread>& helpers;
    std::mutex& mutex;
    bool& abandoned;
    ~TJoin() {
      {
        std::lock_guard lock(mutex);
        abandoned = true;
      }
      for (std::thread& t : helpers) t.join();
    }
  } join{helpers, mutex, abandoned};
  for (unsigned t = 1; t < threads && t < count; ++t) {
    try {
      helpers.emplace_back([&] {
        for (size_t job; !stopping() && take(job);) make(job);
      });
    } catch (const std::system_error&) {
      break;
    }
  }

  for (size_t i = 0; i < count; ++i) {
    checkpoint(i);
    TSlot& slot = slots[i];
    while (true) {
      std::unique_lock lock(mutex);
      if (slot.done) break;
      // Its own job when no other thread took it; else, rather than wait for the job under way,
      // the next one.
      if (next == i || (next < count && !stopping())) {
        const size_t job = next++;
        lock.unlock();
        make(job);
        continue;
      }
      finished.wait(lock, [&] { return slot.done; });
      break;
    }
    if (slot.failure) std::rethrow_exception(slot.failure);
    consume(i, *slot.result);
    slot.result.reset();
  }
}

}  // namespace zz
