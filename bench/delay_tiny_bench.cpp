// Speed of one daily step of a delay whose population has died out: every entry zero or a
// subnormal float (below 2^-126), as a dead population's vectors stay for weeks. The delays do such
// steps by whole units of 2^-149; BM_DelayTinyAsFloats does the same step with plain float
// arithmetic on the subnormals, the processor's slow path, for comparison.
//
//   build/olive_bench --benchmark_filter=DelayTiny
#include <benchmark/benchmark.h>

#include <bit>
#include <cstdint>

#include "toolkit/delays.h"

namespace olive {
namespace {

// A vector of k subnormal entries between 1 and about 2^22 units.
AgeVec TinyVector(int32_t k) {
  AgeVec r{};
  uint32_t u = 12345;
  for (int32_t i = 1; i <= k; ++i) {
    u = u * 1664525u + 1013904223u;
    r[i] = std::bit_cast<float>((u >> 10) | 1u);
  }
  return r;
}

// The coccinellid's embryo delay: k = 65, del = 109 degree-days, a day of 15 degree-days
// (18 sub-steps), nothing entering.
void BM_DelayTinyNoPlr(benchmark::State& state) {
  const AgeVec start = TinyVector(65);
  float vout = 0;
  for (auto _ : state) {
    AgeVec r = start;
    DelayNoPlr(0.0f, vout, r, 109.0f, 15.0f, 65);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(vout);
  }
}
BENCHMARK(BM_DelayTinyNoPlr);

// The spider mites' immature delay: k = 40, del = 150, one degree-day (1 sub-step), losses of
// 2 % a substage transit; with the loss total and without it.
void BM_DelayTinyWithPlr(benchmark::State& state) {
  const bool shed = state.range(0) != 0;
  const AgeVec start = TinyVector(40);
  AgeVec plr{};
  for (int32_t i = 1; i <= 40; ++i) plr[i] = 0.02f;
  float vout = 0, loss = 0;
  for (auto _ : state) {
    AgeVec r = start;
    for (int step = 0; step < 10; ++step) {  // a day of ten one-degree-day steps
      if (shed) {
        DelayWithPlr(0.0f, vout, loss, r, plr, 150.0f, 1.0f, 40);
      } else {
        DelayWithPlrNoShed(0.0f, vout, r, plr, 150.0f, 1.0f, 40);
      }
    }
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(loss);
  }
}
BENCHMARK(BM_DelayTinyWithPlr)->ArgName("shed")->Arg(1)->Arg(0);

// BM_DelayTinyNoPlr's step in plain float arithmetic.
void BM_DelayTinyAsFloats(benchmark::State& state) {
  const AgeVec start = TinyVector(65);
  const int32_t k = 65;
  const SubSteps s = SplitStep(109.0f, 15.0f, k);
  for (auto _ : state) {
    AgeVec r = start;
    float out = 0.0f;
    for (int32_t j = 1; j <= s.idt; ++j) {
      out = out + s.a * r[k];
      for (int32_t i = k; i >= 2; --i) r[i] = r[i] + s.a * (r[i - 1] - r[i]);
      r[1] = r[1] + s.a * (0.0f - r[1]);
    }
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_DelayTinyAsFloats);

}  // namespace
}  // namespace olive
