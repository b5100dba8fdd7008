// Seeding of a particle's random stream: fresh entropy by default, or a
// reproducible stream from the --seed option.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace colloidsim {

struct RandomStream;

// Spreads the 64-bit starting value S over 32-bit seed words, one per call:
// S = (S mod 2^32) * 279470273 mod 4294967291 (S = 0 is first replaced by
// 104729), and the word is S mod 2147483647. Every mod truncates, so it takes
// the sign of the dividend. From S = 0 the first call leaves S = 2735100143
// and returns 587616496.
std::int32_t LCG(std::int64_t& S);

// Where unseeded runs take their entropy from.
class SeedSources {
 public:
  virtual ~SeedSources() = default;

  // Fills bytes from "/dev/urandom"; false, with nothing read, when the file
  // cannot be opened. Bytes beyond a short read are left as they were.
  virtual bool read_urandom(std::span<std::byte> bytes) = 0;

  // The system clock's count as a 64-bit number; 0 when there is no clock.
  virtual std::int64_t clock_count() = 0;

  // Local date and time: year, month, day of month, offset from universal
  // time in minutes, hour, minute, second, millisecond.
  virtual std::array<std::int32_t, 8> date_time() = 0;

  virtual std::int32_t process_id() = 0;
};

// The running system: std::ifstream on "/dev/urandom", the steady clock's
// count, the local calendar time and getpid().
class SystemSeedSources final : public SeedSources {
 public:
  bool read_urandom(std::span<std::byte> bytes) override;
  std::int64_t clock_count() override;
  std::array<std::int32_t, 8> date_time() override;
  std::int32_t process_id() override;
};

// Seeds the stream's generator afresh: the seed words are read from
// "/dev/urandom" when it opens; otherwise they come from LCG applied to a
// starting value made from the clock count (or, with no clock, from the date
// and time) XOR the process id. The clock, the date and the process id are
// only consulted when "/dev/urandom" cannot be opened.
void INIT_RANDOM_SEED(RandomStream& stream, SeedSources& sources);
void INIT_RANDOM_SEED(RandomStream& stream);

// Starting value T of LCG in the date-and-time fallback:
// (v1 - 1970) 31536000000 + v2 2678400000 + v3 86400000 + v5 3600000
// + v6 60000 + v7 1000 + v8, added in that order in 64-bit arithmetic, the
// last three products formed in 32 bits (wrapping) and then widened.
std::int64_t date_time_start(const std::array<std::int32_t, 8>& v);

// Mixing function of SplitMix64 (Steele, Lea and Flood 2014), wrapping
// modulo 2^64.
std::uint64_t splitmix64(std::uint64_t z);

// Reproducible seeding for --seed N: LCG's starting value is
// T = splitmix64(N + IPART * 0x9E3779B97F4A7C15), wrapping modulo 2^64, and
// nothing else (no clock, process id or "/dev/urandom") is consulted. The
// same N and IPART always give the same stream.
void seed_from_option(RandomStream& stream, std::int64_t N, std::int32_t IPART);

}  // namespace colloidsim
