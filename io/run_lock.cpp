#include "io/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/input_error.h"

namespace colloidsim {

namespace {

namespace fs = std::filesystem;

std::string pid_text(int fd) {
  char text[32] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  std::string digits;
  for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i) digits += text[i];
  return digits.empty() ? "pid unknown" : "pid " + digits;
}

// The particles of a lock name RUN.<n>.lock or RUN.<A>-<B>.lock.
bool parse_tag(const std::string& name, std::int64_t& first, std::int64_t& last) {
  if (name.size() < 10 || name.rfind("RUN.", 0) != 0 || name.substr(name.size() - 5) != ".lock") {
    return false;
  }
  const std::string tag = name.substr(4, name.size() - 9);
  const std::size_t dash = tag.find('-');
  const auto number = [](const std::string& digits, std::int64_t& value) {
    if (digits.empty() || digits.size() > 10) return false;
    value = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    return true;
  };
  if (dash == std::string::npos) return number(tag, first) && number(tag, last = first);
  return number(tag.substr(0, dash), first) && number(tag.substr(dash + 1), last);
}

// The one-particle runs and blocks at work in dir (their locks held) whose
// particles meet first..last, as "particles 1-5 (pid 11)", skipping the lock
// of name own.
std::vector<std::string> running_particles(const fs::path& dir, std::int64_t first,
                                           std::int64_t last, const std::string& own) {
  std::vector<std::string> running;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    std::int64_t a = 0, b = 0;
    if (name == own || !parse_tag(name, a, b) || b < first || a > last) continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
      running.push_back("particles " + (a == b ? std::to_string(a)
                                               : std::to_string(a) + "-" + std::to_string(b)) +
                        " (" + pid_text(fd) + ")");
    }
    ::close(fd);
  }
  std::sort(running.begin(), running.end());
  return running;
}

[[noreturn]] void refuse(const std::string& shown, const std::string& holders) {
  throw InputError(shown == "." ? std::string("the working directory") : shown,
                   "another colloidsim process works in this directory (" + holders +
                       "); this one stops and changes nothing (one process per run "
                       "directory; blocks of one run may work side by side)");
}

// Opens and locks path without waiting. Returns the descriptor, or -1 when
// the lock is held by another process.
int take(const fs::path& path, bool exclusive) {
  // The lock's name, with its directory unless that is the working one.
  const fs::path parent = path.parent_path();
  const std::string name = parent.empty() || parent == "." ? path.filename().string() : path.string();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == ELOOP) {
      ::unlink(path.c_str());  // a planted symbolic link: replaced, not followed
      continue;
    }
    if (fd < 0) {
      throw InputError(name, std::string("cannot create the lock file (") + std::strerror(errno) + ")");
    }
    struct stat opened, named;
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_nlink != 1) {
      // A lock file of ours has one link; a hard link to another file is
      // replaced.
      ::close(fd);
      ::unlink(path.c_str());
      continue;
    }
    if (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
      const int error = errno;
      if (error == EWOULDBLOCK) return -1 - fd;  // the caller reads the pid, then closes
      ::close(fd);
      throw InputError(name, std::string("cannot lock the file (") + std::strerror(error) + ")");
    }
    // The holder before us may have removed the name (or another process
    // made a new file there) between our open and our lock.
    if (::lstat(path.c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev) {
      ::close(fd);
      continue;
    }
    if (exclusive) {
      const std::string pid = std::to_string(::getpid()) + "\n";
      if (::ftruncate(fd, 0) != 0 ||
          ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        const int error = errno;
        // Ours, locked: removed, as a run removes its lock when it ends.
        ::unlink(path.c_str());
        ::close(fd);
        throw InputError(name, std::string("cannot write the lock file (") + std::strerror(error) + ")");
      }
    }
    return fd;
  }
  throw InputError(name, "cannot take the lock file: it keeps being replaced");
}

}  // namespace

std::string particles_tag(std::int32_t FIRST, std::int32_t LAST) {
  return FIRST == LAST ? std::to_string(FIRST) : std::to_string(FIRST) + "-" + std::to_string(LAST);
}

RunLock RunLock::directory(const fs::path& dir, const std::string& shown) {
  RunLock lock;
  const fs::path path = dir / DIRECTORY_LOCK_NAME;
  const int fd = take(path, true);
  if (fd < 0) {
    std::vector<std::string> running = running_particles(dir, 0, INT64_MAX, "");
    std::string holders;
    for (const std::string& r : running) holders += (holders.empty() ? "" : ", ") + r;
    if (holders.empty()) holders = pid_text(-1 - fd);
    ::close(-1 - fd);
    refuse(shown, holders);
  }
  lock.held_.push_back({path, fd, true});
  return lock;
}

RunLock RunLock::particles(const fs::path& dir, const std::string& shown, std::int32_t FIRST,
                           std::int32_t LAST) {
  RunLock lock;
  const fs::path shared = dir / DIRECTORY_LOCK_NAME;
  const int fd = take(shared, false);
  if (fd < 0) {
    const std::string holder = pid_text(-1 - fd);
    ::close(-1 - fd);
    refuse(shown, holder + ", a run of all particles or a merge");
  }
  lock.held_.push_back({shared, fd, false});
  const std::string own = "RUN." + particles_tag(FIRST, LAST) + ".lock";
  const int block = take(dir / own, true);
  if (block < 0) {
    const std::string holder = pid_text(-1 - block);
    ::close(-1 - block);
    refuse(shown, "particles " + particles_tag(FIRST, LAST) + " (" + holder + ")");
  }
  lock.held_.push_back({dir / own, block, true});
  // Announced first, checked second: of two overlapping blocks that start
  // together at least one sees the other.
  const std::vector<std::string> running = running_particles(dir, FIRST, LAST, own);
  if (!running.empty()) {
    std::string holders;
    for (const std::string& r : running) holders += (holders.empty() ? "" : ", ") + r;
    refuse(shown, holders);
  }
  return lock;
}

RunLock::RunLock(RunLock&& other) noexcept : held_(std::move(other.held_)) { other.held_.clear(); }

RunLock::~RunLock() {
  for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
    // A shared lock file is removed by the last of its holders only.
    if (it->exclusive || ::flock(it->fd, LOCK_EX | LOCK_NB) == 0) ::unlink(it->path.c_str());
    ::close(it->fd);
  }
}

}  // namespace colloidsim
