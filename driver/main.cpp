#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "driver/program.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return colloidsim::run_program(args, std::filesystem::path("."), std::cout, std::cerr,
                                 isatty(STDERR_FILENO) == 1);
}
