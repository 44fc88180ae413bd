#pragma once
// The run's error log: the file "errorlog" in the working directory, shared by all runs there and
// never truncated. Each message becomes one line: the local date and time
// ("2026-12-07 21:44:35"), a blank, the first 20 characters of the station's Location, a blank
// and the message. Each line is flushed at once, so the log can be watched while a run goes on,
// and written whole under the log's lock, so that runs going on at the same time in one working
// directory never mix their lines.
#include <cstdio>
#include <string>
#include <string_view>

#include "toolkit/error_sink.h"

namespace olive {

class ErrorLog : public ErrorSink {
 public:
  // Opens path for appending, creating it when absent. Every line written also goes to echo
  // (the standard error stream of the executables) when it is given.
  explicit ErrorLog(const std::string& path = "errorlog", std::FILE* echo = nullptr);
  ~ErrorLog() override;
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;

  void Report(std::string_view message) override;
  void SetLocation(std::string_view Location) override { location_ = Location; }
  // Appends a line already formatted by FormatErrorLine (a run's line kept for later).
  void WriteLine(std::string_view line);

  // False when the log could not be opened or created.
  bool IsOpen() const { return file_ != nullptr; }
  // True once a line could not be written (or the log never opened): the executable then ends
  // with a non-zero exit code and says so on the standard error stream.
  bool WriteFailed() const { return write_failed_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  std::FILE* echo_ = nullptr;
  std::string location_;  // empty until the weather file names the station
  bool write_failed_ = false;
};

// The local date and time as "YYYY-MM-DD HH:MM:SS".
std::string LocalDateTimeText();

// One line of the log: the date and time text, a blank, the first 20 characters of Location, a
// blank, the message and the line end.
std::string FormatErrorLine(std::string_view dateTime, std::string_view Location,
                            std::string_view message);

}  // namespace olive
