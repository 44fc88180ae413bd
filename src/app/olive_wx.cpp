// The olive-wx executable: converts station tables (CSV) and gridded or station NetCDF files to
// the simulator's weather files.
#include "wxconvert/olive_wx.h"

#include <string>
#include <vector>

#include "driver/program_info.h"
#include "wxconvert/wx_command_line.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive-wx", args, olive::WxHelp())) {
    return *code;
  }
  return olive::RunOliveWx(args);
}
