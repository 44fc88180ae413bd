#pragma once
// The run's single pseudo-random generator: a 32-bit linear congruential sequence
// s := s * 134775813 + 1 (mod 2^32), seeded once and never restarted within a run.
#include <cstdint>

namespace olive {

struct Rng {
  uint32_t s = 0;

  // Advances the state and returns a uniform number in [0, 1).
  double Uniform() {
    s = s * 134775813u + 1u;
    return static_cast<double>(s) / 4294967296.0;
  }
  // Advances the state and returns a whole number in [0, n).
  uint32_t Below(uint32_t n) {
    s = s * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(s) * n) >> 32);
  }
};

// Seed from the UTC time of day: ((hour * 60 + minute) * 60 + second) * 1000 + millisecond.
uint32_t ClockSeed();

}  // namespace olive
