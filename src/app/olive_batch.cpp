// The olive-batch executable: many weather stations in parallel, with the files of sequential
// runs.
#include <string>
#include <vector>

#include "driver/batch.h"
#include "driver/program_info.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive-batch", args, olive::BatchUsage())) {
    return *code;
  }
  return olive::RunOliveBatch(argc, argv);
}
