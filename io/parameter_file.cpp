#include "io/parameter_file.h"

#include "common/input_error.h"

namespace colloidsim {

namespace {

using I = ListItem;

constexpr const char* PARAMETER_FILE_PURPOSE = "the run's parameter file in the working directory";

ParameterFile read_parameters(ListReader in) {
  RunParameters p;
  for (int heading = 0; heading < 6; ++heading) in.read({});
  in.read_group("group 0 (line 7)", {I::integer("NPART", p.NPART), I::integer("ATTMODE", p.ATTMODE),
           I::integer("CLUSTER", p.CLUSTER)});

  const auto separator = [&in](int group) {
    in.skip_lines(4, "the four separator lines before group " + std::to_string(group));
  };
  separator(1);
  in.read_group("group 1", {I::real("VSUP", p.VSUP), I::real("RLIM", p.RLIM), I::real("POROSITY", p.POROSITY),
           I::real("AG", p.AG), I::real("TTIME", p.TTIME)});
  separator(2);
  in.read_group("group 2", {I::real("AP", p.AP), I::real("RHOP", p.RHOP), I::real("RHOW", p.RHOW),
           I::real("VISC", p.VISC), I::real("ER", p.ER), I::real("T", p.T)});
  separator(3);
  in.read_group("group 3", {I::real("IS", p.IS), I::real("ZI", p.ZI), I::real("ZETAPST", p.ZETAPST),
           I::real("ZETACST", p.ZETACST)});
  separator(4);
  in.read_group("group 4", {I::real("ZETAHET", p.ZETAHET), I::integer("HETMODE", p.HETMODE),
           I::real("RHET0", p.RHET0), I::real("RHET1", p.RHET1), I::real("RHET2", p.RHET2),
           I::real("SCOV", p.SCOV)});
  separator(5);
  in.read_group("group 5", {I::real("ZETAHETP", p.ZETAHETP), I::integer("HETMODEP", p.HETMODEP),
           I::real("RHETP0", p.RHETP0), I::real("RHETP1", p.RHETP1), I::real("SCOVP", p.SCOVP)});
  separator(6);
  in.read_group("group 6", {I::real("A132", p.A132), I::real("LAMBDAVDW", p.LAMBDAVDW),
           I::integer("VDWMODE", p.VDWMODE)});
  separator(7);
  // The coating constants stand between the core constants in this group.
  in.read_group("group 7", {I::real("A11", p.A11), I::real("AC1C1", p.AC1C1), I::real("A22", p.A22),
           I::real("AC2C2", p.AC2C2), I::real("A33", p.A33)});
  separator(8);
  in.read_group("group 8", {I::real("T1", p.T1), I::real("T2", p.T2)});
  separator(9);
  in.read_group("group 9", {I::real("GAMMA0AB", p.GAMMA0AB), I::real("LAMBDAAB", p.LAMBDAAB),
           I::real("GAMMA0STE", p.GAMMA0STE), I::real("LAMBDASTE", p.LAMBDASTE)});
  separator(10);
  in.read_group("group 10", {I::real("B", p.B), I::integer("RMODE", p.RMODE), I::real("ASP", p.ASP),
           I::real("ASP2", p.ASP2)});
  separator(11);
  in.read_group("group 11", {I::real("KINT", p.KINT), I::real("W132", p.W132), I::real("BETA", p.BETA)});
  separator(12);
  in.read_group("group 12", {I::real("DIFFSCALE", p.DIFFSCALE), I::real("GRAVFACT", p.GRAVFACT),
           I::integer("CBGRAV", p.CBGRAV)});
  separator(13);
  in.read_group("group 13", {I::real("MULTB", p.MULTB), I::real("MULTNS", p.MULTNS), I::real("MULTC", p.MULTC),
           I::real("DFACTNS", p.DFACTNS), I::real("DFACTC", p.DFACTC)});
  separator(14);
  in.read_group("group 14", {I::integer("NOUT", p.NOUT), I::integer("PRINTMAX", p.PRINTMAX)});
  return {p, in.origins(), in.warnings()};
}

}  // namespace

ParameterFile read_parameter_file(const std::filesystem::path& path) {
  return read_parameters(ListReader::from_file(path, PARAMETER_FILE, PARAMETER_FILE_PURPOSE,
                                               MAX_PARAMETER_FILE_BYTES));
}

ParameterFile read_parameter_text(std::string contents) {
  return read_parameters(
      ListReader::from_text(PARAMETER_FILE, std::move(contents), PARAMETER_FILE_PURPOSE));
}

namespace {

// "A-B": two runs of digits joined by one dash, each a 32-bit number.
bool read_block(const std::string& text, std::int32_t& FIRST, std::int32_t& LAST) {
  const std::size_t dash = text.find('-');
  const auto number = [](const std::string& digits, std::int32_t& value) {
    if (digits.empty() || digits.size() > 10) return false;
    long long v = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX) return false;
    value = static_cast<std::int32_t>(v);
    return true;
  };
  return number(text.substr(0, dash), FIRST) && number(text.substr(dash + 1), LAST);
}

}  // namespace

void read_particle_arguments(const std::vector<std::string>& positional, std::int32_t& NPART,
                             std::int32_t& FIRST, std::int32_t& LAST) {
  const char* names[2] = {"NPART", "IPART"};
  std::int32_t* targets[2] = {&NPART, &FIRST};
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string where = "command line argument " + std::to_string(i + 1);
    if (i >= positional.size()) {
      throw InputError(where, 0, names[i], "no argument",
                       "the particle count and the particle number (one-particle mode)");
    }
    const std::string& text = positional[i];
    // A dash after the first character makes a block of particles, A-B.
    if (i == 1 && text.find('-', 1) != std::string::npos) {
      if (!read_block(text, FIRST, LAST)) {
        throw InputError(where, 0, names[i], quoted_value(text),
                         "a particle number, or a block A-B of particle numbers");
      }
      return;
    }
    ListReader in(where, text.substr(0, 40));
    in.read({ListItem::integer(names[i], *targets[i])});
  }
  LAST = FIRST;
}

}  // namespace colloidsim
