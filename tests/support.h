// Shared test helpers.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace colloidsim::testing {

// Relative comparison; an expected zero must be matched exactly.
inline ::testing::AssertionResult RelNear(double actual, double expected, double rel) {
  if (expected == 0.0) {
    if (actual == 0.0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected exactly 0, got " << actual;
  }
  const double err = std::fabs(actual - expected) / std::fabs(expected);
  if (err <= rel) return ::testing::AssertionSuccess();
  char text[160];
  std::snprintf(text, sizeof text, "actual %.17g, expected %.17g, relative error %.3g > %.3g",
                actual, expected, err, rel);
  return ::testing::AssertionFailure() << text;
}

// A fresh, empty directory under the system's temporary directory.
inline std::filesystem::path fresh_directory(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("colloidsim-test-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_text(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::string source_path(const std::string& relative) {
  return std::string(COLLOIDSIM_SOURCE_DIR) + "/" + relative;
}

}  // namespace colloidsim::testing
