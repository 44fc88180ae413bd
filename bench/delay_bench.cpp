// Speed of one daily step of the distributed delays. A day of 15 degree-days through a delay of
// 300 degree-days in k substages takes trunc(2 * 15 * k / 300 + 1) sub-steps (11 for k = 100).
#include <benchmark/benchmark.h>

#include "toolkit/delays.h"

namespace olive {
namespace {

constexpr float kDel = 300.0f;  // degree-days
constexpr float kDT = 15.0f;    // degree-days per day

void BM_DelayNoPlr(benchmark::State& state) {
  const auto k = static_cast<int32_t>(state.range(0));
  AgeVec r{};
  float vout = 0;
  for (auto _ : state) {
    DelayNoPlr(20.0f, vout, r, kDel, kDT, k);
    benchmark::DoNotOptimize(vout);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DelayNoPlr)->Arg(100)->Arg(30);

void BM_DelayWithPlr(benchmark::State& state) {
  const auto k = static_cast<int32_t>(state.range(0));
  AgeVec r{}, plr{};
  for (int32_t i = 1; i <= k; ++i) plr[i] = 0.002f * static_cast<float>(i % 7);
  float vout = 0, shed = 0;
  for (auto _ : state) {
    DelayWithPlr(20.0f, vout, shed, r, plr, kDel, kDT, k);
    benchmark::DoNotOptimize(vout);
    benchmark::DoNotOptimize(shed);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DelayWithPlr)->Arg(100)->Arg(30);

}  // namespace
}  // namespace olive
