#pragma once
// What every executable says of itself: its version and its help text, and the handling of the
// options that ask for them (--help, -h, --version), which print and end the program before it
// touches any file.
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace olive {

// The project's version, from CMake's project() call.
std::string_view OliveVersion();

// When args (the program's arguments after its name) are exactly one of --help, -h or --version,
// prints help (to standard output) or "<program> <version>" and returns the exit code 0;
// otherwise nullopt, and the program goes on.
std::optional<int> HandleInfoOptions(std::string_view program, std::span<const std::string> args,
                                     std::string_view help);

// olive's help text: the nine parameters, the files read and written, the exit codes.
std::string OliveHelp();

}  // namespace olive
