#include "driver/command_line.h"

#include "common/input_error.h"

namespace colloidsim {

namespace {

// A 64-bit seed: 0..2^64-1, or a negative value down to -2^63 taken modulo 2^64.
bool parse_seed(const std::string& text, std::uint64_t& seed) {
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

// A thread count: 1 to 4096.
bool parse_threads(const std::string& text, int& threads) {
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

bool is_threads_option(const std::string& arg) {
  return arg == "--threads" || arg.rfind("--threads=", 0) == 0 || arg.rfind("-j", 0) == 0;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& args) {
  CommandLine cl;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (is_threads_option(arg)) {
      std::string value;
      if (arg == "--threads" || arg == "-j") {
        if (i + 1 == args.size()) {
          throw InputError("command line", 0, arg, "no value", "a thread count from 1 to 4096");
        }
        value = args[++i];
      } else {
        value = arg.substr(arg[1] == 'j' ? 2 : 10);
      }
      int threads = 0;
      if (!parse_threads(value, threads)) {
        throw InputError("command line", 0, "--threads", quoted_value(value),
                         "a thread count from 1 to 4096");
      }
      cl.threads = threads;
      continue;
    }
    // A dash starts an option, except before a digit (a negative number is
    // an argument, and reported as one).
    if (arg.size() < 2 || arg[0] != '-' || (arg[1] >= '0' && arg[1] <= '9')) {
      if (cl.positional.size() == 2) {
        throw InputError("command line", 0, "", "a third argument " + quoted_value(arg),
                         "at most two arguments, the particle count and the particle number "
                         "(or block A-B) of the one-particle mode");
      }
      cl.positional.push_back(arg);
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--version") {
      cl.version = true;
    } else if (arg == "--resume") {
      cl.resume = true;
    } else if (arg == "--quiet") {
      cl.quiet = true;
    } else if (arg == "--brownian" || arg.rfind("--brownian=", 0) == 0) {
      std::string value;
      if (arg == "--brownian") {
        if (i + 1 == args.size()) {
          throw InputError("command line", 0, "--brownian", "no value", "bulk or hindered");
        }
        value = args[++i];
      } else {
        value = arg.substr(11);
      }
      if (value == "bulk") {
        cl.brownian = BrownianModel::bulk;
      } else if (value == "hindered") {
        cl.brownian = BrownianModel::hindered;
      } else {
        throw InputError("command line", 0, "--brownian", quoted_value(value), "bulk or hindered");
      }
    } else if (arg == "--seed" || arg.rfind("--seed=", 0) == 0) {
      std::string value;
      if (arg == "--seed") {
        if (i + 1 == args.size()) {
          throw InputError("command line", 0, "--seed", "no value", "a 64-bit integer seed");
        }
        value = args[++i];
      } else {
        value = arg.substr(7);
      }
      std::uint64_t seed = 0;
      if (!parse_seed(value, seed)) {
        throw InputError("command line", 0, "--seed", quoted_value(value), "a 64-bit integer seed");
      }
      cl.seed = seed;
    } else {
      throw InputError("command line", 0, "", "the unknown option " + quoted_value(arg),
                       "--seed N, --threads N (-j N), --brownian bulk|hindered, --resume, --quiet, "
                       "--help (-h) or --version "
                       "(see colloidsim --help)");
    }
  }
  return cl;
}

std::string usage_text() {
  return "Usage: colloidsim [options]                     all particles (CLUSTER = 0)\n"
         "       colloidsim [options] NPART IPART         one particle (CLUSTER = 1)\n"
         "       colloidsim [options] NPART A-B           a block of particles (CLUSTER = 1)\n"
         "       colloidsim merge [DIR] [--allow-missing] flux files from numbered files\n"
         "       colloidsim missing [DIR] [--block-size B] particles still to run\n"
         "       colloidsim summary [DIR] [--json]        report on a finished run\n"
         "                                                (see colloidsim summary --help)\n"
         "\n"
         "Simulates colloid-particle trajectories around one collector grain of a\n"
         "granular bed. Reads INPUT.IN from the working directory and writes the\n"
         "flux files (FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT, or the numbered\n"
         "VORNEKFLUX*.n.OUT in one-particle mode) and the trajectory files\n"
         "VORNEKTRAJEX.n.OUT, VORNEKTRAJATT.n.OUT, VORNEKTRAJREM.n.OUT there.\n"
         "With ATTMODE = -1 it restarts attached particles from FLUXATT.IN.\n"
         "\n"
         "Arguments (one-particle mode only; with CLUSTER = 0 they are ignored, with a\n"
         "warning on standard error):\n"
         "  NPART        particle count (replaces NPART of INPUT.IN)\n"
         "  IPART        number of the particle to simulate, 1..NPART\n"
         "  A-B          the particles A to B, each into its own numbered files as\n"
         "               colloidsim NPART n writes them, up to --threads at once\n"
         "\n"
         "Options:\n"
         "  --seed N     reproducible run: particle IPART draws from a stream made from\n"
         "               N and IPART only, so the same N gives the same files byte for\n"
         "               byte (N is a 64-bit integer). Without it every particle is\n"
         "               seeded from /dev/urandom.\n"
         "  --threads N, -j N\n"
         "               run up to N particles at once (default: the CPUs this\n"
         "               process may use). With --seed every file and the standard\n"
         "               output are the same, byte for byte, for any N.\n"
         "  --brownian bulk|hindered\n"
         "               Brownian motion near the collector. bulk (default): the\n"
         "               force has the free-space amplitude, as in the published\n"
         "               model. hindered: the amplitude uses the near-wall friction\n"
         "               of each direction and the mobility gradient adds its drift,\n"
         "               so particles sample Boltzmann's distribution near the wall.\n"
         "  --resume     continue a stopped all-particles run in this directory: the\n"
         "               particles whose rows are in the flux files are kept, the\n"
         "               others run and their rows are appended. Refused when the\n"
         "               files' echo differs from what INPUT.IN gives. Give the same\n"
         "               --seed as the stopped run.\n"
         "  --quiet      no progress bar (it is drawn on standard error only when\n"
         "               that is a terminal)\n"
         "  --help, -h   show this text and exit\n"
         "  --version    show the version and exit\n"
         "\n"
         "Exit status: 0 after a complete run, 1 for bad input or an I/O failure\n"
         "(one message on standard error; no file is written on bad input).\n";
}

}  // namespace colloidsim
