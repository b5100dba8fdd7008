#include "random/uniform_generator.h"

#include <algorithm>
#include <cstddef>

#include "random/seeding.h"

namespace colloidsim {

namespace {

constexpr std::size_t SEED_WORDS = UniformGenerator::SEED_SIZE_BITS / 32;

std::array<std::uint64_t, 4> state_from_words(std::span<const std::int32_t> SEED) {
  std::array<std::int32_t, SEED_WORDS> words{};
  std::copy_n(SEED.begin(), std::min(SEED.size(), SEED_WORDS), words.begin());
  std::array<std::uint64_t, 4> state{};
  for (std::size_t j = 0; j < state.size(); ++j) {
    const std::uint64_t low = static_cast<std::uint32_t>(words[2 * j]);
    const std::uint64_t high = static_cast<std::uint32_t>(words[2 * j + 1]);
    state[j] = low | (high << 32);
  }
  return state;
}

}  // namespace

UniformGenerator::UniformGenerator() { install_seed({}); }

void UniformGenerator::install_seed(std::span<const std::int32_t> SEED) {
  state_ = state_from_words(SEED);
  if (state_ == std::array<std::uint64_t, 4>{}) {
    std::array<std::int32_t, SEED_WORDS> words{};
    std::int64_t S = 0;
    for (std::int32_t& word : words) word = LCG(S);
    state_ = state_from_words(words);
  }
}

}  // namespace colloidsim
