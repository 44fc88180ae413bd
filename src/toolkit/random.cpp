#include "toolkit/random.h"

#include <chrono>

namespace olive {

uint32_t ClockSeed() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 86400000;
  return static_cast<uint32_t>(ms);  // ((h*60 + m)*60 + s)*1000 + ms of the UTC day
}

}  // namespace olive
