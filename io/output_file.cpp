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

// Clears a name for a new file: a file, a link or anything else but a
// directory is removed (only the name: the file a link points to is not
// touched).
void clear_name(const std::filesystem::path& path, const std::string& name) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return;
  struct stat status;
  const int error = ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? EISDIR : errno;
  fail(name, "cannot create the file", error);
}

int create_new(const std::filesystem::path& path, const std::string& name) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) fail(name, "cannot create the file", errno);
  return fd;
}

}  // namespace

bool is_private_file(const std::filesystem::path& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1;
}

OutputFile::OutputFile(const std::filesystem::path& dir, const std::string& name, Mode mode)
    : dir_(dir), name_(name) {
  const std::filesystem::path path = dir / name;
  if (mode == Mode::REPLACE) {
    clear_name(path, name_);
    fd_ = create_new(path, name_);
    return;
  }
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
  if (fd_ < 0 && errno == ENOENT) {
    fd_ = create_new(path, name_);
    return;
  }
  if (fd_ < 0 && errno == ELOOP) {
    throw InputError(name_, "cannot continue the file: it is a symbolic link, which this "
                            "program never writes through");
  }
  if (fd_ < 0) fail(name_, "cannot open the file", errno);
  struct stat status;
  if (::fstat(fd_, &status) != 0) fail(name_, "cannot open the file", errno);
  if (!S_ISREG(status.st_mode) || status.st_nlink != 1) {
    throw InputError(name_, "cannot continue the file: it is not a regular file with one link "
                            "(a hard link to another file?), which this program never writes "
                            "through");
  }
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

void OutputFile::truncate(std::int64_t size) {
  if (::ftruncate(fd_, size) != 0) fail(name_, "cannot cut the file back", errno);
  size_ = size;
}

void OutputFile::rename(const std::string& name) {
  if (std::rename((dir_ / name_).c_str(), (dir_ / name).c_str()) != 0) {
    fail(name, "cannot create the file", errno);
  }
  name_ = name;
}

void OutputFile::close() {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) fail(name_, "cannot write to the file", errno);
}

CompleteFile::CompleteFile(const std::filesystem::path& dir, const std::string& name)
    : dir_(dir), name_(name), file_(dir, temporary_name(name), OutputFile::Mode::REPLACE) {}

CompleteFile::~CompleteFile() {
  if (!committed_) ::unlink((dir_ / temporary_name(name_)).c_str());
}

void check_output_directory(const std::filesystem::path& dir) {
  if (::access(dir.c_str(), W_OK | X_OK) != 0) {
    throw InputError(dir == "." ? std::string("the working directory") : dir.string(),
                     std::string("cannot create files in it (") + std::strerror(errno) + ")");
  }
}

namespace {

// keep_read_only: a read-only regular file at the name stops the run (the
// final names, where the user may have protected a result); a temporary name
// is cleared whatever its mode.
void check_name(const std::filesystem::path& dir, const std::string& name, bool keep_read_only) {
  const std::filesystem::path path = dir / name;
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) {
    if (errno != ENOENT) fail(name, "cannot create the file", errno);
    return;
  }
  if (S_ISDIR(status.st_mode)) fail(name, "cannot create the file", EISDIR);
  // A file the user made read-only is kept; a link is replaced, whatever it
  // points to.
  if (keep_read_only && S_ISREG(status.st_mode) &&
      ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0) {
    fail(name, "cannot create the file", errno);
  }
  // In a sticky directory only the owner of a name (or of the directory)
  // may remove or replace it.
  struct stat parent;
  const uid_t me = ::geteuid();
  if (me != 0 && ::stat(dir.c_str(), &parent) == 0 && (parent.st_mode & S_ISVTX) &&
      status.st_uid != me && parent.st_uid != me) {
    fail(name, "cannot create the file", EPERM);
  }
}

}  // namespace

void check_output_name(const std::filesystem::path& dir, const std::string& name) {
  check_name(dir, name, true);
}

void CompleteFile::check_names(const std::filesystem::path& dir, const std::string& name) {
  check_name(dir, temporary_name(name), false);
  // rename() would replace anything at the final name but a directory; a
  // file the user made read-only is kept all the same.
  check_name(dir, name, true);
}

void CompleteFile::commit() {
  file_.close();
  if (std::rename((dir_ / temporary_name(name_)).c_str(), (dir_ / name_).c_str()) != 0) {
    fail(name_, "cannot create the file", errno);
  }
  committed_ = true;
}

}  // namespace colloidsim
