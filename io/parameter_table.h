// The parameters of INPUT.IN in the order they are read: name, group, kind,
// unit and the field of the parameter record. The reader, `set` and its
// listing all go by this one table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/run_parameters.h"

namespace colloidsim {

struct ParameterInfo {
  const char* name;
  int group;         // 0: line 7 (NPART ATTMODE CLUSTER), then groups 1..14
  const char* unit;  // "-" for a number without unit
  // Exactly one of the two is set: an integer or a real parameter.
  std::int32_t RunParameters::*integer;
  double RunParameters::*real;

  bool is_integer() const { return integer != nullptr; }
  double value(const RunParameters& p) const {
    return is_integer() ? static_cast<double>(p.*integer) : p.*real;
  }
};

inline constexpr int PARAMETER_GROUPS = 15;  // line 7 and groups 1..14

namespace parameter_table_detail {
constexpr ParameterInfo I(const char* name, int group, std::int32_t RunParameters::*field) {
  return {name, group, "-", field, nullptr};
}
constexpr ParameterInfo D(const char* name, int group, const char* unit,
                          double RunParameters::*field) {
  return {name, group, unit, nullptr, field};
}
}  // namespace parameter_table_detail

inline constexpr std::array<ParameterInfo, 60> PARAMETERS = [] {
  using R = RunParameters;
  using parameter_table_detail::D;
  using parameter_table_detail::I;
  return std::array<ParameterInfo, 60>{
      I("NPART", 0, &R::NPART), I("ATTMODE", 0, &R::ATTMODE), I("CLUSTER", 0, &R::CLUSTER),
      D("VSUP", 1, "m/s", &R::VSUP), D("RLIM", 1, "m", &R::RLIM),
      D("POROSITY", 1, "-", &R::POROSITY), D("AG", 1, "m", &R::AG), D("TTIME", 1, "s", &R::TTIME),
      D("AP", 2, "m", &R::AP), D("RHOP", 2, "kg/m3", &R::RHOP), D("RHOW", 2, "kg/m3", &R::RHOW),
      D("VISC", 2, "kg/m/s", &R::VISC), D("ER", 2, "-", &R::ER), D("T", 2, "K", &R::T),
      D("IS", 3, "mol/m3", &R::IS), D("ZI", 3, "-", &R::ZI), D("ZETAPST", 3, "V", &R::ZETAPST),
      D("ZETACST", 3, "V", &R::ZETACST),
      D("ZETAHET", 4, "V", &R::ZETAHET), I("HETMODE", 4, &R::HETMODE),
      D("RHET0", 4, "m", &R::RHET0), D("RHET1", 4, "m", &R::RHET1), D("RHET2", 4, "m", &R::RHET2),
      D("SCOV", 4, "-", &R::SCOV),
      D("ZETAHETP", 5, "V", &R::ZETAHETP), I("HETMODEP", 5, &R::HETMODEP),
      D("RHETP0", 5, "m", &R::RHETP0), D("RHETP1", 5, "m", &R::RHETP1),
      D("SCOVP", 5, "-", &R::SCOVP),
      D("A132", 6, "J", &R::A132), D("LAMBDAVDW", 6, "m", &R::LAMBDAVDW),
      I("VDWMODE", 6, &R::VDWMODE),
      // The coating constants stand between the core constants in this group.
      D("A11", 7, "J", &R::A11), D("AC1C1", 7, "J", &R::AC1C1), D("A22", 7, "J", &R::A22),
      D("AC2C2", 7, "J", &R::AC2C2), D("A33", 7, "J", &R::A33),
      D("T1", 8, "m", &R::T1), D("T2", 8, "m", &R::T2),
      D("GAMMA0AB", 9, "J/m2", &R::GAMMA0AB), D("LAMBDAAB", 9, "m", &R::LAMBDAAB),
      D("GAMMA0STE", 9, "J/m2", &R::GAMMA0STE), D("LAMBDASTE", 9, "m", &R::LAMBDASTE),
      D("B", 10, "m", &R::B), I("RMODE", 10, &R::RMODE), D("ASP", 10, "m", &R::ASP),
      D("ASP2", 10, "m", &R::ASP2),
      D("KINT", 11, "N/m2", &R::KINT), D("W132", 11, "J/m2", &R::W132),
      D("BETA", 11, "-", &R::BETA),
      D("DIFFSCALE", 12, "-", &R::DIFFSCALE), D("GRAVFACT", 12, "-", &R::GRAVFACT),
      I("CBGRAV", 12, &R::CBGRAV),
      D("MULTB", 13, "-", &R::MULTB), D("MULTNS", 13, "-", &R::MULTNS),
      D("MULTC", 13, "-", &R::MULTC), D("DFACTNS", 13, "-", &R::DFACTNS),
      D("DFACTC", 13, "-", &R::DFACTC),
      I("NOUT", 14, &R::NOUT), I("PRINTMAX", 14, &R::PRINTMAX)};
}();

// The parameter of this name (names as in the table: "AP", "ZETAPST"), or null.
const ParameterInfo* find_parameter(std::string_view name);

// A value as `set` and the study write it: a real in the shortest form that
// reads back to the same double ("1e-06", "0.03"), an integer in decimal.
std::string parameter_value_text(const ParameterInfo& info, double value);

}  // namespace colloidsim
