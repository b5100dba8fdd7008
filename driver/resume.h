// Continuing a stopped all-particles run in its own directory.
#pragma once

#include <cstdint>
#include <filesystem>

#include "simulation/run_context.h"

namespace colloidsim {

struct ResumePoint {
  bool fresh = false;           // none of the flux files exists: the run starts anew
  std::int32_t completed = 0;   // particles 1..completed have their flux rows
  std::int64_t rows[3] = {0, 0, 0};  // rows in the files EX, ATT, REM
};

// Reads the three flux files a stopped run left in workdir. Each must begin
// with the echo, legend and header this run writes, and its rows must be
// readable, of the file's family, and together hold every particle 1..K once.
// Otherwise it throws InputError naming the file and line, and changes
// nothing. A last line without its line end (the run was stopped while
// writing it) is then cut off, and a file cut off inside its head lines gets
// them whole again.
ResumePoint prepare_resume(const RunContext& run, const std::filesystem::path& workdir);

}  // namespace colloidsim
