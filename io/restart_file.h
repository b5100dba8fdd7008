// The restart file "FLUXATT.IN": a flux file of attached particles of an
// earlier run, whose records give the start points when ATTMODE = -1.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/list_reader.h"
#include "simulation/particle_state.h"

namespace colloidsim {

inline constexpr const char* RESTART_FILE = "FLUXATT.IN";

// "FLUXATT.IN" read once; record k is then read as a fresh read of the file
// would find it: six heading lines skipped by one-item reads, records 1..k-1
// consumed by one-item reads, record k read column by column.
class RestartFile {
 public:
  // Throws InputError when the file cannot be opened. A run that reads
  // `records` records reads at most the first restart_bytes(records) bytes
  // of the file (a copy of a larger run's file may hold more records).
  RestartFile(const std::filesystem::path& path, std::int32_t records);
  // The file's text (contents of the reader).
  explicit RestartFile(ListReader reader);
  static std::size_t restart_bytes(std::int32_t records);
  // Throws InputError when record k is missing or unreadable.
  RestartRecord record(std::int32_t k);

 private:
  ListReader reader_;
  std::vector<int> record_start_;  // line where the read of record k starts, k = 1, 2, ...
};

}  // namespace colloidsim
