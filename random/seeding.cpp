#include "random/seeding.h"

#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <ctime>
#include <fstream>

#include "random/random_draws.h"
#include "random/uniform_generator.h"

namespace colloidsim {

namespace {

// Number of 32-bit seed words the generator takes; 0 leaves the seed empty.
constexpr std::size_t seed_word_count() {
  constexpr int n = UniformGenerator::seed_size_bits() / 32;
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

using SeedWords = std::array<std::int32_t, seed_word_count()>;

// The seed words follow from the starting value alone.
void install_words_from_start(RandomStream& stream, std::int64_t T) {
  SeedWords SEED{};
  for (std::int32_t& word : SEED) word = LCG(T);
  stream.generator.install_seed(SEED);
}

}  // namespace

std::int32_t LCG(std::int64_t& S) {
  if (S == 0) {
    S = 104729;
  } else {
    S = S % 4294967296LL;
  }
  // |S| < 2^32 here, so the product stays below 2^61.
  S = (S * 279470273LL) % 4294967291LL;
  return static_cast<std::int32_t>(S % 2147483647LL);
}

bool SystemSeedSources::read_urandom(std::span<std::byte> bytes) {
  std::ifstream file("/dev/urandom", std::ios::binary);
  if (!file.is_open()) return false;
  file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return true;
}

std::int64_t SystemSeedSources::clock_count() {
  return static_cast<std::int64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::array<std::int32_t, 8> SystemSeedSources::date_time() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millisecond =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          static_cast<std::int32_t>(local.tm_gmtoff / 60),
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          static_cast<std::int32_t>(millisecond)};
}

std::int32_t SystemSeedSources::process_id() { return static_cast<std::int32_t>(getpid()); }

std::int64_t date_time_start(const std::array<std::int32_t, 8>& v) {
  const auto product32 = [](std::int32_t a, std::int32_t b) {
    return static_cast<std::int64_t>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b)));
  };
  std::int64_t T = static_cast<std::int64_t>(v[0] - 1970) * 31536000000LL;
  T = T + static_cast<std::int64_t>(v[1]) * 2678400000LL;
  T = T + static_cast<std::int64_t>(v[2]) * 86400000LL;
  T = T + product32(v[4], 3600000);
  T = T + product32(v[5], 60000);
  T = T + product32(v[6], 1000);
  T = T + static_cast<std::int64_t>(v[7]);
  return T;
}

void INIT_RANDOM_SEED(RandomStream& stream, SeedSources& sources) {
  SeedWords SEED{};
  if (sources.read_urandom(std::as_writable_bytes(std::span(SEED)))) {
    stream.generator.install_seed(SEED);
    return;
  }
  std::int64_t T = sources.clock_count();
  if (T == 0) T = date_time_start(sources.date_time());
  T = T ^ static_cast<std::int64_t>(sources.process_id());
  install_words_from_start(stream, T);
}

void INIT_RANDOM_SEED(RandomStream& stream) {
  SystemSeedSources system;
  INIT_RANDOM_SEED(stream, system);
}

std::uint64_t splitmix64(std::uint64_t z) {
  z ^= z >> 30;
  z *= 0xBF58476D1CE4E5B9ULL;
  z ^= z >> 27;
  z *= 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return z;
}

void seed_from_option(RandomStream& stream, std::int64_t N, std::int32_t IPART) {
  const std::uint64_t mixed = static_cast<std::uint64_t>(N) +
                              static_cast<std::uint64_t>(static_cast<std::int64_t>(IPART)) *
                                  0x9E3779B97F4A7C15ULL;
  install_words_from_start(stream, static_cast<std::int64_t>(splitmix64(mixed)));
}

}  // namespace colloidsim
