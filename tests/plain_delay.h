#pragma once
// The distributed delay as plain float statements, one per rule and in their order: the reference
// against which the production delays (whose loops are arranged for speed) are checked bit for bit.
#include <cstdint>

#include "toolkit/agevec.h"
#include "toolkit/modutils.h"

namespace olive::testing {

inline void PlainDelay(float viN, float& Vout, float& Shed, AgeVec& r, AgeVec Plr, float del,
                       float DT, int32_t k, bool withLosses) {
  Vout = 0;
  Shed = 0;
  if (DT <= 0) return;
  const int32_t idt = static_cast<int32_t>(2.0 * DT * k / del + 1.0);
  const float a =
      static_cast<float>(static_cast<double>(DT) / (static_cast<double>(del) / k) / idt);
  if (!withLosses || !NonZero(Plr, k)) {
    for (int32_t j = 1; j <= idt; ++j) {
      Vout = Vout + a * r[k];
      for (int32_t i = k; i >= 2; --i) r[i] = r[i] + a * (r[i - 1] - r[i]);
      r[1] = r[1] + a * (viN / DT - r[1]);
    }
    return;
  }
  viN = viN / DT;
  for (int32_t j = 1; j <= idt; ++j) {
    Vout = Vout + a * r[k];
    for (int32_t i = k; i >= 2; --i) {
      r[i] = r[i] + a * (r[i - 1] - r[i]);
      const float shd = a * Plr[i] * r[i];
      Shed = Shed + shd;
      r[i] = r[i] - shd;
    }
    if (j == 1) {
      r[1] = r[1] + a * (static_cast<float>(idt) * viN - r[1]);
    } else {
      r[1] = r[1] - a * r[1];
    }
    const float shd = a * Plr[1] * r[1];
    Shed = Shed + shd;
    r[1] = r[1] - shd;
  }
}

}  // namespace olive::testing
