#include "io/output_file.h"

#include <cerrno>
#include <cstring>

namespace olive {
namespace {
constexpr size_t kBufferSize = 64 * 1024;
}

OutputFile::~OutputFile() {
  Close();
}

bool OutputFile::Open(const std::string& name, const char* mode) {
  Close();
  name_ = name;
  failed_ = false;
  reported_ = false;
  error_ = 0;
  used_ = 0;
  errno = 0;
  stream_ = std::fopen(name.c_str(), mode);
  if (stream_ == nullptr) {
    error_ = errno != 0 ? errno : EIO;  // nothing was written: not a write failure
    return false;
  }
  // The class keeps its own buffer; the stream passes blocks straight to the system.
  std::setvbuf(stream_, nullptr, _IONBF, 0);
  owned_ = true;
  buffer_.resize(kBufferSize);
  return true;
}

bool OutputFile::Create(const std::string& name) {
  return Open(name, "wb");
}

bool OutputFile::Append(const std::string& name) {
  return Open(name, "ab");
}

void OutputFile::Attach(std::FILE* stream, std::string name) {
  Close();
  name_ = std::move(name);
  failed_ = false;
  reported_ = false;
  error_ = 0;
  used_ = 0;
  stream_ = stream;
  owned_ = false;
  buffer_.resize(kBufferSize);
}

void OutputFile::Fail(int error) {
  if (!failed_) error_ = error;
  failed_ = true;
}

void OutputFile::Write(std::string_view text) {
  if (stream_ == nullptr || failed_) return;
  while (!text.empty()) {
    if (used_ == buffer_.size() && !Flush()) return;
    const size_t n = std::min(text.size(), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

bool OutputFile::Flush() {
  if (stream_ == nullptr || failed_) return !failed_;
  if (used_ > 0) {
    errno = 0;
    const size_t written = std::fwrite(buffer_.data(), 1, used_, stream_);
    if (written != used_) Fail(errno != 0 ? errno : EIO);
    used_ = 0;
  }
  if (!failed_ && std::fflush(stream_) != 0) Fail(errno != 0 ? errno : EIO);
  return !failed_;
}

bool OutputFile::Close() {
  if (stream_ == nullptr) return !failed_;
  Flush();
  if (owned_) {
    errno = 0;
    if (std::fclose(stream_) != 0) Fail(errno != 0 ? errno : EIO);
  }
  stream_ = nullptr;
  owned_ = false;
  return !failed_;
}

std::string OutputFile::FailureText() const {
  return name_ + ": " + (error_ != 0 ? std::strerror(error_) : "no error");
}

}  // namespace olive
