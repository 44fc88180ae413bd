// Distributed delays (with and without proportional losses) and the random perturbation Fran.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plain_delay.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

using testing::PlainDelay;

// Contents of substages 1..k in rate units (multiply by del/k for an amount).
double Total(const AgeVec& r, int32_t k) {
  double s = 0;
  for (int32_t i = 1; i <= k; ++i) s += r[i];
  return s;
}

// A run of steps with changing inflow and step length; rng drives the choices.
struct Scenario {
  int32_t k;
  float del;
  float maxDT;  // step lengths are drawn in (0, maxDT)
  float plr;    // loss rates drawn in [0, plr); 0: no losses
};

constexpr Scenario kScenarios[] = {
    {1, 10.0f, 4.0f, 0.0f},      {1, 10.0f, 30.0f, 0.3f},   {7, 55.0f, 20.0f, 0.0f},
    {7, 55.0f, 20.0f, 0.2f},     {30, 400.0f, 25.0f, 0.1f}, {100, 300.0f, 15.0f, 0.0f},
    {100, 300.0f, 15.0f, 0.05f}, {45, 12.0f, 3.0f, 0.4f},
};

TEST(Delay, MatchesThePlainAlgorithmBitForBit) {
  Rng rng;
  rng.s = 7;
  for (const Scenario& sc : kScenarios) {
    AgeVec r{}, ref{}, plr{};
    for (int32_t i = 1; i <= sc.k; ++i) plr[i] = static_cast<float>(rng.Uniform()) * sc.plr;
    for (int step = 0; step < 60; ++step) {
      const float DT = static_cast<float>(rng.Uniform()) * sc.maxDT;
      const float viN = static_cast<float>(rng.Uniform()) * 50.0f;
      float vout = -1, shed = -1, refOut, refShed;
      if (sc.plr == 0.0f) {
        DelayNoPlr(viN, vout, r, sc.del, DT, sc.k);
        shed = 0;
        PlainDelay(viN, refOut, refShed, ref, plr, sc.del, DT, sc.k, false);
      } else {
        DelayWithPlr(viN, vout, shed, r, plr, sc.del, DT, sc.k);
        PlainDelay(viN, refOut, refShed, ref, plr, sc.del, DT, sc.k, true);
      }
      ASSERT_EQ(vout, refOut) << "k " << sc.k << " step " << step;
      ASSERT_EQ(shed, refShed) << "k " << sc.k << " step " << step;
      ASSERT_EQ(r, ref) << "k " << sc.k << " step " << step;
    }
  }
}

// What enters a delay either leaves it, is shed, or is still inside: per step in rate units
// (inflow viN k / del) and over the whole run in amounts (times del / k).
TEST(Delay, ConservesMass) {
  Rng rng;
  rng.s = 2024;
  for (const Scenario& sc : kScenarios) {
    AgeVec r{}, plr{};
    for (int32_t i = 1; i <= sc.k; ++i) plr[i] = static_cast<float>(rng.Uniform()) * sc.plr;
    const double width = sc.del / sc.k;
    double entered = 0, left = 0, shedTotal = 0;
    for (int step = 0; step < 200; ++step) {
      const float DT = static_cast<float>(rng.Uniform()) * sc.maxDT;
      const float viN = step < 150 ? static_cast<float>(rng.Uniform()) * 50.0f : 0.0f;
      const double before = Total(r, sc.k);
      float vout = 0, shed = 0;
      if (sc.plr == 0.0f) {
        DelayNoPlr(viN, vout, r, sc.del, DT, sc.k);
      } else {
        DelayWithPlr(viN, vout, shed, r, plr, sc.del, DT, sc.k);
      }
      const double in = viN * sc.k / sc.del;
      const double change = Total(r, sc.k) - before;
      const double scale = 1.0 + before + in + vout + shed;
      ASSERT_NEAR(change, in - vout - shed, 2e-5 * scale) << "k " << sc.k << " step " << step;
      EXPECT_GE(vout, 0.0f);
      EXPECT_GE(shed, 0.0f);
      entered += viN;
      left += vout * width;
      shedTotal += shed * width;
    }
    EXPECT_NEAR(entered, Total(r, sc.k) * width + left + shedTotal, 1e-4 * entered) << sc.k;
  }
}

// A constant inflow fills every substage to viN / DT and the outflow to viN k / del a step.
TEST(Delay, SteadyStateUnderConstantInflow) {
  AgeVec r{};
  const int32_t k = 20;
  const float del = 80.0f, DT = 6.0f, viN = 12.0f;
  float vout = 0;
  for (int step = 0; step < 400; ++step) DelayNoPlr(viN, vout, r, del, DT, k);
  for (int32_t i = 1; i <= k; ++i) EXPECT_NEAR(r[i], viN / DT, 1e-4) << i;
  EXPECT_NEAR(vout, viN * k / del, 1e-4);
}

// A pulse leaves after a transit time whose mean is del and whose variance is about del^2 / k
// (Erlang of order k). Each substage holds its share for a geometric number of sub-steps, which
// takes off the fraction a moved per sub-step: the variance is (1 - a) del^2 / k.
TEST(Delay, PulseTransitTimesAreErlang) {
  struct Case {
    int32_t k;
    float del, DT;
  };
  for (Case c : {Case{10, 100.0f, 0.25f}, Case{50, 100.0f, 0.05f}, Case{1, 20.0f, 0.05f},
                 Case{10, 100.0f, 5.0f}}) {
    AgeVec r{};
    const double width = c.del / c.k;
    double mass = 0, mean = 0, second = 0;
    const int steps = static_cast<int>(std::lround(12.0 * c.del / c.DT));
    for (int t = 1; t <= steps; ++t) {
      float vout = 0;
      DelayNoPlr(t == 1 ? 1.0f : 0.0f, vout, r, c.del, c.DT, c.k);
      // Entered on average half-way through step 1, left on average half-way through step t.
      const double transit = (t - 1) * static_cast<double>(c.DT);
      const double out = vout * width;
      mass += out;
      mean += out * transit;
      second += out * transit * transit;
    }
    mean /= mass;
    const double variance = second / mass - mean * mean;
    const double erlang = static_cast<double>(c.del) * c.del / c.k;
    const int idt = static_cast<int>(2.0 * c.DT * c.k / c.del + 1.0);
    const double a = c.DT * c.k / (c.del * idt);
    EXPECT_NEAR(mass, 1.0, 1e-4) << "k " << c.k;
    EXPECT_NEAR(mean, c.del, 0.001 * c.del) << "k " << c.k;
    EXPECT_NEAR(variance, (1 - a) * erlang, 0.01 * erlang) << "k " << c.k;
    if (a < 0.05) {
      EXPECT_NEAR(variance, erlang, 0.05 * erlang) << "k " << c.k;
    }
  }
}

TEST(Delay, SingleSubstage) {
  // k = 1, DT / del = 0.5: two sub-steps of a = 0.25; outflow taken before each update.
  AgeVec r{};
  r[1] = 4.0f;
  r[2] = 9.0f;
  float vout = 0;
  DelayNoPlr(10.0f, vout, r, 10.0f, 5.0f, 1);
  EXPECT_FLOAT_EQ(vout, 0.25f * 4.0f + 0.25f * 3.5f);
  EXPECT_FLOAT_EQ(r[1], 3.125f);  // 4 -> 3.5 -> 3.125 towards the inflow rate 2
  EXPECT_EQ(r[2], 9.0f);          // beyond k: untouched
}

TEST(Delay, NoTimeNoChange) {
  AgeVec r{}, plr{};
  for (int32_t i = 1; i <= 10; ++i) r[i] = static_cast<float>(i), plr[i] = 0.1f;
  const AgeVec before = r;
  for (float DT : {0.0f, -3.0f}) {
    float vout = 5, shed = 5;
    DelayNoPlr(100.0f, vout, r, 50.0f, DT, 10);
    EXPECT_EQ(vout, 0.0f);
    vout = 5;
    DelayWithPlr(100.0f, vout, shed, r, plr, 50.0f, DT, 10);
    EXPECT_EQ(vout, 0.0f);
    EXPECT_EQ(shed, 0.0f);
    EXPECT_EQ(r, before);
  }
}

// DT k / del = 0.5 exactly takes two sub-steps; just below it, one.
TEST(Delay, SubStepThreshold) {
  AgeVec r{};
  float vout = 0;
  r[1] = 1.0f;
  DelayNoPlr(0.0f, vout, r, 1.0f, 0.5f, 1);
  EXPECT_FLOAT_EQ(vout, 0.25f + 0.25f * 0.75f);  // two sub-steps of a = 0.25
  r[1] = 1.0f;
  const float justBelow = std::nextafter(0.5f, 0.0f);
  DelayNoPlr(0.0f, vout, r, 1.0f, justBelow, 1);
  EXPECT_FLOAT_EQ(vout, justBelow);  // one sub-step of a = DT
  // The same threshold with k = 4 and del = 20: DT = 2.5.
  AgeVec a{}, b{};
  a[4] = b[4] = 1.0f;
  float va = 0, vb = 0;
  DelayNoPlr(0.0f, va, a, 20.0f, 2.5f, 4);
  DelayNoPlr(0.0f, vb, b, 20.0f, std::nextafter(2.5f, 0.0f), 4);
  EXPECT_FLOAT_EQ(va, 0.4375f);
  EXPECT_NEAR(vb, 0.5f, 1e-6);
}

// Whatever physiological time reaches a delay, a step stays short and its numbers finite: a time
// that is not a finite number moves nothing; a huge one takes kMaxSubSteps sub-steps, which flush
// the delay, and the inflow still enters whole. (A tmax of 1e9 once took billions of sub-steps.)
TEST(Delay, HugeOrNonFiniteTimeStaysShortAndFinite) {
  const int32_t k = 30;
  const float del = 40.0f, viN = 5.0f;
  AgeVec start{}, plr{};
  for (int32_t i = 1; i <= k; ++i) start[i] = 2.0f, plr[i] = 0.01f;
  const float inf = std::numeric_limits<float>::infinity();
  for (float DT : {inf, -inf, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(SplitStep(del, DT, k).idt, 0) << DT;
    AgeVec r = start;
    float vout = 1, shed = 1;
    DelayNoPlr(viN, vout, r, del, DT, k);
    EXPECT_EQ(vout, 0.0f);
    DelayWithPlr(viN, vout, shed, r, plr, del, DT, k);
    EXPECT_EQ(vout, 0.0f);
    EXPECT_EQ(shed, 0.0f);
    EXPECT_EQ(r, start) << DT;
  }
  for (float DT : {1e9f, 1e30f, 3e38f, std::numeric_limits<float>::max()}) {
    EXPECT_EQ(SplitStep(del, DT, k).idt, kMaxSubSteps) << DT;
    for (bool losses : {false, true}) {
      AgeVec r = start;
      float vout = 0, shed = 0;
      if (losses) {
        DelayWithPlr(viN, vout, shed, r, plr, del, DT, k);
      } else {
        DelayNoPlr(viN, vout, r, del, DT, k);
      }
      for (int32_t i = 1; i <= k; ++i) ASSERT_TRUE(std::isfinite(r[i]) && r[i] >= 0) << DT;
      const double in = viN * k / del;
      // Balanced up to the rounding of a float outflow added up over kMaxSubSteps sub-steps.
      EXPECT_NEAR(Total(r, k) - Total(start, k), in - vout - shed, 1e-3 * (in + vout)) << DT;
      EXPECT_LT(Total(r, k), 0.01 * Total(start, k)) << DT;  // flushed
    }
  }
}

TEST(Delay, ZeroLossRatesActAsNoLossDelay) {
  AgeVec r1{}, r2{}, zero{};
  for (int32_t i = 1; i <= 12; ++i) r1[i] = r2[i] = 0.5f * i;
  for (int step = 0; step < 20; ++step) {
    float v1 = 0, v2 = 0, shed = 1;
    const float DT = 3.0f + step;
    DelayNoPlr(7.0f, v1, r1, 40.0f, DT, 12);
    DelayWithPlr(7.0f, v2, shed, r2, zero, 40.0f, DT, 12);
    ASSERT_EQ(v1, v2);
    ASSERT_EQ(shed, 0.0f);
    ASSERT_EQ(r1, r2);
  }
}

// With losses the whole inflow enters in the first sub-step, so even a loss-free first substage
// ends the step differently from the loss-free delay.
TEST(Delay, LossesChangeHowTheInflowEnters) {
  AgeVec r1{}, r2{}, plr{};
  plr[3] = 0.2f;
  float v1 = 0, v2 = 0, shed = 0;
  DelayNoPlr(10.0f, v1, r1, 10.0f, 5.0f, 5);  // idt = 6
  DelayWithPlr(10.0f, v2, shed, r2, plr, 10.0f, 5.0f, 5);
  EXPECT_NE(r1[1], r2[1]);
  EXPECT_GT(shed, 0.0f);
}

TEST(Delay, LossRatesAreTheCallersAndStayUnchanged) {
  AgeVec r{}, plr{};
  for (int32_t i = 1; i <= 8; ++i) r[i] = 0.25f, plr[i] = 0.25f;
  const AgeVec plrBefore = plr;
  AgeVec rSame = r;
  float vout = 0, shed = 0, vSame = 0, shedSame = 0;
  DelayWithPlr(3.0f, vout, shed, r, plr, 16.0f, 2.0f, 8);
  EXPECT_EQ(plr, plrBefore);
  // The vector itself as its own loss rates: the rates are read as they were on entry.
  DelayWithPlr(3.0f, vSame, shedSame, rSame, rSame, 16.0f, 2.0f, 8);
  EXPECT_EQ(vSame, vout);
  EXPECT_EQ(shedSame, shed);
  EXPECT_EQ(rSame, r);
}

// ---------------------------------------------------------------- Fran

TEST(Fran, NoSpreadReturnsTheValue) {
  Rng rng;
  rng.s = 99;
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Fran(rng, 3.7f, 0), 3.7f);
}

TEST(Fran, FullSpreadCoversZeroToTwice) {
  Rng rng;
  rng.s = 5;
  const float rvar = 40.0f;
  float lo = 1e9f, hi = -1e9f;
  double sum = 0;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    const float f = Fran(rng, rvar, 100);
    ASSERT_GE(f, 0.0f);
    ASSERT_LT(f, 2.0f * rvar);
    lo = std::min(lo, f);
    hi = std::max(hi, f);
    sum += f;
  }
  EXPECT_LT(lo, 0.05f * rvar);
  EXPECT_GT(hi, 1.95f * rvar);
  EXPECT_NEAR(sum / n, rvar, 0.02 * rvar);
}

TEST(Fran, DrawsOneNumberFromTheRunsGenerator) {
  Rng a, b;
  a.s = b.s = 77;
  const float f = Fran(a, 10.0f, 20);
  const double u = b.Uniform();
  EXPECT_EQ(a.s, b.s);
  EXPECT_FLOAT_EQ(f, static_cast<float>((0.4 * u + 0.8) * 10.0));
}

}  // namespace
}  // namespace olive
