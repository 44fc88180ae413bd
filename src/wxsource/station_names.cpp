#include "wxsource/station_names.h"

#include <filesystem>

#include "wxsource/wx_report.h"

namespace olive {

std::string Quoted(std::string_view name) {
  std::string out = "\"";
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u == 0x7f) ? '?' : c;
  }
  out += '"';
  return out;
}

std::string SafeStationName(std::string_view name) {
  std::string out;
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.' || u >= 0x80;
    out += keep ? c : '_';
  }
  if (!out.empty() && out.front() == '.') out.front() = '_';
  return out;
}

std::string GridCellName(std::string_view prefix, int rank, std::size_t row, std::size_t column) {
  std::string name(prefix);
  for (int k = 0; k < rank && k < 2; ++k) {
    name += '_';
    name += std::to_string((k == 0 ? row : column) + 1);
  }
  return name;
}

std::string FileStem(std::string_view path) {
  return std::filesystem::path(path).stem().string();
}

}  // namespace olive
