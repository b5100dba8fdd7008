#include "common/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/input_error.h"

namespace colloidsim {

namespace {

// What stands at a name that is not a regular file, as a message names it.
std::string file_kind_text(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return "not a regular file";
}

}  // namespace

std::string read_regular_file(const std::filesystem::path& path, const std::string& display_name,
                              const std::string& purpose, std::size_t max_bytes) {
  // Non-blocking, so that a FIFO nobody writes to is refused instead of
  // waited for; a regular file reads the same either way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    throw InputError(display_name, std::string("cannot open the file (") + std::strerror(errno) +
                                       "); expected " + purpose);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat status;
  if (::fstat(fd, &status) != 0) {
    throw InputError(display_name, std::string("cannot read the file (") + std::strerror(errno) +
                                       "); expected " + purpose);
  }
  if (!S_ISREG(status.st_mode)) {
    throw InputError(display_name, 0, "", file_kind_text(status.st_mode),
                     S_ISDIR(status.st_mode) ? purpose : purpose + " (a regular file)");
  }
  std::string contents;
  std::size_t used = 0;
  while (used <= max_bytes) {
    contents.resize(std::min(max_bytes + 1, used + (std::size_t{1} << 16)));
    const ssize_t n = ::read(fd, contents.data() + used, contents.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      throw InputError(display_name, std::string("cannot read the file (") + std::strerror(errno) +
                                         "); expected " + purpose);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  contents.resize(used);
  return contents;
}

}  // namespace colloidsim
