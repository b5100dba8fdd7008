// The colloidsim command line, read through CLI11: the run's own options and
// positional numbers, and the subcommands (summary, merge, missing, ...).
//
// A subcommand is one registration (see subcommand() below and the list in
// driver/program.cpp) of three things from its own file: an arguments struct,
// a function that declares its options on an OptionSet (one line each) and its
// run_X_command function. The help of every command is built the same way:
// its usage text, the options as declared, a footer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace colloidsim {

// The options of a run (no subcommand).
struct CommandLine {
  bool help = false;                    // --help, -h
  bool version = false;
  std::optional<std::uint64_t> seed;    // --seed N: reproducible random streams
  std::optional<int> threads;           // --threads N, -j N: particles run at once
  bool resume = false;                  // --resume: continue a stopped all-particles run
  bool quiet = false;                   // --quiet: no progress bar
  bool no_trajectories = false;         // --no-trajectories: no trajectory files
  std::string brownian;                 // --brownian bulk|hindered; empty: not given (bulk)
  std::vector<std::string> positional;  // one-particle mode: particle count, particle number
};

// Where a command runs and writes.
// dir as an absolute path without "." parts or a trailing slash, as the
// reports name a run directory.
std::string absolute_directory(const std::filesystem::path& dir);

struct CommandContext {
  std::filesystem::path workdir;
  std::ostream& out;
  std::ostream& err;
  bool err_is_terminal = false;
  std::vector<std::string> args;  // the command line after the program name, for the run record
};

// Declares the options of one command on its CLI::App, keeping for each what
// its value is expected to be, for the messages. A value that its reader
// refuses, or no value, is an InputError naming the option:
//   command line, parameter --seed: found "x"; expected a 64-bit integer seed
class OptionSet {
 public:
  OptionSet(CLI::App& app, std::map<std::string, std::string>& expected)
      : app_(app), expected_(expected) {}

  // A flag: "--resume", or "--help,-h".
  OptionSet& flag(const std::string& names, bool& target, const std::string& help);
  // An option with a value: "--threads,-j", shown as "--threads N, -j N".
  // read turns the value's text into a Value, false when it cannot.
  template <class Target, class Value>
  OptionSet& value(const std::string& names, const std::string& value_name, Target& target,
                   bool (*read)(const std::string&, Value&), const std::string& expected,
                   const std::string& help) {
    add_value(names, value_name, expected, help, [&target, read](const std::string& text) {
      Value value{};
      if (!read(text, value)) return false;
      target = value;
      return true;
    });
    return *this;
  }
  // An option whose value is one of choices ("--brownian MODEL" with bulk, hindered).
  OptionSet& choice(const std::string& names, const std::string& value_name, std::string& target,
                    const std::vector<std::string>& choices, const std::string& help);
  // The positional arguments, all of them (the command checks their count).
  OptionSet& positional(const std::string& name, std::vector<std::string>& target);
  // The text after the options in --help.
  void footer(const std::string& text);

 private:
  void add_value(const std::string& names, const std::string& value_name,
                 const std::string& expected, const std::string& help,
                 std::function<bool(const std::string&)> read);
  CLI::App& app_;
  std::map<std::string, std::string>& expected_;
};

// A subcommand: its name, its usage text (the head of its --help), how it
// declares its options into the arguments it owns, and how it runs them.
struct Subcommand {
  std::string name;
  std::string brief;  // its line in colloidsim --help
  std::string usage;
  std::function<void(OptionSet&)> define;
  std::function<int(const CommandContext&)> run;
};

template <class Arguments>
Subcommand subcommand(std::string name, std::string brief, std::string usage,
                      void (*define)(OptionSet&, Arguments&),
                      int (*run)(const Arguments&, const CommandContext&)) {
  auto arguments = std::make_shared<Arguments>();
  return {std::move(name), std::move(brief), std::move(usage),
          [arguments, define](OptionSet& options) { define(options, *arguments); },
          [arguments, run](const CommandContext& context) { return run(*arguments, context); }};
}

// What the command line asks for: a run (subcommand nullptr, with cl) or one
// of the subcommands (its arguments filled in); help_text is set when --help
// was given to either.
struct ParsedCommand {
  CommandLine cl;
  const Subcommand* subcommand = nullptr;
  std::string help_text;
};

// Options start with a dash ("--seed N", "-j N", "-h", "--threads=N") and may
// stand before or after the positional arguments; an argument that starts
// with a dash and a digit is a positional one ("-5"). A plain word that is
// neither an option, a subcommand nor a number, an unknown option, a bad
// option value or a third positional argument is an InputError, with the
// nearest subcommand or option when one is close ("did you mean summary?").
ParsedCommand parse_command_line(const std::vector<std::string>& args,
                                 const std::vector<Subcommand>& subcommands = {});

// The text of colloidsim --help.
std::string usage_text(const std::vector<Subcommand>& subcommands = {});

// The subcommand's arguments shared by summary, merge and missing: at most one
// run directory (default ".").
std::string directory_argument(const std::vector<std::string>& positional,
                               const std::string& command);

// A thread count from 1 to 4096 (--threads, -j).
bool read_threads(const std::string& text, int& threads);

// A count from 1 to 2^31 - 1 (--block-size, --npart).
bool read_count(const std::string& text, std::int64_t& value);

}  // namespace colloidsim
