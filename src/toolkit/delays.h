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
//
// Whatever physiological time reaches a delay, a step stays short and its numbers finite:
// - a DT that is 0 or below, or not a finite number, is no development: no sub-steps (idt 0);
//   so is a del that is not a positive finite number;
// - a step is never split into more than kMaxSubSteps sub-steps. A longer DT (over about 500
//   substage widths) is cut to the time those carry, returned as DT: it moves the contents
//   through about 500 substages, so that the delay, of at most 100, has emptied into its outflow
//   as the full DT would have it. The model's days need a few tens of sub-steps (40 at most in
//   the example orchard with every pest), far below the cap, and keep DT as it is.
// Callers enter the inflow per unit of the DT returned, so that the whole inflow still enters.
inline constexpr int32_t kMaxSubSteps = 1000;
struct SubSteps {
  int32_t idt;
  float a;
  float DT;  // the physiological time the sub-steps carry: DT itself unless cut
};
SubSteps SplitStep(float del, float DT, int32_t k);

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
