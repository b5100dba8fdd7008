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
// consumed by one-item reads, record k read column by column. A record is one
// row of a flux file: all 31 of its columns must stand on its own line, and
// none may be left unset by a null or a slash.
class RestartFile {
 public:
  // Throws InputError when the file cannot be opened. A run that reads
  // `records` records reads at most the first restart_bytes(records) bytes
  // of the file (a copy of a larger run's file may hold more records).
  RestartFile(const std::filesystem::path& path, std::int32_t records);
  // The file's text (contents of the reader).
  explicit RestartFile(ListReader reader);
  static std::size_t restart_bytes(std::int32_t records);
  // Throws InputError when record k is missing, unreadable, runs past the end
  // of its line, or leaves a column the restart takes without a value (a
  // null or a slash).
  RestartRecord record(std::int32_t k);
  // The line (1-based) of the record read last.
  int last_record_line() const { return last_record_line_; }

 private:
  ListReader reader_;
  std::vector<int> record_start_;  // line where the read of record k starts, k = 1, 2, ...
  int last_record_line_ = 0;
};

}  // namespace colloidsim
