#include "driver/interrupt.h"

#include <utility>

namespace colloidsim {

namespace {

// What the handler may touch: lock-free atomics only.
std::atomic<std::atomic<bool>*> current_stop{nullptr};
std::atomic<int> received{0};
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void on_stop_signal(int signal) {
  received.store(signal);
  if (std::atomic<bool>* stop = current_stop.load()) stop->store(true);
}

}  // namespace

InterruptScope::InterruptScope(std::atomic<bool>& stop) {
  received.store(0);
  current_stop.store(&stop);
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // Every write to a closed pipe signals again while the run stops.
  sigaction(SIGPIPE, &action, &old_pipe_);
  sigaction(SIGXFSZ, &action, &old_xfsz_);
  // Used once: a second Ctrl-C ends the process at once.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, &old_int_);
  sigaction(SIGTERM, &action, &old_term_);
}

InterruptScope::~InterruptScope() {
  sigaction(SIGINT, &old_int_, nullptr);
  sigaction(SIGTERM, &old_term_, nullptr);
  sigaction(SIGPIPE, &old_pipe_, nullptr);
  sigaction(SIGXFSZ, &old_xfsz_, nullptr);
  current_stop.store(nullptr);
}

int InterruptScope::signal() const { return received.load(); }

RunInterrupted::RunInterrupted(int signal, std::vector<std::int64_t> written)
    : std::runtime_error("colloidsim: stopped by " + signal_text(signal)),
      signal_(signal),
      written_(std::move(written)) {}

std::string signal_text(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT (Ctrl-C)";
    case SIGTERM: return "SIGTERM";
    case SIGPIPE: return "SIGPIPE (standard output was closed: the program reading it ended)";
    case SIGXFSZ: return "SIGXFSZ (a file reached the size limit, ulimit -f)";
    default: return "signal " + std::to_string(signal);
  }
}

}  // namespace colloidsim
