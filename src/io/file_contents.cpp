#include "io/file_contents.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>

namespace olive {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kTemporarySuffix = ".tmp";

// The host's name as it goes into temporary file names: letters, digits, '-' and '_' only (a dot
// would make the name ambiguous).
std::string HostForFileNames() {
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return "host";
  std::string host(buffer);
  for (char& c : host) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    if (!plain) c = '_';
  }
  return host.empty() ? "host" : host;
}

// The parts of a temporary file's name "<base>.<host>.<pid>.<n>.tmp".
struct TemporaryName {
  std::string_view base, host;
  long pid = 0;
};

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseTemporaryName(std::string_view name, TemporaryName& parts) {
  if (!name.ends_with(kTemporarySuffix)) return false;
  name.remove_suffix(kTemporarySuffix.size());
  std::string_view fields[3];  // n, pid, host, from the end
  for (std::string_view& field : fields) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return false;
    field = name.substr(dot + 1);
    name = name.substr(0, dot);
  }
  if (!AllDigits(fields[0]) || !AllDigits(fields[1]) || fields[1].size() > 9) return false;
  if (fields[2].empty() || name.empty()) return false;
  parts.base = name;
  parts.host = fields[2];
  parts.pid = std::stol(std::string(fields[1]));
  return true;
}

// False only when no process has the number pid (one of another user still exists).
bool ProcessExists(long pid) {
  if (pid <= 0) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

// Gives the new file of a replacement the old one's permissions, owner and group, as far as the
// process may (a user who is not root keeps the owner; a group the user is not in stays the
// folder's).
void KeepModeOwnerAndGroup(int fd, const struct stat& old) {
  if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
    (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  }
  (void)!::fchmod(fd, old.st_mode & 07777);
}

// Writes contents to fd, flushes it to disk and closes fd; the system's message on a failure.
std::string WriteAndSync(int fd, std::string_view contents) {
  int error = 0;
  while (!contents.empty() && error == 0) {
    const ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
    } else {
      contents.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
  return error == 0 ? std::string() : std::string(std::strerror(error));
}

// Flushes a folder's entries (a rename) to disk, where the system allows it.
void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

FileReadStatus ReadWholeFile(const fs::path& path, std::string& contents, std::uintmax_t limit) {
  contents.clear();
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno == ENXIO ? FileReadStatus::NotRegular : FileReadStatus::CannotOpen;
  struct stat st {};
  FileReadStatus status = FileReadStatus::Ok;
  if (::fstat(fd, &st) != 0) {
    status = FileReadStatus::ReadFailed;
  } else if (!S_ISREG(st.st_mode)) {
    status = FileReadStatus::NotRegular;
  } else if (static_cast<std::uintmax_t>(st.st_size) > limit) {
    status = FileReadStatus::TooLarge;
  }
  if (status == FileReadStatus::Ok) {
    contents.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        status = FileReadStatus::ReadFailed;
        break;
      }
      if (n == 0) break;
      // A file that grows while it is read is cut at the limit, not followed.
      if (contents.size() + static_cast<std::size_t>(n) > limit) {
        status = FileReadStatus::TooLarge;
        break;
      }
      contents.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  if (status != FileReadStatus::Ok) contents.clear();
  return status;
}

std::string FileReadProblem(FileReadStatus status, std::uintmax_t limit) {
  switch (status) {
    case FileReadStatus::NotRegular:
      return "not a regular file";
    case FileReadStatus::TooLarge:
      return "larger than " + std::to_string(limit >> 20) + " MiB";
    case FileReadStatus::ReadFailed:
      return "it could not be read";
    case FileReadStatus::Ok:
    case FileReadStatus::CannotOpen:
      break;
  }
  return std::string();
}

std::string_view SkipByteOrderMark(std::string_view text) {
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  return text;
}

void SkipByteOrderMark(std::string& text) {
  if (std::string_view(text).substr(0, kBom.size()) == kBom) text.erase(0, kBom.size());
}

bool HasControlSeparator(std::string_view name) {
  return name.find_first_of("\t\r\n") != std::string_view::npos;
}

std::string TemporaryFileName(std::string_view base, std::uint64_t n) {
  std::string name(base);
  name.append(".").append(HostForFileNames());
  name.append(".").append(std::to_string(::getpid()));
  name.append(".").append(std::to_string(n)).append(kTemporarySuffix);
  return name;
}

void RemoveStaleTemporaries(const fs::path& folder, std::string_view baseSuffix) {
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return;
  const std::string host = HostForFileNames();
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    TemporaryName parts;
    if (!ParseTemporaryName(name, parts) || !parts.base.ends_with(baseSuffix)) continue;
    if (parts.host != host || ProcessExists(parts.pid)) continue;
    std::error_code ignored;
    fs::remove(entry.path(), ignored);
  }
}

fs::path ReplacementTarget(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  const fs::path target = fs::canonical(path, ec);
  return ec ? path : target;
}

bool ReplaceFileContents(const fs::path& path, std::string_view contents, std::string& reason) {
  const fs::path target = ReplacementTarget(path);
  RemoveStaleTemporaries(target.parent_path(), target.filename().string());
  struct stat old {};
  const bool hasOld = ::stat(target.c_str(), &old) == 0;

  // A name of its own for the temporary file, so that two runs rewriting at once do not share it.
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    temporary = target.parent_path() /
                TemporaryFileName(target.filename().string(), static_cast<std::uint64_t>(stamp));
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST && errno != EINTR) break;
  }
  if (fd < 0) {
    reason = "cannot create the temporary file " + temporary.filename().string() + " (" +
             std::strerror(errno) + ")";
    return false;
  }
  if (hasOld) KeepModeOwnerAndGroup(fd, old);
  const std::string problem = WriteAndSync(fd, contents);
  if (!problem.empty()) {
    reason =
        "cannot write the temporary file " + temporary.filename().string() + " (" + problem + ")";
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    reason = "cannot replace the table with " + temporary.filename().string() + " (" +
             ec.message() + ")";
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

}  // namespace olive
