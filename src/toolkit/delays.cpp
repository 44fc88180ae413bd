#include "toolkit/delays.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

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

// The step of a delay with losses (Plr not all zero): loss[i] is a * Plr[i]. The whole inflow of
// the step enters in the first sub-step. Each substage's loss is taken from its value just
// updated; with WithShed the losses are totalled in the order of the updates, k down to 2 and then
// 1 (a float total: the order decides its last bits; the compiler vectorises the rest of the loop
// around the in-order sum).
template <bool WithShed>
float StepWithLossFloats(float rate, float* v, int32_t k, SubSteps s, const AgeVec& loss,
                         float& Shed) {
  float out = 0.0f;
  float shed = 0.0f;
  for (int32_t j = 1; j <= s.idt; ++j) {
    out = out + s.a * v[k];
    for (int32_t i = k; i >= 2; --i) {
      const float ri = v[i] + s.a * (v[i - 1] - v[i]);
      const float shd = loss[i] * ri;
      if constexpr (WithShed) shed = shed + shd;
      v[i] = ri - shd;
    }
    if (j == 1) {
      v[1] = v[1] + s.a * (static_cast<float>(s.idt) * rate - v[1]);
    } else {
      v[1] = v[1] - s.a * v[1];
    }
    const float shd1 = loss[1] * v[1];
    if constexpr (WithShed) shed = shed + shd1;
    v[1] = v[1] - shd1;
  }
  Shed = shed;
  return out;
}

// ---------------------------------------------------------------------------------------------
// Delays whose contents have all but died out.
//
// A population that has died out leaves its vectors draining for weeks through numbers below the
// smallest normal float (2^-126, about 1.2e-38). Processors do arithmetic on such subnormal
// numbers in a slow assisted path, more than ten times slower than on ordinary numbers, and such
// vectors made up half the time of a run with every pest. The subnormal floats are the multiples
// of 2^-149 ("units") below 2^23 units, and a delay step's float arithmetic on them is whole-number
// arithmetic on units: the difference of two is exact, a product with a coefficient is rounded
// to the nearest unit (ties to even) and a new value lies between two old ones, so a step never
// leaves the range. The functions below do that arithmetic on the units, held exactly in doubles,
// and give the same bits as the float arithmetic without touching a subnormal.

constexpr uint32_t kTinyUnits = 0x00800000;  // 2^23 units = 2^-126, the smallest normal float
constexpr double kUnit = 0x1p-149;           // one unit, the smallest subnormal float
constexpr double kUnitsPerOne = 0x1p149;

inline uint32_t Bits(float v) {
  return std::bit_cast<uint32_t>(v);
}

// True when v is +0 or a positive subnormal float (its bits are then its number of units).
inline bool IsTiny(float v) {
  return Bits(v) < kTinyUnits;
}

// True when every entry 1..k is +0 or a positive subnormal float.
bool AllTiny(const float* r, int32_t k) {
  uint32_t any = 0;
  for (int32_t i = 1; i <= k; ++i) any |= Bits(r[i]);
  return any < kTinyUnits;
}

// True when every entry 1..k is +0.
bool AllZero(const float* r, int32_t k) {
  uint32_t any = 0;
  for (int32_t i = 1; i <= k; ++i) any |= Bits(r[i]);
  return any == 0;
}

// x rounded to a whole number, ties to even, as the float arithmetic rounds a subnormal result
// to units (|x| below 2^51; adding and removing 1.5 * 2^52 leaves no fraction bits).
inline double RoundUnits(double x) {
  constexpr double kShift = 0x1.8p52;
  return (x + kShift) - kShift;
}

// The float sum of sum and add, in units: sum the exact value of a float, add a whole number of
// units, both >= 0. Exact while the result stays subnormal; above, rounded as floats round.
inline double AddUnits(double sum, double add) {
  const double s = sum + add;  // exact: whole numbers far below 2^53
  if (s < kTinyUnits) return s;
  return static_cast<double>(static_cast<float>(s * kUnit)) * kUnitsPerOne;
}

// The float whose exact value is u units (u >= 0).
inline float FromUnits(double u) {
  if (u < kTinyUnits) return std::bit_cast<float>(static_cast<uint32_t>(u));
  return static_cast<float>(u * kUnit);
}

using UnitVec = std::array<double, kMaxClasses + 1>;

// The units of entries 1..k into x; returns their total (exact: whole numbers far below 2^53).
double ToUnits(const float* r, int32_t k, UnitVec& x) {
  uint64_t total = 0;
  for (int32_t i = 1; i <= k; ++i) {
    const uint32_t units = Bits(r[i]);
    x[i] = static_cast<double>(units);
    total += units;
  }
  return static_cast<double>(total);
}

void BackToFloats(const UnitVec& x, int32_t k, float* r) {
  for (int32_t i = 1; i <= k; ++i) r[i] = std::bit_cast<float>(static_cast<uint32_t>(x[i]));
}

// One sub-step's move by whole units: to[i] is from[i] plus the rounded share a of the difference
// to from[i - 1], for i = 2..k (from and to distinct, so the loop runs forward over independent
// elements and vectorises).
inline void MoveUnits(const double* __restrict from, double* __restrict to, int32_t k, double a) {
  for (int32_t i = 2; i <= k; ++i) to[i] = from[i] + RoundUnits(a * (from[i - 1] - from[i]));
}

// StepNoLoss on a vector and an inflow rate that are all tiny. The sub-steps alternate between
// two unit vectors.
float StepNoLossTiny(float rate, float* r, int32_t k, SubSteps s) {
  UnitVec x, y;
  ToUnits(r, k, x);
  double* from = x.data();
  double* to = y.data();
  const double a = s.a;
  const double in = rate == 0.0f ? 0.0 : static_cast<double>(Bits(rate));
  double out = 0.0;
  for (int32_t j = 1; j <= s.idt; ++j) {
    out = AddUnits(out, RoundUnits(a * from[k]));
    MoveUnits(from, to, k, a);
    to[1] = from[1] + RoundUnits(a * (in - from[1]));
    std::swap(from, to);
  }
  BackToFloats(from == x.data() ? x : y, k, r);
  return FromUnits(out);
}

// The step of a delay without losses, on tiny contents by whole units.
float StepNoLossAnyContents(float rate, float* r, int32_t k, SubSteps s) {
  if (rate == 0.0f || IsTiny(rate)) {
    // Nothing in the delay and nothing entering: every entry stays +0 and nothing leaves.
    if (rate == 0.0f && AllZero(r, k)) return 0.0f;
    if (AllTiny(r, k)) return StepNoLossTiny(rate, r, k, s);
  }
  return StepNoLoss(rate, r, k, s);
}

// The loss coefficients allow the step by whole units when each is 0 or a normal float up to 1
// (a loss then takes between none and all of a substage). By bits: 0, or 2^-126 up to 1.
bool LossesFitUnits(const AgeVec& loss, int32_t k) {
  constexpr uint32_t kMinNormal = 0x00800000, kOne = 0x3f800000;
  uint32_t bad = 0;
  for (int32_t i = 1; i <= k; ++i) {
    const uint32_t b = Bits(loss[i]);
    bad |=
        static_cast<uint32_t>(b != 0) & static_cast<uint32_t>(b - kMinNormal > kOne - kMinNormal);
  }
  return bad == 0;
}

// StepWithLoss on tiny contents: the inflow rate times idt and the vector tiny, the losses as
// LossesFitUnits allows.
//
// The float total of the losses is exact while it stays below 2^23 units, and then any order of
// adding gives it: the losses of a step cannot exceed what the delay held and received (plus at
// most one unit of rounding per update), so when that bound is below 2^23 units each substage's
// losses are kept apart and added up at the end, without the in-order chain.
template <bool WithShed>
float StepWithLossTiny(float rate, float* v, int32_t k, SubSteps s, const AgeVec& loss,
                       float& Shed) {
  UnitVec x, moved, lossUnits;
  const double held = ToUnits(v, k, x);
  for (int32_t i = 1; i <= k; ++i) lossUnits[i] = loss[i];
  const double a = s.a;
  const double inAll = static_cast<double>(s.idt) * (rate == 0.0f ? 0.0 : Bits(rate));
  const bool anyOrder = held + inAll + 2.0 * (k + 1) * s.idt < kTinyUnits;
  UnitVec lost;  // each substage's losses, when they may be added in any order
  if (WithShed && anyOrder) std::fill(lost.begin() + 1, lost.begin() + k + 1, 0.0);
  double out = 0.0, shed = 0.0;
  for (int32_t j = 1; j <= s.idt; ++j) {
    out = AddUnits(out, RoundUnits(a * x[k]));
    MoveUnits(x.data(), moved.data(), k, a);
    if (!WithShed || anyOrder) {
      for (int32_t i = 2; i <= k; ++i) {
        const double shd = RoundUnits(lossUnits[i] * moved[i]);
        if constexpr (WithShed) lost[i] += shd;
        x[i] = moved[i] - shd;
      }
    } else {
      for (int32_t i = k; i >= 2; --i) {
        const double shd = RoundUnits(lossUnits[i] * moved[i]);
        shed = AddUnits(shed, shd);
        x[i] = moved[i] - shd;
      }
    }
    if (j == 1) {
      x[1] = x[1] + RoundUnits(a * (inAll - x[1]));
    } else {
      x[1] = x[1] - RoundUnits(a * x[1]);
    }
    const double shd1 = RoundUnits(lossUnits[1] * x[1]);
    if constexpr (WithShed) {
      if (anyOrder) {
        lost[1] += shd1;
      } else {
        shed = AddUnits(shed, shd1);
      }
    }
    x[1] = x[1] - shd1;
  }
  if (WithShed && anyOrder) {
    for (int32_t i = 1; i <= k; ++i) shed += lost[i];
  }
  BackToFloats(x, k, v);
  Shed = FromUnits(shed);
  return FromUnits(out);
}

// The step of a delay with losses, by whole units when the contents are tiny.
template <bool WithShed>
float StepWithLoss(float rate, float* v, int32_t k, SubSteps s, const AgeVec& loss, float& Shed) {
  if ((rate == 0.0f || (IsTiny(rate) && s.idt * static_cast<double>(Bits(rate)) < kTinyUnits)) &&
      AllTiny(v, k) && LossesFitUnits(loss, k)) {
    return StepWithLossTiny<WithShed>(rate, v, k, s, loss, Shed);
  }
  return StepWithLossFloats<WithShed>(rate, v, k, s, loss, Shed);
}

template <bool WithShed>
void DelayWithLosses(float viN, float& Vout, float& Shed, AgeVec& r, const AgeVec& Plr, float del,
                     float DT, int32_t k) {
  Vout = 0.0f;
  Shed = 0.0f;
  const SubSteps s = SplitStep(del, DT, k);
  if (s.idt == 0) return;
  const float rate = viN / s.DT;  // inflow per unit of physiological time
  if (!NonZero(Plr, k)) {
    Vout = StepNoLossAnyContents(rate, r.data(), k, s);
    return;
  }
  // Own copy of the loss rates, already scaled to one sub-step: a * Plr[i] (the caller's vector
  // is left alone, even when it is r itself).
  AgeVec loss;
  for (int32_t i = 1; i <= k; ++i) loss[i] = s.a * Plr[i];
  Vout = StepWithLoss<WithShed>(rate, r.data(), k, s, loss, Shed);
}

}  // namespace

SubSteps SplitStep(float del, float DT, int32_t k) {
  if (!(DT > 0.0f) || !std::isfinite(DT) || !(del > 0.0f) || !std::isfinite(del)) {
    return {0, 0.0f, 0.0f};
  }
  const double transits2 = 2.0 * DT * k / del;  // twice the substage transits of the step
  if (!(transits2 + 1.0 < kMaxSubSteps + 1.0)) {
    // Cut to the time of (kMaxSubSteps - 1) / 2 substage transits: a stays just below one half.
    const float cut = static_cast<float>((kMaxSubSteps - 1.0) * del / (2.0 * k));
    const float a = static_cast<float>(static_cast<double>(cut) / (static_cast<double>(del) / k) /
                                       kMaxSubSteps);
    return {kMaxSubSteps, a, cut};
  }
  const int32_t idt = static_cast<int32_t>(transits2 + 1.0);
  const float a =
      static_cast<float>(static_cast<double>(DT) / (static_cast<double>(del) / k) / idt);
  return {idt, a, DT};
}

void DelayNoPlr(float viN, float& Vout, AgeVec& r, float del, float DT, int32_t k) {
  Vout = 0.0f;
  const SubSteps s = SplitStep(del, DT, k);
  if (s.idt == 0) return;
  Vout = StepNoLossAnyContents(viN / s.DT, r.data(), k, s);
}

void DelayWithPlr(float viN, float& Vout, float& Shed, AgeVec& r, const AgeVec& Plr, float del,
                  float DT, int32_t k) {
  DelayWithLosses<true>(viN, Vout, Shed, r, Plr, del, DT, k);
}

void DelayWithPlrNoShed(float viN, float& Vout, AgeVec& r, const AgeVec& Plr, float del, float DT,
                        int32_t k) {
  float unused = 0.0f;
  DelayWithLosses<false>(viN, Vout, unused, r, Plr, del, DT, k);
}

float Fran(Rng& rng, float rvar, int32_t percentpm) {
  const double p = percentpm * 0.01;
  const double U = rng.Uniform();
  return static_cast<float>((2.0 * p * U + (1.0 - p)) * rvar);
}

}  // namespace olive
