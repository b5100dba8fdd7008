#include "io/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/input_error.h"

namespace colloidsim {

namespace {

[[noreturn]] void fail(const std::string& name, const char* what, int error) {
  throw InputError(name, std::string(what) + " (" + std::strerror(error) + ")");
}

}  // namespace

OutputFile::OutputFile(const std::filesystem::path& dir, const std::string& name, Mode mode)
    : name_(name) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::APPEND ? O_APPEND : O_TRUNC);
  fd_ = ::open((dir / name).c_str(), flags, 0666);
  if (fd_ < 0) fail(name_, "cannot create the file", errno);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::write(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd_, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(name_, "cannot write to the file", errno);
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

void OutputFile::close() {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) fail(name_, "cannot write to the file", errno);
}

CompleteFile::CompleteFile(const std::filesystem::path& dir, const std::string& name)
    : dir_(dir), name_(name), file_(dir, temporary_name(name), OutputFile::Mode::REPLACE) {}

CompleteFile::~CompleteFile() {
  if (!committed_) {
    std::error_code ignored;
    std::filesystem::remove(dir_ / temporary_name(name_), ignored);
  }
}

void CompleteFile::commit() {
  file_.close();
  if (std::rename((dir_ / temporary_name(name_)).c_str(), (dir_ / name_).c_str()) != 0) {
    fail(name_, "cannot create the file", errno);
  }
  committed_ = true;
}

}  // namespace colloidsim
