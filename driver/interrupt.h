// Ctrl-C (SIGINT) and kill (SIGTERM) during a run, and the signals of a
// closed pipe (SIGPIPE: the program reading standard output ended) and of
// the file size limit (SIGXFSZ). While an InterruptScope lives, each raises
// the run's stop flag instead of ending the process: the particles running
// are abandoned at their next check and their temporary files removed as
// they unwind, the rows already out stay whole, and the run throws
// RunInterrupted (a write past the size limit fails instead, and reports
// itself). A second SIGINT or SIGTERM ends the process at once (the rows are
// whole then too).
#pragma once

#include <atomic>
#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace colloidsim {

class InterruptScope {
 public:
  explicit InterruptScope(std::atomic<bool>& stop);
  ~InterruptScope();
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

  // The signal that arrived (SIGINT or SIGTERM), or 0.
  int signal() const;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
  struct sigaction old_pipe_ {};
  struct sigaction old_xfsz_ {};
};

// A run stopped by a signal, with the particles each of its jobs wrote
// (rows in the flux files, or numbered files, of this run only).
class RunInterrupted : public std::runtime_error {
 public:
  RunInterrupted(int signal, std::vector<std::int64_t> written);
  int signal() const { return signal_; }
  const std::vector<std::int64_t>& written() const { return written_; }
  // The exit status a shell gives a process ended by the signal: 128 + signal.
  int exit_status() const { return 128 + signal_; }

 private:
  int signal_;
  std::vector<std::int64_t> written_;
};

// "SIGINT (Ctrl-C)", "SIGTERM", and SIGPIPE and SIGXFSZ with their cause.
std::string signal_text(int signal);

}  // namespace colloidsim
