// The progress bar of a run on a terminal: particles finished out of all,
// fates so far, elapsed time and an estimate of the time left. It is drawn on
// standard error, over itself, once a second and when the run ends.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace colloidsim {

struct ProgressCounts {
  std::int64_t finished = 0;  // particles with a fate, including those done before a resume
  std::int64_t total = 0;
  std::int64_t EX = 0, ATT = 0, REM = 0;  // finished particles per family
  // A study: its conditions (runs) finished out of all; 0 of 0 for one run.
  std::int64_t conditions_finished = 0, conditions = 0;
};

// One line of the bar. The estimate of the time left assumes the particles
// still to run take as long as those this process finished (finished -
// earlier of them) took so far.
std::string progress_line(const ProgressCounts& counts, std::int64_t earlier,
                          double elapsed_seconds);

class ProgressBar {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // earlier: the particles of each family (EX, ATT, REM) finished before
  // this process started (a resumed run).
  ProgressBar(std::ostream& out, std::int64_t total, const std::int64_t (&earlier)[3],
              Clock clock = std::chrono::steady_clock::now);
  ~ProgressBar();

  // Redraws once a second on a thread of its own until stop().
  void start();
  // Draws the last state and ends the line.
  void stop();

  // A particle of family (0 EX, 1 ATT, 2 REM) is finished. Safe from any thread.
  void finished(int family);

  // A study of `total` conditions, `done` of them finished before this
  // process started: the bar shows the conditions too.
  void count_conditions(std::int64_t total, std::int64_t done);
  // Every particle of one condition is finished. Safe from any thread.
  void job_finished() { conditions_finished_.fetch_add(1, std::memory_order_relaxed); }

  // Draws the bar now: a carriage return, the line, and clear-to-end-of-line.
  void draw();

 private:
  std::ostream& out_;
  const std::int64_t total_;
  std::int64_t earlier_ = 0;
  Clock clock_;
  std::chrono::steady_clock::time_point started_;
  std::atomic<std::int64_t> counts_[3] = {0, 0, 0};
  std::int64_t conditions_ = 0;
  std::atomic<std::int64_t> conditions_finished_{0};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread ticker_;
};

}  // namespace colloidsim
