#include "io/file_names.h"

#include <stdexcept>

#include "common/fixed_format.h"

namespace colloidsim {

namespace {

constexpr int SCRATCH_LENGTH = 40;
constexpr int PACK_CAPACITY = 800;

// Wide enough for every 32-bit number with its sign, so that no digit of a
// particle number is cut from a file name (two particles would otherwise
// share, and overwrite, one set of files).
constexpr int NUMBER_FIELD = 11;

}  // namespace

void CHRPAK(std::string& TEXT, int NCHAR, int& L) {
  std::string scratch;
  int k = 0;
  for (int i = 0; i < NCHAR; ++i) {
    const char c = TEXT[static_cast<std::size_t>(i)];
    if (c != ' ') {
      ++k;
      if (k > PACK_CAPACITY) throw std::runtime_error("abort - maxed out in chrpak");
      scratch += c;
    }
  }
  L = k;
  const std::size_t length = TEXT.size();
  TEXT = scratch;
  TEXT.resize(length, ' ');
}

void CHRI(std::string& TEXT, int N, std::int32_t I) {
  std::string scratch;
  append_I(scratch, I, SCRATCH_LENGTH);
  int L = 0;
  CHRPAK(scratch, SCRATCH_LENGTH, L);
  const int kept = L > 0 ? L : 0;
  for (int i = 0; i < N; ++i) {
    TEXT[static_cast<std::size_t>(i)] = i < kept ? scratch[static_cast<std::size_t>(i)] : ' ';
  }
}

FluxFamily flux_family_of(std::int32_t ATTACHK) {
  return is_fate_code(ATTACHK) ? facts_of(static_cast<Fate>(ATTACHK)).family : FluxFamily::ATT;
}

std::string numbered_name_one_particle(const std::string& prefix, std::int32_t IPART) {
  std::string NUM(NUMBER_FIELD, ' ');
  CHRI(NUM, NUMBER_FIELD, IPART);
  std::string NAME = prefix + NUM + ".OUT";
  NAME.resize(std::max<std::size_t>(NAME.size(), SCRATCH_LENGTH), ' ');
  int ILEN = 0;
  CHRPAK(NAME, static_cast<int>(NAME.size()), ILEN);
  return NAME.substr(0, static_cast<std::size_t>(ILEN));
}

std::string numbered_name_all_particles(const std::string& prefix, std::int32_t IPART) {
  std::string name = prefix;
  append_I(name, IPART, 0);
  return name + ".OUT";
}

}  // namespace colloidsim
