#include "output/append_file.h"

#include <cerrno>
#include <system_error>
#include <utility>

namespace olive {

AppendFile::~AppendFile() {
  if (stream_ != nullptr) std::fclose(stream_);
}

AppendFile::AppendFile(AppendFile&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      created_(other.created_),
      error_(other.error_) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
  if (this != &other) {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = std::exchange(other.stream_, nullptr);
    created_ = other.created_;
    error_ = other.error_;
  }
  return *this;
}

bool AppendFile::Open(const std::filesystem::path& path) {
  Close();
  error_ = 0;
  std::error_code ec;
  created_ = !std::filesystem::exists(path, ec);
  errno = 0;
  stream_ = std::fopen(path.c_str(), "ab");
  if (stream_ == nullptr) {
    error_ = errno != 0 ? errno : EIO;
    created_ = false;
    return false;
  }
  return true;
}

void AppendFile::Write(std::string_view text) {
  if (stream_ == nullptr || error_ != 0 || text.empty()) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) {
    error_ = errno != 0 ? errno : EIO;
  }
}

bool AppendFile::Close() {
  if (stream_ == nullptr) return error_ == 0;
  errno = 0;
  const bool flushed = std::fflush(stream_) == 0;
  if (!flushed && error_ == 0) error_ = errno != 0 ? errno : EIO;
  errno = 0;
  const bool closed = std::fclose(stream_) == 0;
  if (!closed && error_ == 0) error_ = errno != 0 ? errno : EIO;
  stream_ = nullptr;
  return error_ == 0;
}

std::string AppendFile::FailureText() const {
  return std::generic_category().message(error_);
}

void ReportFileFailure(ErrorSink& log, std::string_view what, std::string_view name,
                       const AppendFile& f) {
  std::string message(what);
  message.append(name);
  message.append(" (");
  message.append(f.FailureText());
  message.append(")");
  ReportError(log, message);
  log.RunOk = false;
}

}  // namespace olive
