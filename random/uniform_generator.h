// The uniform pseudo-random generator behind every particle's random stream:
// xoshiro256** (Blackman and Vigna 2018), 256 bits of state, returning
// doubles in [0, 1) with 53 random bits each.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace colloidsim {

class UniformGenerator {
 public:
  static constexpr int SEED_SIZE_BITS = 256;

  // Starts from the same state as an all-zero seed.
  UniformGenerator();

  static constexpr int seed_size_bits() { return SEED_SIZE_BITS; }

  // Installs SEED_SIZE_BITS / 32 words: state word j is
  // uint32(SEED[2j]) | uint32(SEED[2j+1]) << 32, low word first. Words
  // missing from a shorter array count as 0, extra words are ignored. An
  // all-zero state (from which xoshiro never leaves) is replaced by the state
  // that LCG makes from 0.
  void install_seed(std::span<const std::int32_t> SEED);

  // The next 64 raw bits.
  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  // Uniform in [0, 1): the top 53 bits of next() times 2^-53.
  double next_double() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  static constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::array<std::uint64_t, 4> state_{};
};

}  // namespace colloidsim
