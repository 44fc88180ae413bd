// The delays' fast paths must give exactly the bits of plain float arithmetic: vectors of a
// population that has died out (zero and subnormal entries, below 2^-126), and the loss total left
// out for callers that do not use it.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "plain_delay.h"
#include "toolkit/delays.h"
#include "toolkit/modutils.h"

namespace olive {
namespace {

using testing::PlainDelay;

// The float of the given number of units of 2^-149 (below 2^23: a subnormal).
float Units(uint32_t n) {
  return std::bit_cast<float>(n);
}

constexpr float kMinNormal = std::numeric_limits<float>::min();

// A vector of tiny entries: each a random number of units below maxUnits, some exactly zero.
AgeVec TinyVector(Rng& rng, int32_t k, uint32_t maxUnits) {
  AgeVec r{};
  for (int32_t i = 1; i <= k; ++i) {
    r[i] = rng.Below(5) == 0 ? 0.0f : Units(static_cast<uint32_t>(rng.Below(maxUnits)));
  }
  return r;
}

struct TinyCase {
  int32_t k;
  float del, DT;   // idt from 1 to about 20
  float plr;       // loss rates drawn in [0, plr); 0: no losses
  uint32_t units;  // entries below this many units
  float inflow;    // viN of every step
};

// Steps of delays that start tiny and drain (or, fed, climb into the normal range and back out
// when the inflow stops), every step compared bit for bit with the plain arithmetic.
TEST(DelayTinyContents, EveryStepMatchesPlainFloatArithmetic) {
  const TinyCase cases[] = {
      {100, 6000.0f, 12.0f, 0.0f, 1u << 23, 0.0f},      // leaves: one sub-step
      {65, 109.0f, 15.0f, 0.0f, 1u << 23, 0.0f},        // coccinellid embryos: 18 sub-steps
      {40, 150.0f, 1.0f, 0.3f, 1u << 23, 0.0f},         // mites: large totals, in-order losses
      {40, 150.0f, 1.0f, 0.3f, 1u << 12, 0.0f},         // small totals: losses in any order
      {100, 1000.0f, 14.0f, 0.1f, 1u << 16, 0.0f},      // roots' nitrogen
      {30, 55.0f, 20.0f, 0.05f, 1u << 23, Units(300)},  // a tiny inflow
      {30, 55.0f, 20.0f, 0.0f, 1u << 10, Units(3)},
      {7, 40.0f, 9.0f, 0.2f, 1u << 23, 1e-38f},   // inflow near the smallest normal
      {12, 20.0f, 3.0f, 0.0f, 1u << 20, 1e-30f},  // a normal inflow lifts the vector out
      {1, 10.0f, 4.0f, 0.3f, 1u << 23, 0.0f},
  };
  Rng rng;
  rng.s = 424242;
  for (const TinyCase& c : cases) {
    AgeVec plr{};
    for (int32_t i = 1; i <= c.k; ++i) plr[i] = static_cast<float>(rng.Uniform()) * c.plr;
    AgeVec r = TinyVector(rng, c.k, c.units), ref = r;
    for (int step = 0; step < 300; ++step) {
      const float viN = step < 150 ? c.inflow : 0.0f;
      float vout = -1, shed = -1, refOut, refShed;
      DelayWithPlr(viN, vout, shed, r, plr, c.del, c.DT, c.k);
      PlainDelay(viN, refOut, refShed, ref, plr, c.del, c.DT, c.k, true);
      ASSERT_EQ(std::bit_cast<uint32_t>(vout), std::bit_cast<uint32_t>(refOut))
          << "k " << c.k << " step " << step;
      ASSERT_EQ(std::bit_cast<uint32_t>(shed), std::bit_cast<uint32_t>(refShed))
          << "k " << c.k << " step " << step;
      for (int32_t i = 1; i <= c.k; ++i) {
        ASSERT_EQ(std::bit_cast<uint32_t>(r[i]), std::bit_cast<uint32_t>(ref[i]))
            << "k " << c.k << " step " << step << " substage " << i;
      }
    }
  }
}

// The same for the delay without losses, and for tiny vectors the whole-unit arithmetic must not
// take: negative zeros, negative subnormals, a negative inflow, loss rates above one sub-step's
// worth, negative or subnormal loss rates.
TEST(DelayTinyContents, EdgeContentsMatchPlainFloatArithmetic) {
  struct Edge {
    AgeVec r;
    AgeVec plr;
    float viN;
  };
  Rng rng;
  rng.s = 99;
  const int32_t k = 20;
  const float del = 40.0f, DT = 8.0f;  // idt 9, a = 4/9
  std::vector<Edge> edges;
  auto tiny = [&] { return TinyVector(rng, k, 1u << 23); };
  AgeVec none{}, some{}, huge{}, negative{}, subnormal{}, exactlyOne{};
  Fill(some, k, 0.1f);
  Fill(huge, k, 3.0f);  // a * Plr above 1: more than a substage holds
  Fill(negative, k, -0.05f);
  Fill(subnormal, k, Units(77));
  Fill(exactlyOne, k, 2.25f);  // a * Plr = 1: everything a substage holds
  for (const AgeVec* plr : {&none, &some, &huge, &negative, &subnormal, &exactlyOne}) {
    AgeVec withNegZero = tiny(), withNegative = tiny(), maxed{};
    withNegZero[5] = -0.0f;
    withNegative[7] = -Units(12345);
    Fill(maxed, k, Units((1u << 23) - 1));
    edges.push_back({withNegZero, *plr, 0.0f});
    edges.push_back({withNegative, *plr, 0.0f});
    edges.push_back({maxed, *plr, 0.0f});
    edges.push_back({tiny(), *plr, -Units(40)});
    edges.push_back({tiny(), *plr, -0.0f});
    edges.push_back({AgeVec{}, *plr, 0.0f});
    edges.push_back({AgeVec{}, *plr, -0.0f});
    edges.push_back({AgeVec{}, *plr, kMinNormal});
  }
  for (size_t e = 0; e < edges.size(); ++e) {
    for (bool losses : {false, true}) {
      AgeVec r = edges[e].r, ref = r;
      for (int step = 0; step < 40; ++step) {
        float vout = -1, shed = 0, refOut, refShed;
        if (losses) {
          DelayWithPlr(edges[e].viN, vout, shed, r, edges[e].plr, del, DT, k);
        } else {
          DelayNoPlr(edges[e].viN, vout, r, del, DT, k);
        }
        PlainDelay(edges[e].viN, refOut, refShed, ref, edges[e].plr, del, DT, k, losses);
        if (!losses) refShed = 0;
        ASSERT_EQ(std::bit_cast<uint32_t>(vout), std::bit_cast<uint32_t>(refOut)) << e;
        ASSERT_EQ(std::bit_cast<uint32_t>(shed), std::bit_cast<uint32_t>(refShed)) << e;
        for (int32_t i = 1; i <= k; ++i) {
          ASSERT_EQ(std::bit_cast<uint32_t>(r[i]), std::bit_cast<uint32_t>(ref[i]))
              << "case " << e << " losses " << losses << " step " << step << " substage " << i;
        }
      }
    }
  }
}

// An empty delay with nothing entering stays +0 everywhere and sends nothing out.
TEST(DelayTinyContents, EmptyDelayStaysEmpty) {
  AgeVec r{};
  r[0] = 5.0f;   // entry 0 is not a substage
  r[31] = 7.0f;  // beyond k
  float vout = -1;
  DelayNoPlr(0.0f, vout, r, 100.0f, 30.0f, 30);
  EXPECT_EQ(std::bit_cast<uint32_t>(vout), 0u);
  for (int32_t i = 1; i <= 30; ++i) EXPECT_EQ(std::bit_cast<uint32_t>(r[i]), 0u);
  EXPECT_EQ(r[0], 5.0f);
  EXPECT_EQ(r[31], 7.0f);
}

// Leaving out the loss total changes nothing else, on ordinary and on tiny contents.
TEST(DelayWithPlrNoShed, SameVectorAndOutflowAsDelayWithPlr) {
  Rng rng;
  rng.s = 5;
  for (int32_t k : {1, 13, 40, 100}) {
    for (bool tiny : {false, true}) {
      AgeVec plr{}, r{};
      for (int32_t i = 1; i <= k; ++i) {
        plr[i] = static_cast<float>(rng.Uniform()) * 0.2f;
        r[i] = tiny ? Units(static_cast<uint32_t>(rng.Below(1u << 20)))
                    : static_cast<float>(rng.Uniform()) * 100.0f;
      }
      AgeVec ref = r;
      for (int step = 0; step < 50; ++step) {
        const float DT = static_cast<float>(rng.Uniform()) * 20.0f;
        const float viN = tiny ? 0.0f : static_cast<float>(rng.Uniform()) * 30.0f;
        float vout = -1, refOut = -1, shed = -1;
        DelayWithPlrNoShed(viN, vout, r, plr, 300.0f, DT, k);
        DelayWithPlr(viN, refOut, shed, ref, plr, 300.0f, DT, k);
        ASSERT_EQ(std::bit_cast<uint32_t>(vout), std::bit_cast<uint32_t>(refOut)) << k;
        ASSERT_EQ(r, ref) << "k " << k << " step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace olive
