#pragma once
// The olive-wx conversion: reads the command line, opens the error log, reads every input and,
// when all of it is good, writes the weather files and their list into the output folder.
#include <string>
#include <vector>

namespace olive {

// Runs olive-wx with its arguments (after the program name); returns the exit code: 0 converted,
// 1 an input was wrong, 2 the error log could not be written, 3 an output file could not be
// written, 64 a wrong command line.
int RunOliveWx(const std::vector<std::string>& args);

}  // namespace olive
