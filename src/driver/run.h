#pragma once
// The olive executable's run: error log, inputs, passes over the dates, end sequence.

namespace olive {

// Process exit codes.
inline constexpr int kExitOk = 0;          // a normal end, also when an input error ended the run
inline constexpr int kExitAsinDomain = 1;  // Asin met an argument outside [-1, 1]
inline constexpr int kExitErrorLogFailed = 2;  // the error log could not be opened or written

// Runs one simulation from the command line (argv[1..9]) in the working directory and returns
// the process exit code.
int RunOlive(int argc, char** argv);

}  // namespace olive
