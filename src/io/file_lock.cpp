#include "io/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace olive {
namespace {

// Waits for an exclusive flock on fd; true when granted.
bool LockExclusive(int fd) {
  if (fd < 0) return false;
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// open(2), again when a signal interrupted it.
int OpenRetrying(const std::filesystem::path& path, int flags) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

FileLock::FileLock(int fd) : fd_(fd), held_(LockExclusive(fd)) {}

FileLock::~FileLock() {
  if (held_) ::flock(fd_, LOCK_UN);
}

LockedAppendFile::~LockedAppendFile() {
  Close();
}

void LockedAppendFile::Fail(int error) {
  if (!failed_) error_ = error != 0 ? error : EIO;
  failed_ = true;
}

bool LockedAppendFile::Open(const std::filesystem::path& path) {
  Close();
  failed_ = false;
  error_ = 0;
  size_ = 0;
  cutOff_ = 0;
  // Read-write, so that the header can be compared and a cut-off line found; write-only where
  // reading is not allowed.
  readable_ = true;
  fd_ = OpenRetrying(path, O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC);
  if (fd_ < 0 && errno == EACCES) {
    readable_ = false;
    fd_ = OpenRetrying(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC);
  }
  if (fd_ < 0) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  // A file that cannot be locked (a file system without locks) is still written: the lock only
  // orders concurrent writers.
  LockExclusive(fd_);
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    Fail(errno);
    return true;
  }
  regular_ = S_ISREG(st.st_mode);
  size_ = regular_ ? static_cast<std::uintmax_t>(st.st_size) : 0;
  CutOffIncompleteLine();
  return true;
}

std::string LockedAppendFile::Read(std::uintmax_t from, std::size_t count) const {
  std::string out(count, '\0');
  std::size_t got = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd_, out.data() + got, count - got, static_cast<off_t>(from + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.resize(got);
  return out;
}

void LockedAppendFile::CutOffIncompleteLine() {
  if (!readable_ || !regular_ || size_ == 0) return;
  if (Read(size_ - 1, 1) == "\n") return;
  // Back to the end of the last whole line (the start of the file when there is none).
  constexpr std::size_t kChunk = 4096;
  std::uintmax_t end = size_;
  std::uintmax_t keep = 0;
  while (end > 0) {
    const std::uintmax_t from = end > kChunk ? end - kChunk : 0;
    const std::string chunk = Read(from, static_cast<std::size_t>(end - from));
    const std::size_t eol = chunk.rfind('\n');
    if (eol != std::string::npos) {
      keep = from + eol + 1;
      break;
    }
    end = from;
  }
  if (::ftruncate(fd_, static_cast<off_t>(keep)) != 0) {
    Fail(errno);
    return;
  }
  cutOff_ = size_ - keep;
  size_ = keep;
}

bool LockedAppendFile::FirstLine(std::string& line) const {
  line.clear();
  if (fd_ < 0 || !readable_) return false;
  constexpr std::size_t kChunk = 4096;
  for (std::uintmax_t from = 0; from < size_; from += kChunk) {
    const std::string chunk =
        Read(from, static_cast<std::size_t>(std::min<std::uintmax_t>(kChunk, size_ - from)));
    const std::size_t eol = chunk.find('\n');
    line.append(chunk, 0, eol);
    if (eol != std::string::npos) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (chunk.empty()) break;
  }
  return false;
}

std::string LockedAppendFile::Contents() const {
  if (fd_ < 0 || !readable_) return std::string();
  return Read(0, static_cast<std::size_t>(size_));
}

bool LockedAppendFile::Write(std::string_view text) {
  if (fd_ < 0 || failed_) return false;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n < 0 ? errno : EIO);
      // No part of the text stays behind.
      if (regular_ && done > 0) (void)!::ftruncate(fd_, static_cast<off_t>(size_));
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  size_ += done;
  return true;
}

bool LockedAppendFile::Close() {
  if (fd_ < 0) return !failed_;
  ::flock(fd_, LOCK_UN);
  if (::close(fd_) != 0 && errno != EINTR) Fail(errno);
  fd_ = -1;
  return !failed_;
}

FirstLineStatus ReadFirstLine(const std::filesystem::path& path, std::string& line) {
  line.clear();
  const int fd = OpenRetrying(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? FirstLineStatus::Absent : FirstLineStatus::Unreadable;
  while (::flock(fd, LOCK_SH) != 0 && errno == EINTR) {
  }
  FirstLineStatus status = FirstLineStatus::Absent;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) status = FirstLineStatus::Unreadable;
    if (n <= 0) break;
    const std::string_view chunk(buffer, static_cast<std::size_t>(n));
    const std::size_t eol = chunk.find('\n');
    line.append(chunk.substr(0, eol));
    if (eol != std::string_view::npos) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      status = FirstLineStatus::Line;
      break;
    }
  }
  ::flock(fd, LOCK_UN);
  ::close(fd);
  if (status != FirstLineStatus::Line) line.clear();
  return status;
}

ReplacedFileLock::ReplacedFileLock(const std::filesystem::path& path) {
  for (;;) {
    // Read-write where allowed: some network file systems grant exclusive locks only then.
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && (errno == EACCES || errno == EISDIR || errno == EROFS)) {
      fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd_ < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (!LockExclusive(fd_)) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
    struct stat locked {};
    struct stat named {};
    if (::fstat(fd_, &locked) == 0 && ::stat(path.c_str(), &named) == 0 &&
        locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
      held_ = true;
      return;
    }
    // Replaced while we waited: lock the file that now has the name.
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
  }
}

ReplacedFileLock::~ReplacedFileLock() {
  if (fd_ < 0) return;
  if (held_) ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace olive
