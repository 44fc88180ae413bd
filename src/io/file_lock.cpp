#include "io/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
  empty_ = false;
  do {
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EINTR);
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
  } else {
    empty_ = st.st_size == 0;
  }
  return true;
}

bool LockedAppendFile::Write(std::string_view text) {
  if (fd_ < 0 || failed_) return false;
  while (!text.empty()) {
    const ssize_t n = ::write(fd_, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno);
      return false;
    }
    if (n == 0) {
      Fail(EIO);
      return false;
    }
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool LockedAppendFile::Close() {
  if (fd_ < 0) return !failed_;
  ::flock(fd_, LOCK_UN);
  if (::close(fd_) != 0 && errno != EINTR) Fail(errno);
  fd_ = -1;
  return !failed_;
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
