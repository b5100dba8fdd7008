// Particles share one run context and only read it: whatever order they run
// in, each gives the same results.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "io/output_records.h"
#include "io/parameter_file.h"
#include "io/validation.h"
#include "random/seeding.h"
#include "simulation/run_context.h"
#include "simulation/trajectory.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

// Particle IPART's flux record and every row of its buffer, as text.
std::string simulate(const RunContext& run, std::int32_t IPART) {
  auto pr = std::make_unique<ParticleRun>();
  seed_from_option(pr->stream, 1, IPART);
  start_particle(run, *pr, IPART, nullptr);
  const int IREC = run_to_fate(run, *pr, nullptr);
  std::string text;
  append_flux_record(text, flux_record(pr->s));
  for (int k = 1; k <= IREC; ++k) append_trajectory_row(text, pr->buffer.row(k));
  return text;
}

TEST(SharedContext, ParticlesGiveTheSameResultsInEitherOrder) {
  // The heterogeneous example with a shorter time limit: both particles visit
  // the near-surface regime, where the particle heterodomains are laid out
  // from the run's realised coverage.
  const auto dir = testing::fresh_directory("shared-context");
  std::string text = testing::read_text(testing::source_path("examples/heterogeneous/INPUT.IN"));
  text.replace(text.find("4.0e-6 5.0e-5 0.37 2.55e-4 2000.0"), 33, "4.0e-6 5.0e-5 0.37 2.55e-4 300.0");
  testing::write_text(dir / "INPUT.IN", text);
  ParameterFile file = read_parameter_file(dir / "INPUT.IN");
  validate_parameters(file);
  file.parameters.NPART = 2;

  const RunContext forward = prepare_run(file.parameters, 1);
  const std::string first = simulate(forward, 1);
  const std::string second = simulate(forward, 2);

  const RunContext backward = prepare_run(file.parameters, 1);
  EXPECT_EQ(simulate(backward, 2), second);
  EXPECT_EQ(simulate(backward, 1), first);
  // Particle 1 came to rest near the surface (fate 5), where the weighting runs.
  EXPECT_EQ(first.substr(6, 6), "     5");
}

}  // namespace
}  // namespace colloidsim
