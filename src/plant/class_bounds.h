#pragma once
// Loop bounds over the classes of an age-class vector that are derived from setup values
// (an age in degree-days turned into a class number).
#include <cmath>
#include <cstdint>

#include "model/inputs.h"
#include "plant/plant_state.h"

namespace olive {

// Rounds x to the nearest whole number, halves to even, and keeps the result inside the
// vector's classes 1..k, so that no setup value can carry a loop past either end of a vector.
inline int32_t ClassBound(double x, int32_t k) {
  if (!(x >= 1.0)) return 1;  // also a NaN
  if (x >= static_cast<double>(k)) return k;
  const int32_t n = static_cast<int32_t>(std::nearbyint(x));
  return n < 1 ? 1 : (n > k ? k : n);
}

// Leaves younger than this (degree-days) are still growing.
inline constexpr double kLeafGrowthAgeDD = 390.0;

// Leaf classes that can hold growing leaves: round(390 / delfol * kfol).
inline int32_t YoungLeafClasses(const Inputs& in) {
  return ClassBound(kLeafGrowthAgeDD / in.delfol * kfol, kfol);
}
// Fruit classes in the rapid growth phase: round(RapidFruGrow * kfru / delfru).
inline int32_t RapidFruitClasses(const Inputs& in) {
  return ClassBound(in.RapidFruGrow * kfru / in.delfru, kfru);
}
// Fruit classes up to veraison: round(Veraison * kfru / delfru).
inline int32_t VeraisonClasses(const Inputs& in) {
  return ClassBound(in.Veraison * kfru / in.delfru, kfru);
}

}  // namespace olive
