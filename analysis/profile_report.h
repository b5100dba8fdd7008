// The forms of colloidsim profile's report: text for reading, one JSON
// object (keys in README.md, "Profiles"), and CSV with one row per grid
// point and surface pair.
#pragma once

#include <filesystem>
#include <ostream>

#include "analysis/run_profile.h"

namespace colloidsim {

void write_profile_text(std::ostream& out, const RunProfile& r, const std::filesystem::path& input);
void write_profile_json(std::ostream& out, const RunProfile& r, const std::filesystem::path& input);
void write_profile_csv(std::ostream& out, const RunProfile& r);

}  // namespace colloidsim
