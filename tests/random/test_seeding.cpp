#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "random/random_draws.h"
#include "random/seeding.h"

namespace colloidsim {
namespace {

// Counts how often each source is consulted; "/dev/urandom" gives the bytes
// 1, 2, 3, ... when it opens.
class CountingSources final : public SeedSources {
 public:
  bool urandom_opens = false;
  std::int64_t clock = 0;
  std::array<std::int32_t, 8> date{};
  std::int32_t pid = 0;
  std::size_t bytes_requested = 0;
  int clock_calls = 0, date_calls = 0, pid_calls = 0;

  bool read_urandom(std::span<std::byte> bytes) override {
    bytes_requested = bytes.size();
    if (!urandom_opens) return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::byte>(i + 1);
    return true;
  }
  std::int64_t clock_count() override { return ++clock_calls, clock; }
  std::array<std::int32_t, 8> date_time() override { return ++date_calls, date; }
  std::int32_t process_id() override { return ++pid_calls, pid; }
};

std::array<double, 4> first_draws(RandomStream& stream) {
  std::array<double, 4> u{};
  for (double& x : u) x = stream.generator.next_double();
  return u;
}

// The stream that the eight LCG words from the starting value T give.
std::array<double, 4> draws_from_start(std::int64_t T) {
  std::array<std::int32_t, 8> words{};
  for (std::int32_t& word : words) word = LCG(T);
  RandomStream stream;
  stream.generator.install_seed(words);
  return first_draws(stream);
}

TEST(Lcg, SequenceFromZero) {
  std::int64_t S = 0;
  EXPECT_EQ(LCG(S), 587616496);
  EXPECT_EQ(S, 2735100143);
  EXPECT_EQ(LCG(S), 134135365);
  EXPECT_EQ(S, 2281619012);
}

TEST(Lcg, RemaindersTakeTheSignOfTheDividend) {
  // Worked out in Python with integer arithmetic and a truncating mod
  // (r = abs(a) % m, negated for a < 0). For -1e12: -1e12 mod 2^32 =
  // -3567587328, times 279470273 mod 4294967291 = -4221564016, and
  // mod 2147483647 = -2074080369. A floored mod would give positive words.
  struct Case { std::int64_t start, S; std::int32_t word; };
  const Case cases[] = {{-5, -1397351365, -1397351365},
                        {-1000000000000, -4221564016, -2074080369},
                        {4294967296 + 5, 1397351365, 1397351365},
                        {INT64_MAX, 1117881092, 1117881092}};
  for (const Case& c : cases) {
    std::int64_t S = c.start;
    EXPECT_EQ(LCG(S), c.word) << c.start;
    EXPECT_EQ(S, c.S) << c.start;
  }
}

TEST(InitRandomSeed, UrandomWhenItOpensAndNothingElse) {
  CountingSources sources;
  sources.urandom_opens = true;
  sources.clock = 99;
  RandomStream stream;
  INIT_RANDOM_SEED(stream, sources);
  EXPECT_EQ(sources.bytes_requested, 32u);
  EXPECT_EQ(sources.clock_calls + sources.date_calls + sources.pid_calls, 0);
  // Bytes 1 ... 32 read into the words in memory order (little-endian).
  RandomStream expected;
  expected.generator.install_seed(std::array<std::int32_t, 8>{
      0x04030201, 0x08070605, 0x0c0b0a09, 0x100f0e0d, 0x14131211, 0x18171615, 0x1c1b1a19,
      0x201f1e1d});
  EXPECT_EQ(first_draws(stream), first_draws(expected));
}

TEST(InitRandomSeed, ClockOrDateXorProcessIdWithoutUrandom) {
  // Starting values by hand. The process id is sign-extended: -2 flips every
  // bit above bit 0. Date 2024-06-15 13:45:30.250 (offset 120 min, unused):
  // 54*31536000000 + 6*2678400000 + 15*86400000 + 13*3600000 + 45*60000
  // + 30*1000 + 250 = 1720359930250. 3000000 s times 1000 wraps in 32 bits
  // to 3e9 - 2^32 = -1294967296.
  struct Case {
    std::int64_t clock;
    std::array<std::int32_t, 8> date;
    std::int32_t pid;
    std::int64_t T;
  };
  const Case cases[] = {
      {0x0000123400000000, {}, 0x5678, 0x0000123400005678},
      {0x0000123400000000, {}, -2, -20014547599362},  // 0xFFFFEDCBFFFFFFFE
      {0, {2024, 6, 15, 120, 13, 45, 30, 250}, 0, 1720359930250},
      {0, {2024, 6, 15, 120, 13, 45, 30, 250}, 0x0f, 1720359930250 ^ 0x0f},
      {0, {1970, 0, 0, 0, 0, 0, 3000000, 0}, 0, -1294967296},
  };
  for (const Case& c : cases) {
    CountingSources sources;
    sources.clock = c.clock;
    sources.date = c.date;
    sources.pid = c.pid;
    RandomStream stream;
    INIT_RANDOM_SEED(stream, sources);
    EXPECT_EQ(first_draws(stream), draws_from_start(c.T)) << "T = " << c.T;
    EXPECT_EQ(sources.clock_calls, 1);
    EXPECT_EQ(sources.date_calls, c.clock == 0 ? 1 : 0);
    EXPECT_EQ(sources.pid_calls, 1);
  }
}

TEST(InitRandomSeed, SystemSourcesGiveDifferentStreams) {
  RandomStream a, b;
  INIT_RANDOM_SEED(a);
  INIT_RANDOM_SEED(b);
  EXPECT_NE(first_draws(a), first_draws(b));
}

TEST(SeedFromOption, SameOptionSameStreamWhateverRunsBetween) {
  // First two draws from an independent Python implementation of SplitMix64,
  // LCG and xoshiro256**, arithmetic wrapping modulo 2^64.
  struct Case { std::int64_t N; std::int32_t IPART; double u1, u2; };
  const Case cases[] = {{20240601, 3, 0.5934812213787839, 0.15520491260044078},
                        {20240601, 4, 0.23186754435595414, 0.2463075718185479},
                        {-1, 7, 0.0017093056090182746, 0.6483013478430238},
                        {INT64_MIN, 1, 0.1123467983288291, 0.0965122133733366}};
  for (const Case& c : cases) {
    RandomStream first, other, again;
    seed_from_option(first, c.N, c.IPART);
    EXPECT_EQ(first.generator.next_double(), c.u1) << c.N << " " << c.IPART;
    EXPECT_EQ(first.generator.next_double(), c.u2) << c.N << " " << c.IPART;
    INIT_RANDOM_SEED(other);
    double FDIFX, FDIFY, FDIFZ;
    FORCEDIFF(other, 1.0, 3.14, 1e-3, 1e-6, 1.38e-23, 300.0, 1e-5, FDIFX, FDIFY, FDIFZ);
    seed_from_option(again, c.N, c.IPART);
    EXPECT_EQ(again.generator.next_double(), c.u1);
  }
}

}  // namespace
}  // namespace colloidsim
