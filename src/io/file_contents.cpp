#include "io/file_contents.h"

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <system_error>

namespace olive {

namespace fs = std::filesystem;

FileReadStatus ReadWholeFile(const fs::path& path, std::string& contents) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return FileReadStatus::CannotOpen;
  std::ifstream in(path, std::ios::binary);
  if (!in) return FileReadStatus::CannotOpen;
  contents.clear();
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    contents.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  return in.bad() ? FileReadStatus::ReadFailed : FileReadStatus::Ok;
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
