#pragma once
// An error log kept in memory, shared by the tests' fixtures (one definition for the whole test
// executable).
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/error_sink.h"

namespace olive::testing {

struct RecordingSink : ErrorSink {
  std::vector<std::string> messages;
  int reports = 0;
  void Report(std::string_view m) override {
    messages.emplace_back(m);
    ++reports;
  }
};

}  // namespace olive::testing
