// The olive executable: simulates one weather station for a span of dates.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/program_info.h"
#include "driver/run.h"
#include "output/column_dictionary.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const auto code = olive::HandleInfoOptions("olive", args, olive::OliveHelp())) return *code;
  // The data dictionary of the output files (docs/columns.md), printed before any file is touched.
  if (args.size() == 1 && args[0] == "--columns") {
    const std::string text = olive::ColumnDictionaryMarkdown();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? olive::kExitOk : olive::kExitWriteFailed;
  }
  return olive::RunOlive(args);
}
