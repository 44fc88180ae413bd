#include <gtest/gtest.h>

#include "state/simulation.h"

namespace olive {
namespace {

struct NullSink : ErrorSink {
  void Report(std::string_view) override {}
};

TEST(Simulation, TwoRunsKeepSeparateState) {
  NullSink log1, log2;
  Simulation a(log1), b(log2);
  a.rng.s = 1;
  b.rng.s = 1;
  a.rng.Uniform();
  EXPECT_NE(a.rng.s, b.rng.s);
}

}  // namespace
}  // namespace olive
