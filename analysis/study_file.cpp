#include "analysis/study_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "common/input_error.h"
#include "common/regular_file.h"
#include "io/parameter_table.h"

namespace colloidsim {

namespace {

// A study file is a few hundred bytes.
constexpr std::size_t MAX_STUDY_FILE_BYTES = std::size_t{1} << 20;

class StudyReader {
 public:
  explicit StudyReader(std::string shown) : shown_(std::move(shown)) {}

  [[noreturn]] void fail(const toml::node& node, const std::string& key, const std::string& found,
                         const std::string& expected) const {
    throw InputError(shown_, static_cast<int>(node.source().begin.line), key, found, expected);
  }

  // A number for parameter info, in the text `set` writes.
  std::string parameter_value(const ParameterInfo& info, const toml::node& node,
                              const std::string& key) const {
    if (const auto i = node.value_exact<std::int64_t>()) {
      if (info.is_integer() && (*i < INT32_MIN || *i > INT32_MAX)) {
        fail(node, key, std::to_string(*i), "a 32-bit integer");
      }
      return parameter_value_text(info, static_cast<double>(*i));
    }
    if (const auto d = node.value_exact<double>(); d && !info.is_integer()) {
      if (!std::isfinite(*d)) fail(node, key, "a value that is not finite", "a real number");
      return parameter_value_text(info, *d);
    }
    fail(node, key, kind(node), info.is_integer() ? "an integer" : "a number");
  }

  static std::string kind(const toml::node& node) {
    switch (node.type()) {
      case toml::node_type::string: return "a string";
      case toml::node_type::boolean: return "a boolean";
      case toml::node_type::floating_point: return "a real number";
      case toml::node_type::integer: return "an integer";
      case toml::node_type::array: return "a list";
      case toml::node_type::table: return "a table";
      default: return "a date or time";
    }
  }

  const ParameterInfo& parameter(const toml::node& node, const std::string& key) const {
    const ParameterInfo* info = find_parameter(key);
    if (!info) {
      fail(node, key, "the unknown parameter " + quoted_value(key),
           "a parameter name of INPUT.IN (colloidsim set --list lists them)");
    }
    if (key == "CLUSTER") {
      fail(node, key, "CLUSTER", "another parameter: every condition of a study is an "
                                 "all-particles run (CLUSTER = 0)");
    }
    return *info;
  }

  const std::string& shown() const { return shown_; }

 private:
  std::string shown_;
};

// The entries of a table in the order they stand in the file (toml++ keeps
// them sorted by key).
std::vector<std::pair<std::string, const toml::node*>> in_file_order(const toml::table& table) {
  std::vector<std::pair<std::string, const toml::node*>> entries;
  for (auto&& [key, node] : table) entries.emplace_back(std::string(key.str()), &node);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    const auto& sa = a.second->source().begin;
    const auto& sb = b.second->source().begin;
    return sa.line != sb.line ? sa.line < sb.line : sa.column < sb.column;
  });
  return entries;
}

std::string bounded_text(const std::filesystem::path& path, const std::string& shown) {
  const std::string text =
      read_regular_file(path, shown, "the study file (TOML)", MAX_STUDY_FILE_BYTES);
  if (text.size() > MAX_STUDY_FILE_BYTES) {
    throw InputError(shown, 0, "", "more than 1 MB", "a study file of at most 1 MB");
  }
  return text;
}

}  // namespace

StudyFile read_study_file(const std::filesystem::path& path, const std::string& shown) {
  const std::string text = bounded_text(path, shown);
  toml::table top;
  try {
    top = toml::parse(text, shown);
  } catch (const toml::parse_error& e) {
    throw InputError(shown, static_cast<int>(e.source().begin.line), "",
                     "text that is not TOML (" + std::string(e.description()) + ")",
                     "a TOML study file");
  }
  const StudyReader r(shown);
  StudyFile study;
  bool seen_seed = false, seen_vary = false;
  const toml::table* reference = nullptr;
  for (const auto& [key, node] : in_file_order(top)) {
    if (key == "input") {
      const auto value = node->value_exact<std::string>();
      if (!value || value->empty()) r.fail(*node, key, r.kind(*node), "the name of the base parameter file");
      study.input = *value;
    } else if (key == "seed") {
      const auto value = node->value_exact<std::int64_t>();
      if (!value) r.fail(*node, key, r.kind(*node), "an integer seed");
      study.seed = static_cast<std::uint64_t>(*value);
      seen_seed = true;
    } else if (key == "npart") {
      const auto value = node->value_exact<std::int64_t>();
      if (!value || *value < 1 || *value > INT32_MAX) {
        r.fail(*node, key, value ? std::to_string(*value) : r.kind(*node),
               "a particle count from 1 to 2147483647");
      }
      study.npart = static_cast<std::int32_t>(*value);
    } else if (key == "trajectories") {
      const auto value = node->value_exact<bool>();
      if (!value) r.fail(*node, key, r.kind(*node), "true or false");
      study.trajectories = *value;
    } else if (key == "vary") {
      const toml::table* vary = node->as_table();
      if (!vary) r.fail(*node, key, r.kind(*node), "a table [vary] of parameter lists");
      seen_vary = true;
      for (const auto& [name, list] : in_file_order(*vary)) {
        if (name == "zip") {
          const auto value = list->value_exact<bool>();
          if (!value) r.fail(*list, "zip", r.kind(*list), "true or false");
          study.zip = *value;
          continue;
        }
        const ParameterInfo& info = r.parameter(*list, name);
        const toml::array* values = list->as_array();
        if (!values || values->empty()) {
          r.fail(*list, name, values ? "an empty list" : r.kind(*list), "a list of values");
        }
        StudyVariable variable{name, {}};
        for (const toml::node& v : *values) variable.values.push_back(r.parameter_value(info, v, name));
        study.vary.push_back(std::move(variable));
      }
    } else if (key == "reference") {
      reference = node->as_table();
      if (!reference) r.fail(*node, key, r.kind(*node), "a table [reference] of parameter values");
      for (const auto& [name, value] : in_file_order(*reference)) {
        const ParameterInfo& info = r.parameter(*value, name);
        study.reference.push_back({name, r.parameter_value(info, *value, name)});
      }
    } else {
      r.fail(*node, "", "the unknown key " + quoted_value(key),
             "input, seed, npart, trajectories, [vary] or [reference]");
    }
  }
  if (!seen_seed) {
    throw InputError(shown, 0, "seed", "no seed",
                     "seed = N: every condition runs with this seed, so that a study can be "
                     "continued and each condition rerun alone");
  }
  if (!seen_vary || study.vary.empty()) {
    throw InputError(shown, 0, "vary", "no [vary] table with a parameter list",
                     "[vary] NAME = [values, ...]");
  }
  if (study.zip) {
    for (const StudyVariable& v : study.vary) {
      if (v.values.size() != study.vary.front().values.size()) {
        throw InputError(shown, 0, v.name,
                         std::to_string(v.values.size()) + " values where " +
                             study.vary.front().name + " has " +
                             std::to_string(study.vary.front().values.size()),
                         "lists of equal length with zip = true");
      }
    }
  }
  for (const ParameterAssignment& a : study.reference) {
    for (const StudyVariable& v : study.vary) {
      if (a.name == v.name) {
        throw InputError(shown, 0, a.name, "a parameter both in [vary] and in [reference]",
                         "the twin's own values in [reference], the varied ones in [vary]");
      }
    }
  }
  return study;
}

std::vector<StudyCondition> study_conditions(const StudyFile& study, const ParameterFile& base) {
  // Combinations: the first list varies slowest, as nested loops would.
  std::vector<std::vector<std::size_t>> picks;
  if (study.zip) {
    for (std::size_t k = 0; k < study.vary.front().values.size(); ++k) {
      picks.emplace_back(study.vary.size(), k);
    }
  } else {
    picks.emplace_back();
    for (const StudyVariable& v : study.vary) {
      std::vector<std::vector<std::size_t>> next;
      for (const auto& pick : picks) {
        for (std::size_t k = 0; k < v.values.size(); ++k) {
          next.push_back(pick);
          next.back().push_back(k);
        }
      }
      picks = std::move(next);
    }
  }
  const int width = std::max<int>(2, static_cast<int>(std::to_string(picks.size()).size()));
  std::vector<StudyCondition> conditions;
  for (std::size_t i = 0; i < picks.size(); ++i) {
    StudyCondition c;
    c.number = static_cast<int>(i + 1);
    for (std::size_t k = 0; k < study.vary.size(); ++k) {
      c.varied.push_back({study.vary[k].name, study.vary[k].values[picks[i][k]]});
      c.label += (k ? "," : "") + study.vary[k].name + "=" + c.varied.back().value;
    }
    std::string number = std::to_string(c.number);
    number.insert(0, static_cast<std::size_t>(width) - std::min<std::size_t>(width, number.size()), '0');
    c.directory = number + "-" + c.label;
    c.assignments = c.varied;
    const bool npart_varied = std::any_of(c.varied.begin(), c.varied.end(),
                                          [](const auto& a) { return a.name == "NPART"; });
    if (study.npart && !npart_varied) c.assignments.push_back({"NPART", std::to_string(*study.npart)});
    if (base.parameters.CLUSTER != 0) c.assignments.push_back({"CLUSTER", "0"});
    conditions.push_back(c);
    if (!study.reference.empty()) {
      StudyCondition twin = c;
      twin.reference = true;
      twin.directory += "-reference";
      // The twin's own values replace what the condition sets (NPART).
      for (const ParameterAssignment& a : study.reference) {
        std::erase_if(twin.assignments, [&](const auto& b) { return b.name == a.name; });
        twin.assignments.push_back(a);
      }
      conditions.push_back(std::move(twin));
    }
  }
  return conditions;
}

std::string describe_condition(const StudyCondition& c) {
  std::string number = c.directory.substr(0, c.directory.find('-'));
  return "condition " + number + " (" + c.label + ")" + (c.reference ? " reference twin" : "");
}

}  // namespace colloidsim
