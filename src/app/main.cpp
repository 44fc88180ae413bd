// The olive executable: simulates one weather station for a span of dates.
#include <string>
#include <vector>

#include "driver/program_info.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive", args, olive::OliveHelp())) return *code;
  return olive::RunOlive(args);
}
