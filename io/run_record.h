// The run record: a small JSON file beside a run's files that says how they
// were made (program version, command line, seed, threads, model options, the
// inputs' sha256, times, particles written).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simulation/run_context.h"

namespace colloidsim {

// The record of an all-particles run, a resume of one, or a merge.
inline constexpr const char* RUN_RECORD_NAME = "RUN.json";

// RUN.json, or for a one-particle run or block RUN.<n>.json, RUN.<A>-<B>.json.
std::string run_record_name(bool numbered, std::int32_t FIRST, std::int32_t LAST);

// Whether name is the record of a one-particle run or block.
bool is_particles_record_name(const std::string& name);

// The choices beyond INPUT.IN that change a run's results, one entry each.
nlohmann::ordered_json model_options(const RunContext& run);

// The sha256 of a file's bytes, 64 hexadecimal digits. Throws InputError
// naming shown when the file cannot be read.
std::string sha256_of_file(const std::filesystem::path& path, const std::string& shown);
std::string sha256_of_text(const std::string& text);

// The present time in UTC, "2024-05-01T12:34:56Z".
std::string utc_time_now();

// Written complete or not at all (a temporary file renamed to name).
void write_run_record(const std::filesystem::path& dir, const std::string& name,
                      const nlohmann::ordered_json& record);

// The record called name in dir, or nothing when there is none (a run of an
// older version). Throws InputError for a record that is not a JSON object.
std::optional<nlohmann::ordered_json> read_run_record(const std::filesystem::path& dir,
                                              const std::string& name);

// The seed of a record as a person reads it: the number, or "none".
std::string seed_text(const nlohmann::ordered_json& record);
// The options of a record as "name=value, name=value".
std::string options_text(const nlohmann::ordered_json& record);

// What two records disagree on among version, seed and options, as
// "seed 5 and 7", one entry each.
std::vector<std::string> record_differences(const nlohmann::ordered_json& a, const nlohmann::ordered_json& b);

}  // namespace colloidsim
