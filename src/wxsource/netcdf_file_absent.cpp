// The NetCDF file wrapper of a build without the netCDF-C library: nothing can be opened.
#include "wxsource/netcdf_file.h"

namespace olive {

bool NetcdfAvailable() {
  return false;
}

std::unique_ptr<NcFile> NcFile::Open(const std::string& /*path*/, std::string& problem) {
  problem = "olive-wx was built without NetCDF support";
  return nullptr;
}

NcFile::~NcFile() = default;
int NcFile::VarCount() const {
  return 0;
}
std::string NcFile::VarName(int) const {
  return {};
}
int NcFile::FindVar(std::string_view) const {
  return -1;
}
std::vector<int> NcFile::VarDims(int) const {
  return {};
}
NcFile::Kind NcFile::VarKind(int) const {
  return Kind::Other;
}
std::size_t NcFile::DimLength(int) const {
  return 0;
}
std::string NcFile::DimName(int) const {
  return {};
}
std::optional<std::string> NcFile::TextAttr(int, const char*) const {
  return std::nullopt;
}
std::vector<double> NcFile::NumberAttr(int, const char*, bool) const {
  return {};
}
std::optional<double> NcFile::DefaultFill(int) const {
  return std::nullopt;
}
bool NcFile::Read(int, const std::vector<std::size_t>&, const std::vector<std::size_t>&,
                  std::vector<float>&, std::string&) const {
  return false;
}
bool NcFile::Read(int, const std::vector<std::size_t>&, const std::vector<std::size_t>&,
                  std::vector<double>&, std::string&) const {
  return false;
}
bool NcFile::ReadAll(int, std::vector<double>&, std::string&) const {
  return false;
}
bool NcFile::ReadNames(int, std::vector<std::string>&, std::string&) const {
  return false;
}

}  // namespace olive
