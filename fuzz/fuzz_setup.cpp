// Fuzz target: the setup reader (ReadSetup) on setup-file text, for a run that starts on
// 1 January 2001.
#include <cstddef>
#include <cstdint>

#include "driver/read_inputs.h"
#include "fuzz_support.h"
#include "toolkit/modutils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace olive;
  fuzzing::DiscardingSink log;
  Inputs in;
  in.SetupFileName = "olive.setup";
  DriverState drv;
  drv.modelStartDate = rdate(2001, 1);
  Rng rng;
  ReadSetup(log, fuzzing::AsText(data, size), in, drv, rng);
  return 0;
}
