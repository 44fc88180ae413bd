// Fuzz target: the weather reader (readwxText) on weather-file text, for two passes: 1 January to
// 31 March 2001 without adjustments, and 15 February 2001 to 15 February 2002 (the records before
// the start skipped) with every adjustment set.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "toolkit/modutils.h"
#include "weather/readwx.h"

namespace {

void ReadPass(std::string_view text, float first, float last, const olive::WxCons& wxcons,
              olive::Weather& wx) {
  olive::fuzzing::DiscardingSink log;
  const uint16_t ndays = static_cast<uint16_t>(last - first + 1);
  olive::WxPeriod period{first, last, ndays};
  olive::readwxText(log, text, "fuzz.txt", period, wxcons, wx);
  olive::fuzzing::Require(period.ndays <= ndays, "the weather reader never lengthens the pass");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace olive;
  // The series are sized once (200 years of days) and kept from input to input.
  static Weather wx;
  const std::string_view text = fuzzing::AsText(data, size);
  ReadPass(text, rdate(2001, 1), rdate(2001, 90), WxCons{}, wx);
  ReadPass(text, rdate(2001, 46), rdate(2002, 46), WxCons{0, 1.5f, -10, 2, 5, 0.5f}, wx);
  return 0;
}
