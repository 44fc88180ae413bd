#pragma once
// Distributed maturation-time delays and the random perturbation of parameters.
#include <cstdint>

#include "toolkit/agevec.h"
#include "toolkit/random.h"

namespace olive {

// Advances the age-class vector r (k substages, mean transit time del) by a step of length DT
// with inflow viN; Vout receives the outflow of substage k (times del/k: the amount that left).
void DelayNoPlr(float viN, float& Vout, AgeVec& r, float del, float DT, int32_t k);
// As DelayNoPlr with a proportional loss rate per substage; Shed receives the total removed.
void DelayWithPlr(float viN, float& Vout, float& Shed, AgeVec& r, const AgeVec& Plr, float del,
                  float DT, int32_t k);
// As DelayWithPlr for a caller that does not use the total removed: the same r and Vout, without
// the in-order total of the losses (a chain of float additions, the slowest part of the step).
void DelayWithPlrNoShed(float viN, float& Vout, AgeVec& r, const AgeVec& Plr, float del, float DT,
                        int32_t k);
// rvar scaled by a factor uniform in [1 - p, 1 + p), p = percentpm / 100.
float Fran(Rng& rng, float rvar, int32_t percentpm);

}  // namespace olive
