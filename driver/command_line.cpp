#include "driver/command_line.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "common/input_error.h"

namespace colloidsim {

namespace {

// A 64-bit seed: 0..2^64-1, or a negative value down to -2^63 taken modulo 2^64.
bool read_seed(const std::string& text, std::uint64_t& seed) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative || (!text.empty() && text[0] == '+')) ++i;
  if (i == text.size()) return false;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  if (negative && value > (std::uint64_t{1} << 63)) return false;
  seed = negative ? 0 - value : value;
  return true;
}


// The options of a run, one line each; the order is that of --help.
void define_run_options(OptionSet& options, CommandLine& cl) {
  options
      .value("--seed", "N", cl.seed, read_seed, "a 64-bit integer seed",
             "reproducible run: particle IPART draws from a stream made from\n"
             "N and IPART only, so the same N gives the same files byte for\n"
             "byte (N is a 64-bit integer). Without it every particle is\n"
             "seeded from /dev/urandom.")
      .value("--threads,-j", "N", cl.threads, read_threads, "a thread count from 1 to 4096",
             "run up to N particles at once (default: the CPUs this\n"
             "process may use). With --seed every file and the standard\n"
             "output are the same, byte for byte, for any N.")
      .choice("--brownian", "MODEL", cl.brownian, {"bulk", "hindered"},
              "Brownian motion near the collector. bulk (default): the\n"
              "force has the free-space amplitude, as in the published\n"
              "model. hindered: the amplitude uses the near-wall friction\n"
              "of each direction and the mobility gradient adds its drift,\n"
              "so particles sample Boltzmann's distribution near the wall.")
      .flag("--resume", cl.resume,
            "continue a stopped all-particles run in this directory: the\n"
            "particles whose rows are in the flux files are kept, the\n"
            "others run and their rows are appended. Refused when the\n"
            "files' echo differs from what INPUT.IN gives. Give the same\n"
            "--seed as the stopped run.")
      .flag("--quiet", cl.quiet,
            "no progress bar (it is drawn on standard error only when\n"
            "that is a terminal)")
      .flag("--no-trajectories", cl.no_trajectories,
            "write no trajectory files (VORNEKTRAJ*.n.OUT); the flux files\n"
            "and the console lines are the same as without it")
      .flag("--help,-h", cl.help, "show this text and exit")
      .flag("--version", cl.version, "show the version and exit")
      .positional("NUMBERS", cl.positional);
}

const char* const RUN_USAGE =
    "Usage: colloidsim [options]                     all particles (CLUSTER = 0)\n"
    "       colloidsim [options] NPART IPART         one particle (CLUSTER = 1)\n"
    "       colloidsim [options] NPART A-B           a block of particles (CLUSTER = 1)\n";

const char* const RUN_DESCRIPTION =
    "\n"
    "Simulates colloid-particle trajectories around one collector grain of a\n"
    "granular bed. Reads INPUT.IN from the working directory and writes the\n"
    "flux files (FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT, or the numbered\n"
    "VORNEKFLUX*.n.OUT in one-particle mode) and the trajectory files\n"
    "VORNEKTRAJEX.n.OUT, VORNEKTRAJATT.n.OUT, VORNEKTRAJREM.n.OUT there.\n"
    "With ATTMODE = -1 it restarts attached particles from FLUXATT.IN.\n"
    "\n"
    "Arguments (one-particle mode only: INPUT.IN's CLUSTER decides the mode, and\n"
    "with CLUSTER = 0 numbers on the command line are an error):\n"
    "  NPART        particle count (replaces NPART of INPUT.IN)\n"
    "  IPART        number of the particle to simulate, 1..NPART\n"
    "  A-B          the particles A to B, each into its own numbered files as\n"
    "               colloidsim NPART n writes them, up to --threads at once\n";

const char* const RUN_FOOTER =
    "\n"
    "Exit status: 0 after a complete run, 1 for bad input or an I/O failure\n"
    "(one message on standard error; no file is written on bad input).\n";

// The help of every command: its usage text, its options as declared (name
// column at least 15 wide, a longer name on a line of its own), its footer.
class HelpFormatter : public CLI::FormatterBase {
 public:
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    std::vector<std::pair<std::string, std::string>> rows;
    std::size_t column = 15;
    for (const CLI::Option* option : app->get_options()) {
      if (!option->nonpositional()) continue;
      const std::string name = shown_name(*option);
      if (name.size() <= 15) column = std::max(column, name.size() + 4);
      rows.push_back({name, option->get_description()});
    }
    std::string text = app->get_description() + "\nOptions:\n";
    for (const auto& [name, description] : rows) {
      std::string line = "  " + name;
      if (line.size() + 2 > column) {
        text += line + "\n";
        line.clear();
      }
      std::size_t start = 0;
      while (start <= description.size()) {
        const std::size_t end = std::min(description.find('\n', start), description.size());
        line.resize(column, ' ');
        text += line + description.substr(start, end - start) + "\n";
        line.clear();
        start = end + 1;
      }
    }
    return text + app->get_footer();
  }

  // "--threads N, -j N", "--help, -h"
  static std::string shown_name(const CLI::Option& option) {
    const std::string type = option.get_type_name().empty() ? "" : " " + option.get_type_name();
    std::string name;
    for (const std::string& l : option.get_lnames()) name += (name.empty() ? "--" : ", --") + l + type;
    for (const std::string& s : option.get_snames()) name += (name.empty() ? "-" : ", -") + s + type;
    return name;
  }
};

// The options of a command for a message: "--seed N, --threads N (-j N),
// --resume, --quiet, --help (-h) or --version".
std::string option_list(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    if (!option->nonpositional()) continue;
    const std::string type = option->get_type_name().empty() ? "" : " " + option->get_type_name();
    std::string name = option->get_lnames().empty() ? "" : "--" + option->get_lnames().front() + type;
    for (const std::string& s : option->get_snames()) {
      name += name.empty() ? "-" + s + type : " (-" + s + type + ")";
    }
    names.push_back(name);
  }
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  }
  return text;
}

// Edit distance with transpositions (optimal string alignment): "summry" is
// 1 from "summary", "--quite" 1 from "--quiet".
std::size_t distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// "; did you mean NAME?" for the nearest candidate within two edits (and
// fewer than half the word's letters), else nothing. Single letters ("-s")
// get no suggestion: every other one is as near.
std::string suggestion(const std::string& word, const std::vector<std::string>& candidates) {
  if (word.size() > 100) return "";
  std::string best;
  std::size_t best_distance = 3;
  for (const std::string& candidate : candidates) {
    if (candidate.size() <= 2) continue;
    const std::size_t d = distance(word, candidate);
    if (d < best_distance && 2 * d < word.size()) {
      best = candidate;
      best_distance = d;
    }
  }
  return best.empty() ? "" : "; did you mean " + best + "?";
}

std::vector<std::string> option_names(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& l : option->get_lnames()) names.push_back("--" + l);
  }
  return names;
}

std::string see(const CLI::App& app) {
  return app.get_parent() ? "see colloidsim " + app.get_name() + " --help" : "see colloidsim --help";
}

// Every command reads its own options and keeps what it does not know, for
// the messages below; --help is an option of each, not CLI11's own.
void configure(CLI::App& app) {
  app.set_help_flag();
  app.allow_extras();
  app.formatter(std::make_shared<HelpFormatter>());
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// A positional argument that is a plain word, not a number: one starting with
// a letter and without a dash ("summry"); anything else ("3*2", "/", "-5",
// the block "a-b") is read, and reported, as a number.
bool is_word(const std::string& arg) {
  return !arg.empty() && ((arg[0] >= 'a' && arg[0] <= 'z') || (arg[0] >= 'A' && arg[0] <= 'Z')) &&
         arg.find('-') == std::string::npos;
}

void check_unknown_options(const CLI::App& app) {
  const std::vector<std::string> extras = app.remaining();
  if (extras.empty()) return;
  const std::string& arg = extras.front();
  throw InputError("command line", 0, "", "the unknown option " + quoted_value(arg),
                   option_list(app) + " (" + see(app) + ")" + suggestion(arg, option_names(app)));
}

void check_run_arguments(const CLI::App& app, const CommandLine& cl,
                         const std::vector<Subcommand>& subcommands) {
  for (const std::string& arg : cl.positional) {
    if (!is_word(arg)) continue;
    std::vector<std::string> names;
    std::string listed;
    for (const Subcommand& s : subcommands) {
      names.push_back(s.name);
      listed += (listed.empty() ? "" : ", ") + s.name;
    }
    throw InputError("command line", 0, "", quoted_value(arg),
                     "a subcommand (" + listed +
                         "), an option or the numbers of the one-particle mode (" + see(app) +
                         ")" + suggestion(arg, names));
  }
  if (cl.positional.size() > 2) {
    throw InputError("command line", 0, "", "a third argument " + quoted_value(cl.positional[2]),
                     "at most two arguments, the particle count and the particle number "
                     "(or block A-B) of the one-particle mode");
  }
}

// A subcommand stands first: an option or number of the run before it is
// refused rather than dropped.
void check_nothing_before(const CLI::App& app, const CLI::App& sub, const CommandLine& cl) {
  std::string given = cl.positional.empty() ? "" : cl.positional.front();
  for (const CLI::Option* option : app.get_options()) {
    if (given.empty() && option->nonpositional() && option->count() > 0) given = option->get_name();
  }
  if (given.empty()) return;
  throw InputError("command line", 0, "", quoted_value(given) + " before the subcommand " +
                                              sub.get_name(),
                   "the subcommand first, then its own options (" + see(sub) + ")");
}

// The option a CLI11 message names ("--seed: 1 required N missing").
std::string option_in(const std::string& message) {
  return message.substr(0, message.find(':'));
}

}  // namespace

// A thread count: 1 to 4096.
bool read_threads(const std::string& text, int& threads) {
  if (text.empty() || text.size() > 4) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 4096) return false;
  threads = value;
  return true;
}

OptionSet& OptionSet::flag(const std::string& names, bool& target, const std::string& help) {
  app_.add_flag(names, target, help);
  return *this;
}

OptionSet& OptionSet::choice(const std::string& names, const std::string& value_name,
                             std::string& target, const std::vector<std::string>& choices,
                             const std::string& help) {
  std::string listed;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    listed += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
  }
  add_value(names, value_name, listed, help, [&target, choices](const std::string& text) {
    if (std::find(choices.begin(), choices.end(), text) == choices.end()) return false;
    target = text;
    return true;
  });
  return *this;
}

OptionSet& OptionSet::positional(const std::string& name, std::vector<std::string>& target) {
  app_.add_option(name, target);
  return *this;
}

void OptionSet::footer(const std::string& text) { app_.footer(text); }

void OptionSet::add_value(const std::string& names, const std::string& value_name,
                          const std::string& expected, const std::string& help,
                          std::function<bool(const std::string&)> read) {
  CLI::Option* option = app_.add_option(names, CLI::callback_t{}, help);
  const std::string name = option->get_name();
  option->each([name, expected, read](const std::string& text) {
    if (!read(text)) throw InputError("command line", 0, name, quoted_value(text), expected);
  });
  option->type_name(value_name);
  expected_[name] = expected;
}

ParsedCommand parse_command_line(const std::vector<std::string>& args,
                                 const std::vector<Subcommand>& subcommands) {
  ParsedCommand parsed;
  std::map<std::string, std::string> expected;
  CLI::App app(usage_text(subcommands), "colloidsim");
  configure(app);
  app.footer(RUN_FOOTER);
  OptionSet run(app, expected);
  define_run_options(run, parsed.cl);
  app.require_subcommand(0, 1);
  std::vector<CLI::App*> apps;
  const std::unique_ptr<bool[]> help_flags(new bool[subcommands.size() + 1]());
  for (std::size_t i = 0; i < subcommands.size(); ++i) {
    CLI::App* sub = app.add_subcommand(subcommands[i].name, subcommands[i].usage);
    configure(*sub);
    sub->footer("");
    OptionSet options(*sub, expected);
    subcommands[i].define(options);
    options.flag("--help,-h", help_flags[i], "show this text and exit");
    apps.push_back(sub);
  }
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ArgumentMismatch& e) {
    const std::string name = option_in(e.what());
    const auto it = expected.find(name);
    throw InputError("command line", 0, name, "no value",
                     it != expected.end() ? it->second : "a value (" + see(app) + ")");
  } catch (const CLI::ParseError& e) {
    throw InputError("command line", 0, "", e.what(), "arguments as colloidsim --help lists them");
  }
  for (std::size_t i = 0; i < subcommands.size(); ++i) {
    if (apps[i]->parsed()) {
      parsed.subcommand = &subcommands[i];
      if (help_flags[i]) {
        parsed.help_text = apps[i]->help();
        return parsed;
      }
      check_nothing_before(app, *apps[i], parsed.cl);
      check_unknown_options(*apps[i]);
      return parsed;
    }
  }
  if (parsed.cl.help) {
    parsed.help_text = app.help();
    return parsed;
  }
  check_unknown_options(app);
  check_run_arguments(app, parsed.cl, subcommands);
  return parsed;
}

std::string usage_text(const std::vector<Subcommand>& subcommands) {
  std::string text = RUN_USAGE;
  for (const Subcommand& s : subcommands) {
    // The subcommand's first usage line, "Usage: colloidsim merge [DIR] ...".
    std::string line = s.usage.substr(0, s.usage.find('\n'));
    line = "       " + line.substr(line.find("colloidsim"));
    if (line.size() >= 48) line += "\n";
    line.resize(line.size() < 48 ? 48 : line.size() + 48, ' ');
    text += line + s.brief + "\n";
  }
  if (!subcommands.empty()) {
    text += std::string(48, ' ') + "(see colloidsim SUBCOMMAND --help)\n";
  }
  return text + RUN_DESCRIPTION;
}

std::string absolute_directory(const std::filesystem::path& dir) {
  std::string text = std::filesystem::absolute(dir).lexically_normal().string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string directory_argument(const std::vector<std::string>& positional,
                               const std::string& command) {
  if (positional.size() > 1) {
    throw InputError("command line", 0, "", quoted_value(positional[1]) + " after the directory",
                     "one run directory (see colloidsim " + command + " --help)");
  }
  return positional.empty() ? "." : positional.front();
}

bool read_count(const std::string& text, std::int64_t& value) {
  if (text.empty() || text.size() > 10) return false;
  std::int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < 1 || v > INT32_MAX) return false;
  value = v;
  return true;
}

}  // namespace colloidsim
