#pragma once
// Age-class and window vectors of the distributed delays.
//
// Indexing is 1-based to follow the model's own notation: entry 1 is the youngest substage,
// entry k (at most kMaxClasses) the oldest; entry 0 is never used. Entry i holds a flow rate:
// the contents of substage i is v[i] times the substage width del/k.
#include <array>
#include <cstdint>

namespace olive {

inline constexpr int kMaxClasses = 100;

using AgeVec = std::array<float, kMaxClasses + 1>;

}  // namespace olive
