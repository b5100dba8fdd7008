#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// Removes the part of a text that a failed write left. Should the cut fail
// too, the write's error is still the one reported.
void cut_back(int fd, std::int64_t size) {
  if (::ftruncate(fd, size) != 0) return;
}

}  // namespace

OutputFile::OutputFile(const std::filesystem::path& dir, const std::string& name, Mode mode)
    : name_(name) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::APPEND ? O_APPEND : O_TRUNC);
  fd_ = ::open((dir / name).c_str(), flags, 0666);
  if (fd_ < 0) fail(name_, "cannot create the file", errno);
  struct stat status;
  if (::fstat(fd_, &status) != 0) fail(name_, "cannot create the file", errno);
  size_ = status.st_size;
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::write(std::string_view text) {
  const std::size_t size = text.size();
  while (!text.empty()) {
    const ssize_t n = ::write(fd_, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (text.size() < size) cut_back(fd_, size_);
      fail(name_, "cannot write to the file", error);
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  size_ += static_cast<std::int64_t>(size);
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

void check_output_directory(const std::filesystem::path& dir) {
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    throw InputError(dir == "." ? std::string("the working directory") : dir.string(),
                     std::string("cannot create files in it (") + std::strerror(errno) + ")");
  }
}

void check_output_name(const std::filesystem::path& dir, const std::string& name) {
  const std::filesystem::path path = dir / name;
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) fail(name, "cannot create the file", errno);
    return;
  }
  if (S_ISDIR(status.st_mode)) fail(name, "cannot create the file", EISDIR);
  if (::access(path.c_str(), W_OK) != 0) fail(name, "cannot create the file", errno);
}

void CompleteFile::check_names(const std::filesystem::path& dir, const std::string& name) {
  check_output_name(dir, temporary_name(name));
  struct stat status;
  if (::lstat((dir / name).c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    fail(name, "cannot create the file", EISDIR);
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
