// Second half of a time step: every force on the particle at its new position
// and the particle's momentum balance for its new velocity.
#pragma once

#include <cstdint>

#include "random/random_draws.h"
#include "simulation/heterodomain_weighting.h"
#include "simulation/particle_state.h"
#include "simulation/run_context.h"

namespace colloidsim {

// Colloidal forces at the current position: van der Waals, the double layer
// (weighted by the heterodomains inside the zone of influence outside the
// bulk regime), acid-base, Born, steric and their sum FCOLL.
// lay_out: lay the particle's heterodomains out anew (start pass, first step).
// HETTYPE gathers the heterodomain kinds the zone of influence touches.
void colloidal_forces(const RunContext& run, const ParticleMotion& m, ForceBreakdown& f,
                      std::int32_t& HETTYPE, HeterodomainWeighting& het, bool lay_out);

// The gravity vectors along the normal and the tangent (N); their sizes FGN
// and FGT go to f.
struct GravityVectors {
  double FGNX = 0, FGNY = 0, FGNZ = 0, FGTX = 0, FGTY = 0, FGTZ = 0;
};
GravityVectors gravity(const RunContext& run, const ParticleMotion& m, ForceBreakdown& f);

// All forces and the new velocity, in the order the model fixes; draws the
// Brownian force from the particle's stream. Reads the step count (the first
// step lays the heterodomains out) and adds to HETTYPE.
void update_forces_and_velocity(const RunContext& run, ParticleMotion& m, ForceBreakdown& f,
                                ParticleBookkeeping& b, HeterodomainWeighting& het,
                                RandomStream& stream);

// Fluid velocity at the particle centre (m/s): the Happel field inside the
// cell (R <= RB), the uniform approach flow (0, 0, -VSUP) outside it. Inside
// the cell R must be the distance of (X, Y, Z) from the collector centre, as
// a time step leaves it (a move that is put back keeps an R outside the
// cell); the field takes it rather than a square root of its own.
void fluid_velocity(const RunContext& run, double X, double Y, double Z, double R, double& UFX,
                    double& UFY, double& UFZ);

}  // namespace colloidsim
