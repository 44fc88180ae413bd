#include "io/file_contents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <system_error>

namespace olive {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kBom = "\xEF\xBB\xBF";
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

bool ReplaceFileContents(const fs::path& path, std::string_view contents, std::string& reason) {
  // A name of its own for the temporary file, so that two runs rewriting at once do not share it.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path temporary = path;
  std::string suffix(".");
  suffix.append(std::to_string(::getpid()))
      .append(".")
      .append(std::to_string(stamp))
      .append(".tmp");
  temporary += suffix;

  std::error_code ec;
  {
    std::ofstream out(temporary, std::ios::out | std::ios::trunc);
    if (!out) {
      reason = "cannot create the temporary file " + temporary.filename().string();
      return false;
    }
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.flush();
    out.close();
    if (out.fail()) {
      reason = "cannot write the temporary file " + temporary.filename().string();
      fs::remove(temporary, ec);
      return false;
    }
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    reason = "cannot replace the table with " + temporary.filename().string() + " (" +
             ec.message() + ")";
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
  }
  return true;
}

}  // namespace olive
