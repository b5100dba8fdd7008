#include "driver/ordered_output.h"

#include <cerrno>
#include <cstring>

#include "common/input_error.h"

namespace colloidsim {

namespace {

[[noreturn]] void scratch_failure(int error) {
  throw InputError("the scratch file of the waiting console lines",
                   std::string("cannot write or read it (") + std::strerror(error) + ")");
}

}  // namespace

OrderedOutput::OrderedOutput(std::int32_t first, std::ostream* console,
                             std::array<OutputFile*, 3> flux, std::size_t memory_budget)
    : head_(first), console_(console), flux_(flux), memory_budget_(memory_budget) {}

OrderedOutput::~OrderedOutput() {
  if (scratch_) std::fclose(scratch_);
}

std::int64_t OrderedOutput::head() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return head_;
}

void OrderedOutput::write_console(const std::string& text) {
  if (!console_ || text.empty()) return;
  console_->write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!*console_) throw InputError("standard output", "cannot write the progress lines");
}

void OrderedOutput::hold(Pending& p, std::string& text) {
  if (text.empty()) return;
  if (p.spilled.empty() && memory_used_ + text.size() <= memory_budget_) {
    memory_used_ += text.size();
    p.text += text;
  } else {
    // tmpfile() opens an unnamed file: nothing is left behind, even by a
    // killed run.
    if (!scratch_ && !(scratch_ = std::tmpfile())) scratch_failure(errno);
    if (std::fseek(scratch_, scratch_end_, SEEK_SET) != 0 ||
        std::fwrite(text.data(), 1, text.size(), scratch_) != text.size()) {
      scratch_failure(errno);
    }
    p.spilled.push_back({scratch_end_, text.size()});
    scratch_end_ += static_cast<long>(text.size());
  }
  text.clear();
}

void OrderedOutput::write_out(Pending& p) {
  write_console(p.text);
  memory_used_ -= p.text.size();
  p.text.clear();
  p.text.shrink_to_fit();
  std::string part;
  for (const Extent& e : p.spilled) {
    part.resize(e.size);
    if (std::fflush(scratch_) != 0 || std::fseek(scratch_, e.offset, SEEK_SET) != 0 ||
        std::fread(part.data(), 1, e.size, scratch_) != e.size) {
      scratch_failure(errno);
    }
    write_console(part);
  }
  p.spilled.clear();
}

void OrderedOutput::drain() {
  for (auto it = pending_.find(head_); it != pending_.end(); it = pending_.find(head_)) {
    Pending& p = it->second;
    write_out(p);
    if (!p.finished) return;  // the new head writes straight through from now on
    if (flux_[p.family]) flux_[p.family]->write(p.row);
    pending_.erase(it);
    ++head_;
  }
}

void OrderedOutput::console_text(std::int32_t J, std::string& text) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (J == head_) {
    write_console(text);
    text.clear();
  } else {
    hold(pending_[J], text);
  }
}

void OrderedOutput::finish(std::int32_t J, std::string& console_text, int family,
                           const std::string& row) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (J == head_) {
    // Whatever it held went out when it became the head.
    pending_.erase(J);
    write_console(console_text);
    console_text.clear();
    if (flux_[family]) flux_[family]->write(row);
    ++head_;
    drain();
    return;
  }
  Pending& p = pending_[J];
  hold(p, console_text);
  p.finished = true;
  p.family = family;
  p.row = row;
}

}  // namespace colloidsim
