#include "driver/run.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "driver/read_inputs.h"
#include "driver/simulation.h"
#include "output/error_log.h"
#include "toolkit/modutils.h"
#include "weather/readwx.h"

namespace olive {

int RunOlive(int argc, char** argv) {
  // Start-up: the error log, shared by all runs in the working directory.
  ErrorLog log("errorlog");
  if (!log.IsOpen()) {
    std::cerr << "olive: cannot open or create the error log \"" << log.Path() << "\"\n";
    return kExitErrorLogFailed;
  }

  int code = kExitOk;
  try {
    auto sim = std::make_unique<Simulation>(log);
    log.RunOk = true;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    ReadInputs(log, args, DiskFiles(), sim->in, sim->drv, sim->rng);

    // The pass: the weather of the whole pass is loaded before the first day.
    if (log.RunOk) {
      WxPeriod period{sim->drv.modelStartDate, sim->drv.ModelEndDate, sim->drv.ndays};
      readwx(log, sim->in.WxFilename, period, sim->in.wxcons, sim->wx);
      sim->drv.ndays = period.ndays;
    }
  } catch (const AsinDomainError&) {
    code = kExitAsinDomain;
  }

  if (log.WriteFailed()) {
    std::cerr << "olive: writing to the error log \"" << log.Path() << "\" failed\n";
    return kExitErrorLogFailed;
  }
  return code;
}

}  // namespace olive
