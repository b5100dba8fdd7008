// The restart file reader and the checks of its records on any text: byte 0
// chooses how many records the run reads (1-16) and in which order, the rest
// is the file. The records are checked against the favorable example's
// collector and particle.
#include <cstdint>
#include <string>

#include "common/input_error.h"
#include "fuzz/fuzz_check.h"
#include "io/restart_file.h"
#include "io/validation.h"

using namespace colloidsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::int32_t records = 1 + data[0] % 16;
  try {
    RestartFile file(ListReader::from_text("FLUXATT.IN", text, "a restart file"));
    if (data[0] & 16) file.record(records);  // a later record first
    for (std::int32_t k = 1; k <= records; ++k) file.record(k);
    RunParameters p;
    p.AG = 2.55e-4;
    p.AP = 0.5e-6;
    RunConstants c;
    c.RB = 2.9806e-4;
    validate_restart_records(file, records, p, c);
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  return 0;
}
