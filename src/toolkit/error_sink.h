#pragma once
// Where the model's error messages go. The toolkit reports through this interface so that it
// stays free of I/O; the driver's error log implements it (one dated line per message), and tests
// record the messages in memory.
#include <string_view>

namespace olive {

struct ErrorSink {
  virtual ~ErrorSink() = default;
  // Appends one message to the error log.
  virtual void Report(std::string_view message) = 0;
  // Names the weather station that the following messages concern (the error log shows the first
  // 20 characters of it on each line). The weather reader sets it as soon as it knows the name.
  virtual void SetLocation(std::string_view /*Location*/) {}
  // False once any fatal input error has been reported; the driver then ends the run.
  bool RunOk = true;
};

// Reports a message to the error log; does not stop the run.
inline void ReportError(ErrorSink& sink, std::string_view message) {
  sink.Report(message);
}

}  // namespace olive
