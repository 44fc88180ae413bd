#pragma once
// A text file opened for appending by one writer call and closed at its end (the GIS files, their
// list and the summary table grow from run to run and stay closed between rows). The file is
// created when absent. Every failure to open, write or close is kept with the system's message, so
// that the writer reports it and the run ends instead of losing rows silently.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "toolkit/error_sink.h"

namespace olive {

// Line end of the GIS files, their list and the summary table.
inline constexpr std::string_view kLineEnd = "\r\n";

class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(AppendFile&& other) noexcept;
  AppendFile& operator=(AppendFile&& other) noexcept;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens path for appending, creating it when it does not exist. False when it cannot be opened.
  bool Open(const std::filesystem::path& path);
  // The file did not exist before Open: it needs its header.
  bool Created() const { return created_; }
  bool IsOpen() const { return stream_ != nullptr; }

  // Appends text. Does nothing once the file has failed or when it is not open.
  void Write(std::string_view text);
  // Closes the file. False when anything failed since Open (including the close itself).
  bool Close();

  bool Failed() const { return error_ != 0; }
  // The system's message for the first failure.
  std::string FailureText() const;

 private:
  std::FILE* stream_ = nullptr;
  bool created_ = false;
  int error_ = 0;
};

// Reports a file that could not be opened or written ("<what><name> (<system message>)", e.g.
// "Can not write: OUT00002.txt (No space left on device)") and ends the run (RunOk false).
void ReportFileFailure(ErrorSink& log, std::string_view what, std::string_view name,
                       const AppendFile& f);

}  // namespace olive
