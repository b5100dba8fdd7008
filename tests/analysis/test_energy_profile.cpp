// The energy integral against the closed-form energies of the force laws,
// and the features found on constructed profiles and on both examples.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/energy_profile.h"
#include "analysis/run_profile.h"
#include "common/constants.h"
#include "io/parameter_file.h"
#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::RelNear;

RunContext run_for(const std::vector<std::pair<std::string, std::string>>& values) {
  return prepare_run(read_parameter_text(testing::input_with(values)).parameters, std::nullopt);
}

// Integral from h to infinity of the retarded sphere-sphere force
// -(C / h^2) lambda / (lambda + b h), C = A132 a b' / (6 (a + b')):
// -C lambda (1 / (lambda h) - (b / lambda^2) ln((lambda + b h) / h)).
double retarded_vdw_energy(const RunParameters& p, double a, double b2, double h) {
  const double C = p.A132 * a * b2 / (6.0 * (a + b2));
  const double lambda = p.LAMBDAVDW, b = sp(5.32f);
  return -C * lambda * (1.0 / (lambda * h) - b / (lambda * lambda) * std::log((lambda + b * h) / h));
}

// Born: (K sigma^6 / 7560) ((8 a + h) / (2 a + h)^7 + (6 a - h) / h^7).
double born_energy(const RunParameters& p, double h) {
  const double a = p.AP;
  return p.A132 * std::pow(BORN_SIGMA, 6) / 7560.0 *
         ((8 * a + h) / std::pow(2 * a + h, 7) + (6 * a - h) / std::pow(h, 7));
}

TEST(EnergyProfile, IntegralMatchesTheClosedFormsOfTheLaws) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> values;
    bool unretarded;
  };
  const std::vector<Case> cases = {
      {"like-charged, smooth", {{"ZETACST", "-0.040"}}, false},
      {"unretarded (LAMBDAVDW 1e6 m): -C (1/H - 1/HMAX)", {{"ZETACST", "-0.040"}, {"LAMBDAVDW", "1e6"}}, true},
      {"asperities on the particle, ASP 5 nm", {{"ZETACST", "-0.040"}, {"RMODE", "1"}, {"ASP", "5e-9"}}, false},
      {"asperities on both surfaces, ASP 2 nm", {{"RMODE", "3"}, {"ASP", "2e-9"}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunContext run = run_for(c.values);
    const RunParameters& p = run.p;
    const double kT = KB * p.T, HMAX = 1e-6;
    std::vector<double> breakpoints;
    if (p.RMODE > 0) breakpoints.push_back(p.ASP);
    const ForceProfileLaw law = run_force_law(run, {{1.0, &run.f.edl_base}});
    const EnergyProfile profile = energy_profile(law, log_grid(H0, HMAX, 400), breakpoints, kT);

    const double NASP = run.free_zones.NASP;
    const EdlPrepared& edl = run.f.edl_base;
    const double offset = p.RMODE == 3 ? 0.5 * (2 * p.ASP + SQRT3 * p.ASP) : (p.RMODE ? p.ASP : 0);
    const double asperity_b = p.RMODE == 1 ? p.AG : p.RMODE == 2 ? p.AP : p.ASP;
    const double count = p.RMODE == 3 ? 2.5 * NASP : NASP;
    const double weight = p.RMODE ? 1.0 - 0.25 * PI : 1.0;
    const auto vdw = [&](double h) {
      if (c.unretarded) return -p.A132 * p.AP * p.AG / (6.0 * (p.AP + p.AG) * h);
      double U = retarded_vdw_energy(p, p.AP, p.AG, h + offset);
      if (p.RMODE && h <= p.ASP) {
        U += count * (retarded_vdw_energy(p, p.ASP, asperity_b, h) -
                      retarded_vdw_energy(p, p.ASP, asperity_b, p.ASP));
      }
      return U;
    };
    const auto double_layer = [&](double h) {
      double U = weight * edl.BASE_PREFACTOR / edl.KAPPA * std::exp(-edl.KAPPA * (h + offset));
      if (p.RMODE && h <= p.ASP) {
        U += count * edl.ASPERITY_PREFACTOR / edl.KAPPA *
             (std::exp(-edl.KAPPA * h) - std::exp(-edl.KAPPA * p.ASP));
      }
      return U;
    };
    int checked = 0;
    for (std::size_t i = 0; i < profile.H.size(); ++i) {
      const double h = profile.H[i];
      const double expected[3] = {vdw(h) - vdw(HMAX), double_layer(h) - double_layer(HMAX),
                                  born_energy(p, h) - born_energy(p, HMAX)};
      const int parts[3] = {PART_VDW, PART_EDL, PART_BORN};
      for (int k = 0; k < 3; ++k) {
        if (std::fabs(expected[k]) < 1e-6 * kT) continue;
        ++checked;
        EXPECT_TRUE(RelNear(profile.E[i][parts[k]], expected[k], 1e-9)) << PART_NAMES[parts[k]] << " at H = " << h;
      }
      const double sum = expected[0] + expected[1] + expected[2];
      const double size = std::fabs(expected[0]) + std::fabs(expected[1]) + std::fabs(expected[2]);
      EXPECT_LE(std::fabs(profile.E[i][PART_COLL] - sum), 1e-9 * size + 1e-12 * kT) << "at H = " << h;
    }
    EXPECT_GT(checked, 600);
  }
}

// E/kT = A exp(-x/L) - B/x + C/x^6, x = H in nm; the force is -dE/dH with
// kT = 1.
ForceProfileLaw constructed(double A, double L, double B, double C) {
  return [=](double H) {
    const double x = H / 1e-9;
    const double F = (A / L * std::exp(-x / L) - B / (x * x) + 6 * C / std::pow(x, 7)) / 1e-9;
    PartValues v{};
    v[PART_VDW] = F;
    v[PART_COLL] = F;
    return v;
  };
}

struct Expected {
  std::optional<std::pair<double, double>> primary, barrier, secondary;  // H (m), E (kT)
};

void expect_extremum(const char* what, const Extremum& found,
                     const std::optional<std::pair<double, double>>& expected, double kT) {
  SCOPED_TRACE(what);
  ASSERT_EQ(found.found, expected.has_value());
  if (!expected) return;
  EXPECT_TRUE(RelNear(found.H, expected->first, 1e-8));
  EXPECT_TRUE(RelNear(found.E / kT, expected->second, 1e-8));
}

TEST(EnergyProfile, FeaturesOfConstructedProfiles) {
  // tests/analysis/reference/profile_reference.py ("constructed profiles"):
  // stationary points by bisection on the force, E from the closed form.
  struct Case {
    const char* name;
    double A, L, B, C;
    Expected expected;
  };
  const std::vector<Case> cases = {
      {"barrier and secondary minimum", 300, 3.0, 40.0, 0.002,
       {{{2.014086346086919e-10, 111.92048774045325}},
        {{7.1149553801849045e-10, 180.49410134999926}},
        {{2.1022404773749014e-08, -1.5912027427096642}}}},
      {"no barrier", 0, 1.0, 40.0, 0.002, {{{1.9743504858348196e-10, -168.79189470403941}}, {}, {}}},
      // A maximum below zero is no barrier; the minimum beyond it is a
      // secondary minimum.
      {"maximum below zero", 20.0, 1.0, 10.0, 0.002,
       {{{2.6659316468459685e-10, -16.609610696849092}}, {},
        {{2.6179079609404838e-09, -2.3507312066788697}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ForceProfileLaw law = constructed(c.A, c.L, c.B, c.C);
    const EnergyProfile profile = energy_profile(law, log_grid(H0, 1e-6, 400), {}, 1.0);
    const ProfileFeatures f = find_features(law, profile, {}, 1.0);
    expect_extremum("primary minimum", f.primary_minimum, c.expected.primary, 1.0);
    expect_extremum("barrier", f.barrier, c.expected.barrier, 1.0);
    expect_extremum("secondary minimum", f.secondary_minimum, c.expected.secondary, 1.0);
  }
}

TEST(EnergyProfile, FeaturesOfBothExamples) {
  // tests/analysis/reference/profile_reference.py ("examples"): the closed
  // forms of the retarded van der Waals, double-layer and Born energies,
  // HMAX = 1 um.
  struct Case {
    const char* example;
    std::size_t pair;
    Expected expected;
  };
  const std::vector<Case> cases = {
      {"heterogeneous", 0,
       {{{2.9233480452088206e-10, 505.35886898050524}},
        {{8.0725308617974915e-10, 686.63947466192974}},
        {{2.3724856575157132e-08, -1.759732708473525}}}},
      {"heterogeneous", 3,
       {{{2.8824073955124885e-10, -9.7721812249237825}},
        {{1.1821720312561807e-09, 273.18002837961131}},
        {{2.0655951062196654e-08, -2.1376438235601452}}}},
      {"favorable", 0, {{{2.7969377708816918e-10, -1386.6582642502512}}, {}, {}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.example) + " pair " + std::to_string(c.pair + 1));
    const ParameterFile file =
        read_parameter_file(testing::source_path(std::string("examples/") + c.example + "/INPUT.IN"));
    const RunContext run = prepare_run(file.parameters, std::nullopt);
    const RunProfile r = profile_run(run, file.parameters, {});
    EXPECT_EQ(r.hmax, 1e-6);
    ASSERT_LT(c.pair, r.pairs.size());
    const ProfileFeatures& f = r.pairs[c.pair].features;
    expect_extremum("primary minimum", f.primary_minimum, c.expected.primary, r.kT);
    expect_extremum("barrier", f.barrier, c.expected.barrier, r.kT);
    expect_extremum("secondary minimum", f.secondary_minimum, c.expected.secondary, r.kT);
  }
}

}  // namespace
}  // namespace colloidsim
