#include "driver/progress_bar.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>

namespace colloidsim {

namespace {

constexpr int BAR_WIDTH = 24;

std::string clock_text(double seconds) {
  const long s = std::lround(seconds);
  char text[32];
  if (s >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  }
  return text;
}

}  // namespace

std::string progress_line(const ProgressCounts& c, std::int64_t earlier, double elapsed) {
  const int filled = c.total > 0 ? static_cast<int>((BAR_WIDTH * c.finished) / c.total) : 0;
  std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                     std::string(static_cast<std::size_t>(BAR_WIDTH - filled), '.') + "] ";
  if (c.conditions > 0) {
    line += std::to_string(c.conditions_finished) + "/" + std::to_string(c.conditions) +
            " conditions  ";
  }
  char text[160];
  std::snprintf(text, sizeof text, "%lld/%lld particles  EX %lld  ATT %lld  REM %lld  %s elapsed",
                static_cast<long long>(c.finished), static_cast<long long>(c.total),
                static_cast<long long>(c.EX), static_cast<long long>(c.ATT),
                static_cast<long long>(c.REM), clock_text(elapsed).c_str());
  line += text;
  const std::int64_t done_here = c.finished - earlier;
  if (c.finished >= c.total) {
    line += ", done";
  } else if (done_here > 0) {
    const double left = elapsed * static_cast<double>(c.total - c.finished) /
                        static_cast<double>(done_here);
    line += ", about " + clock_text(left) + " left";
  }
  return line;
}

ProgressBar::ProgressBar(std::ostream& out, std::int64_t total, const std::int64_t (&earlier)[3],
                         Clock clock)
    : out_(out), total_(total), clock_(std::move(clock)), started_(clock_()) {
  for (int f = 0; f < 3; ++f) {
    counts_[f] = earlier[f];
    earlier_ += earlier[f];
  }
}

ProgressBar::~ProgressBar() {
  if (ticker_.joinable()) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    ticker_.join();
  }
}

void ProgressBar::start() {
  try {
    ticker_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!stopping_) {
        draw();
        wake_.wait_for(lock, std::chrono::seconds(1));
      }
    });
  } catch (const std::system_error& e) {
    throw std::runtime_error(std::string("colloidsim: cannot start the thread of the progress bar: ") +
                             e.what() + "; nothing was written (--quiet runs without it)");
  }
}

void ProgressBar::stop() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (ticker_.joinable()) ticker_.join();
  draw();
  out_ << '\n' << std::flush;
}

void ProgressBar::count_conditions(std::int64_t total, std::int64_t done) {
  conditions_ = total;
  conditions_finished_ = done;
}

void ProgressBar::finished(int family) { counts_[family].fetch_add(1, std::memory_order_relaxed); }

void ProgressBar::draw() {
  ProgressCounts c;
  c.total = total_;
  c.EX = counts_[0].load(std::memory_order_relaxed);
  c.ATT = counts_[1].load(std::memory_order_relaxed);
  c.REM = counts_[2].load(std::memory_order_relaxed);
  c.finished = c.EX + c.ATT + c.REM;
  c.conditions = conditions_;
  c.conditions_finished = conditions_finished_.load(std::memory_order_relaxed);
  const double elapsed = std::chrono::duration<double>(clock_() - started_).count();
  out_ << '\r' << progress_line(c, earlier_, elapsed) << "\x1b[K" << std::flush;
}

}  // namespace colloidsim
