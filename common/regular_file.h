// Reading a small input file that must be a regular file: a FIFO nobody
// writes to, a device or a directory at its name is refused at once, never
// waited on or read without end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace colloidsim {

// The first max_bytes + 1 bytes of the regular file at path (so that the
// caller can tell a file of exactly max_bytes from a longer one). Throws
// InputError naming display_name and what was expected (purpose) when the
// file cannot be opened or read, or is not a regular file.
std::string read_regular_file(const std::filesystem::path& path, const std::string& display_name,
                              const std::string& purpose, std::size_t max_bytes);

}  // namespace colloidsim
