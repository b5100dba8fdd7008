// Whole-run tests: the program run in a directory, and parameter files made
// from the favorable example with named values changed.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/program.h"
#include "tests/support.h"

namespace colloidsim::testing {

// The program run in-process in dir: exit status, standard output, standard error.
struct Outcome {
  int status = -1;
  std::string out, err;
};

inline Outcome run_in(const std::filesystem::path& dir, const std::vector<std::string>& args) {
  std::ostringstream out, err;
  Outcome o;
  o.status = run_program(args, dir, out, err);
  o.out = out.str();
  o.err = err.str();
  return o;
}

// The favorable example's text as the tests take it, 10 particles injected
// within RLIM = 120 um (the shipped example runs 400 within 160 um, for an eta
// it can vouch for), with each named value replaced. NPART, ATTMODE and
// CLUSTER stand on line 7; each later group has four lines (blank, title,
// column names, units) before its values line.
inline std::string input_with(std::vector<std::pair<std::string, std::string>> values) {
  values.insert(values.begin(), {{"NPART", "10"}, {"RLIM", "1.2e-4"}});
  std::vector<std::string> lines =
      split_lines(read_text(source_path("examples/favorable/INPUT.IN")));
  const auto tokens = [](const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> t;
    for (std::string w; in >> w;) t.push_back(w);
    return t;
  };
  for (const auto& [name, value] : values) {
    bool found = false;
    for (std::size_t i = 6; i + 2 < lines.size() && !found; i = i == 6 ? 9 : i + 5) {
      const std::vector<std::string> names =
          i == 6 ? std::vector<std::string>{"NPART", "ATTMODE", "CLUSTER"} : tokens(lines[i]);
      const std::size_t at = i == 6 ? 6 : i + 2;
      for (std::size_t k = 0; k < names.size() && !found; ++k) {
        if (names[k] != name) continue;
        std::vector<std::string> v = tokens(lines[at]);
        if (k >= v.size()) break;
        v[k] = value;
        std::string joined;
        for (const std::string& w : v) joined += (joined.empty() ? "" : " ") + w;
        lines[at] = joined;
        found = true;
      }
    }
    if (!found) ADD_FAILURE() << "no parameter " << name << " in the example";
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace colloidsim::testing
