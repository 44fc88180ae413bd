#pragma once
// What the fuzz targets share: an error sink that drops the messages (a fuzzed input is expected
// to be refused most of the time), and a check that stops the process when a property of the
// readers does not hold, so that libFuzzer keeps the input as a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "toolkit/error_sink.h"

namespace olive::fuzzing {

struct DiscardingSink final : ErrorSink {
  void Report(std::string_view /*message*/) override {}
};

// The fuzzer's bytes as text.
inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Stops with a message when a property does not hold.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property does not hold: %s\n", what);
  std::abort();
}

}  // namespace olive::fuzzing
