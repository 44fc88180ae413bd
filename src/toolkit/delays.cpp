#include "toolkit/delays.h"

#include "toolkit/modutils.h"

namespace olive {

namespace {

// Moves the fraction a of each substage into the next, for substages k down to 2. Going downward,
// every r[i - 1] read is still the value from before this sub-step, so the updates are independent
// of each other and the loop vectorises.
inline void Age(float* r, int32_t k, float a) {
  for (int32_t i = k; i >= 2; --i) r[i] = r[i] + a * (r[i - 1] - r[i]);
}

// The step of a delay without losses; rate is the inflow per unit of physiological time, entered
// spread evenly over the sub-steps. Returns the outflow (rate units).
float StepNoLoss(float rate, float* r, int32_t k, SubSteps s) {
  float out = 0.0f;
  for (int32_t j = 1; j <= s.idt; ++j) {
    out = out + s.a * r[k];  // taken before this sub-step moves anything
    Age(r, k, s.a);
    r[1] = r[1] + s.a * (rate - r[1]);
  }
  return out;
}

}  // namespace

SubSteps SplitStep(float del, float DT, int32_t k) {
  const int32_t idt = static_cast<int32_t>(2.0 * DT * k / del + 1.0);
  const float a =
      static_cast<float>(static_cast<double>(DT) / (static_cast<double>(del) / k) / idt);
  return {idt, a};
}

void DelayNoPlr(float viN, float& Vout, AgeVec& r, float del, float DT, int32_t k) {
  Vout = 0.0f;
  if (DT <= 0.0f) return;
  Vout = StepNoLoss(viN / DT, r.data(), k, SplitStep(del, DT, k));
}

void DelayWithPlr(float viN, float& Vout, float& Shed, AgeVec& r, const AgeVec& Plr, float del,
                  float DT, int32_t k) {
  Vout = 0.0f;
  Shed = 0.0f;
  if (DT <= 0.0f) return;
  const float rate = viN / DT;  // inflow per unit of physiological time
  const SubSteps s = SplitStep(del, DT, k);
  float* v = r.data();
  if (!NonZero(Plr, k)) {
    Vout = StepNoLoss(rate, v, k, s);
    return;
  }

  // Own copy of the loss rates, already scaled to one sub-step: a * Plr[i] (the caller's vector
  // is left alone, even when it is r itself).
  AgeVec loss;
  for (int32_t i = 1; i <= k; ++i) loss[i] = s.a * Plr[i];

  float out = 0.0f;
  float shed = 0.0f;
  for (int32_t j = 1; j <= s.idt; ++j) {
    out = out + s.a * v[k];
    // Each substage's loss is taken from its value just updated and totalled in the order of
    // the updates, k down to 2 (the compiler vectorises this as an in-order sum).
    for (int32_t i = k; i >= 2; --i) {
      const float ri = v[i] + s.a * (v[i - 1] - v[i]);
      const float shd = loss[i] * ri;
      shed = shed + shd;
      v[i] = ri - shd;
    }
    // The whole inflow of the step enters in the first sub-step.
    if (j == 1) {
      v[1] = v[1] + s.a * (static_cast<float>(s.idt) * rate - v[1]);
    } else {
      v[1] = v[1] - s.a * v[1];
    }
    const float shd1 = loss[1] * v[1];
    shed = shed + shd1;
    v[1] = v[1] - shd1;
  }
  Vout = out;
  Shed = shed;
}

float Fran(Rng& rng, float rvar, int32_t percentpm) {
  const double p = percentpm * 0.01;
  const double U = rng.Uniform();
  return static_cast<float>((2.0 * p * U + (1.0 - p)) * rvar);
}

}  // namespace olive
