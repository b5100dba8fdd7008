#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "driver/program.h"

int main(int argc, char** argv) {
  // A closed standard stream would hand its descriptor to the first file the
  // program opens, and the console lines would go into that file.
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF &&
        open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) {
      return 1;
    }
  }
  // A write past the file size limit (ulimit -f) fails and is reported like a
  // full disk, instead of ending the program without a word; during a run the
  // run's own handler takes the signal.
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return colloidsim::run_program(args, std::filesystem::path("."), std::cout, std::cerr,
                                 isatty(STDERR_FILENO) == 1);
}
