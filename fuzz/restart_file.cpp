// The restart file reader on any text: byte 0 chooses how many records the
// run reads (1-16) and in which order, the rest is the file.
#include <cstdint>
#include <string>

#include "common/input_error.h"
#include "fuzz/fuzz_check.h"
#include "io/restart_file.h"

using namespace colloidsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::int32_t records = 1 + data[0] % 16;
  try {
    RestartFile file(ListReader::from_text("FLUXATT.IN", text, "a restart file"));
    if (data[0] & 16) file.record(records);  // a later record first
    for (std::int32_t k = 1; k <= records; ++k) file.record(k);
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  return 0;
}
