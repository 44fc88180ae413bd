#include "io/error_log.h"

#include <ctime>

#include "io/file_lock.h"

namespace olive {

ErrorLog::ErrorLog(const std::string& path, std::FILE* echo) : path_(path), echo_(echo) {
  file_ = std::fopen(path_.c_str(), "a");
  if (file_ == nullptr) write_failed_ = true;
}

ErrorLog::~ErrorLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void ErrorLog::Report(std::string_view message) {
  WriteLine(FormatErrorLine(LocalDateTimeText(), location_, message));
}

void ErrorLog::WriteLine(std::string_view line) {
  if (echo_ != nullptr) {
    std::fwrite(line.data(), 1, line.size(), echo_);
    std::fflush(echo_);
  }
  if (file_ == nullptr) {
    write_failed_ = true;
    return;
  }
  const FileLock lock(fileno(file_));
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
    write_failed_ = true;
  }
}

std::string FormatErrorLine(std::string_view dateTime, std::string_view Location,
                            std::string_view message) {
  std::string line(dateTime);
  line += ' ';
  line += Location.substr(0, 20);
  line += ' ';
  line += message;
  line += '\n';
  return line;
}

std::string LocalDateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

}  // namespace olive
