// Shared test helpers.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace colloidsim::testing {

// |actual - expected| <= rel |expected|. EXPECT_NEAR is absolute and says
// nothing for forces of 1e-12 N; an expected zero must be met exactly, or
// within the explicit absolute bound zero_abs.
inline ::testing::AssertionResult RelNear(double actual, double expected, double rel,
                                          double zero_abs = 0.0) {
  const double error = std::fabs(actual - expected);
  const bool ok = expected == 0.0 ? std::fabs(actual) <= zero_abs : error <= rel * std::fabs(expected);
  if (ok) return ::testing::AssertionSuccess();
  char text[200];
  std::snprintf(text, sizeof text,
                "actual %.17g, expected %.17g, difference %.3g (relative tolerance %.3g, zero "
                "bound %.3g)",
                actual, expected, error, rel, zero_abs);
  return ::testing::AssertionFailure() << text;
}

// A fresh, empty directory under the system's temporary directory.
// Named after the build too, so that the suites of two builds run at the
// same time on one machine do not remove each other's directories.
inline std::filesystem::path fresh_directory(const std::string& name) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("colloidsim-test-" + std::to_string(std::hash<std::string>{}(COLLOIDSIM_EXECUTABLE) % 100000) +
       "-" + name);
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

// The run records (RUN.json, RUN.<n>.json, RUN.<A>-<B>.json) hold times and
// the command line, so runs that give the same files differ in them; a lock
// file (RUN.lock, RUN.<n>.lock) is left only by a killed run.
inline bool is_run_bookkeeping(const std::string& name) {
  const auto ends = [&](const char* end) {
    const std::string e(end);
    return name.size() >= 3 + e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0;
  };
  return name.rfind("RUN.", 0) == 0 && (ends(".json") || ends("lock"));
}

// Every file a run left in dir, by name, with its bytes; the inputs
// INPUT.IN and FLUXATT.IN, the run records and lock files are left out.
inline std::map<std::string, std::string> output_files(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name != "INPUT.IN" && name != "FLUXATT.IN" && !is_run_bookkeeping(name)) {
      files[name] = read_text(entry.path());
    }
  }
  return files;
}

inline std::string source_path(const std::string& relative) {
  return std::string(COLLOIDSIM_SOURCE_DIR) + "/" + relative;
}

}  // namespace colloidsim::testing
