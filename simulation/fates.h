// A particle's fate: the codes the files write (ATTACHK), the family of files
// each goes to and which count as attached or retained. The step's tests
// that decide a fate are in simulation/fate_tests.h (and fates.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace colloidsim {

// The code is the ATTACHK value of the flux and trajectory files.
enum class Fate : std::int32_t {
  Unresolved = 0,             // still on its way
  Exit = 1,                   // left the cell
  Attached = 2,               // perfect sink, or held by the rolling balance
  UnresolvedAtEnd = 3,        // the particle clock passed TTIME
  TorqueSlowMotion = 4,       // in contact, moved less than DFACTC Brownian lengths
  NearSurfaceSlowMotion = 5,  // near the surface, moved less than DFACTNS Brownian lengths
  Crashed = 6,                // below H0
};

// The three families of files a fate goes to; arrays of file names are
// indexed by it.
enum class FluxFamily { EX = 0, ATT = 1, REM = 2 };

struct FateFacts {
  Fate fate;
  FluxFamily family;
  bool attached;  // counts toward the attachment efficiency
  bool retained;  // counts toward the retention efficiency (attached, or held near the surface)
  const char* legend;       // the fate's entry in the legend line of a flux file
  const char* description;  // a few words for summaries
};

inline constexpr std::array<FateFacts, 6> FATES = {{
    {Fate::Exit, FluxFamily::EX, false, false, "ATTACHK1=EXIT", "left the cell"},
    {Fate::Attached, FluxFamily::ATT, true, true, "ATTACHK2=ATTACHED-BY-PERFECT-SINK-OR-TORQUE",
     "attached: perfect sink or torque"},
    {Fate::UnresolvedAtEnd, FluxFamily::REM, false, false,
     "ATTACHK3=REMAINING-UNRESOLVED-WHEN-SIMULATION-ENDS", "unresolved at TTIME"},
    {Fate::TorqueSlowMotion, FluxFamily::ATT, true, true, "ATTACHK4=TORQUE-WITH-SLOW-MOTION",
     "torque with slow motion"},
    {Fate::NearSurfaceSlowMotion, FluxFamily::REM, false, true,
     "ATTACHK5=IN-NEAR-SURFACE-WITH-SLOW-MOTION", "near surface, slow motion"},
    {Fate::Crashed, FluxFamily::ATT, true, true, "ATTACHK6=CRASHED", "crashed below H0"},
}};

constexpr std::int32_t code_of(Fate f) { return static_cast<std::int32_t>(f); }

// True for the codes 1 to 6 of a decided fate.
constexpr bool is_fate_code(std::int32_t ATTACHK) { return ATTACHK >= 1 && ATTACHK <= 6; }

// The facts of a decided fate (not Unresolved).
constexpr const FateFacts& facts_of(Fate f) {
  return FATES[static_cast<std::size_t>(code_of(f) - 1)];
}

}  // namespace colloidsim
