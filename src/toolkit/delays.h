#pragma once
// Distributed maturation-time delays and the random perturbation of parameters.
#include <cstdint>

#include "toolkit/agevec.h"
#include "toolkit/random.h"

namespace olive {

// Sub-steps of one delay step: idt keeps the fraction moved from one substage to the next in a
// sub-step below one half; a is that fraction, k DT / (del idt). Both are worked out in double
// and a is stored as a float: in double, 2 DT k is exact and is divided last, so a step with
// DT k / del at exactly one half takes two sub-steps and one a float step shorter takes one.
// Callers that advance many delays with shared coefficients at once use it to match the delays.
struct SubSteps {
  int32_t idt;
  float a;
};
SubSteps SplitStep(float del, float DT, int32_t k);

// Advances the age-class vector r (k substages, mean transit time del) by a step of length DT
// with inflow viN; Vout receives the outflow of substage k (times del/k: the amount that left).
void DelayNoPlr(float viN, float& Vout, AgeVec& r, float del, float DT, int32_t k);
// As DelayNoPlr with a proportional loss rate per substage; Shed receives the total removed.
void DelayWithPlr(float viN, float& Vout, float& Shed, AgeVec& r, const AgeVec& Plr, float del,
                  float DT, int32_t k);
// rvar scaled by a factor uniform in [1 - p, 1 + p), p = percentpm / 100.
float Fran(Rng& rng, float rvar, int32_t percentpm);

}  // namespace olive
