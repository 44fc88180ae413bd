#include "wxsource/netcdf_file.h"

#include <netcdf.h>

#include "wxsource/wx_variables.h"

namespace olive {
namespace {

std::string Problem(int status) {
  return nc_strerror(status);
}

}  // namespace

bool NetcdfAvailable() {
  return true;
}

std::unique_ptr<NcFile> NcFile::Open(const std::string& path, std::string& problem) {
  int id = -1;
  // Each read takes a block of cells over all time steps, reading every chunk it needs once: a
  // chunk cache (16 MB a variable by default) would hold chunks that are not read again.
  nc_set_chunk_cache(std::size_t{1} << 20, 1009, 0.75f);
  const int status = nc_open(path.c_str(), NC_NOWRITE, &id);
  if (status != NC_NOERR) {
    problem = Problem(status);
    return nullptr;
  }
  return std::unique_ptr<NcFile>(new NcFile(id, path));
}

NcFile::~NcFile() {
  nc_close(id_);
}

int NcFile::VarCount() const {
  int n = 0;
  nc_inq_nvars(id_, &n);
  return n;
}

std::string NcFile::VarName(int var) const {
  char name[NC_MAX_NAME + 1] = {};
  nc_inq_varname(id_, var, name);
  return name;
}

int NcFile::FindVar(std::string_view name) const {
  int var = -1;
  if (nc_inq_varid(id_, std::string(name).c_str(), &var) != NC_NOERR) return -1;
  return var;
}

std::vector<int> NcFile::VarDims(int var) const {
  int n = 0;
  nc_inq_varndims(id_, var, &n);
  std::vector<int> dims(static_cast<std::size_t>(n));
  if (n > 0) nc_inq_vardimid(id_, var, dims.data());
  return dims;
}

NcFile::Kind NcFile::VarKind(int var) const {
  nc_type type = NC_NAT;
  nc_inq_vartype(id_, var, &type);
  switch (type) {
    case NC_FLOAT:
      return Kind::Float;
    case NC_DOUBLE:
      return Kind::Double;
    case NC_BYTE:
    case NC_UBYTE:
    case NC_SHORT:
    case NC_USHORT:
    case NC_INT:
    case NC_UINT:
    case NC_INT64:
    case NC_UINT64:
      return Kind::Integer;
    case NC_CHAR:
    case NC_STRING:
      return Kind::Text;
    default:
      return Kind::Other;
  }
}

std::size_t NcFile::DimLength(int dim) const {
  std::size_t n = 0;
  nc_inq_dimlen(id_, dim, &n);
  return n;
}

std::string NcFile::DimName(int dim) const {
  char name[NC_MAX_NAME + 1] = {};
  nc_inq_dimname(id_, dim, name);
  return name;
}

std::optional<std::string> NcFile::TextAttr(int var, const char* name) const {
  nc_type type = NC_NAT;
  std::size_t len = 0;
  if (nc_inq_att(id_, var, name, &type, &len) != NC_NOERR) return std::nullopt;
  if (type == NC_CHAR) {
    std::string text(len, '\0');
    if (len > 0 && nc_get_att_text(id_, var, name, text.data()) != NC_NOERR) return std::nullopt;
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  if (type == NC_STRING && len >= 1) {
    std::vector<char*> values(len, nullptr);
    if (nc_get_att_string(id_, var, name, values.data()) != NC_NOERR) return std::nullopt;
    std::string text = values[0] != nullptr ? values[0] : "";
    nc_free_string(len, values.data());
    return text;
  }
  return std::nullopt;
}

std::vector<double> NcFile::NumberAttr(int var, const char* name, bool shortest) const {
  nc_type type = NC_NAT;
  std::size_t len = 0;
  if (nc_inq_att(id_, var, name, &type, &len) != NC_NOERR || len == 0) return {};
  if (type == NC_CHAR || type == NC_STRING) return {};
  std::vector<double> values(len);
  if (shortest && type == NC_FLOAT) {
    std::vector<float> f(len);
    if (nc_get_att_float(id_, var, name, f.data()) != NC_NOERR) return {};
    for (std::size_t i = 0; i < len; ++i) values[i] = ShortestDouble(f[i]);
    return values;
  }
  if (nc_get_att_double(id_, var, name, values.data()) != NC_NOERR) return {};
  return values;
}

std::optional<double> NcFile::DefaultFill(int var) const {
  nc_type type = NC_NAT;
  nc_inq_vartype(id_, var, &type);
  switch (type) {
    case NC_FLOAT:
      return static_cast<double>(NC_FILL_FLOAT);
    case NC_DOUBLE:
      return NC_FILL_DOUBLE;
    case NC_SHORT:
      return NC_FILL_SHORT;
    case NC_USHORT:
      return NC_FILL_USHORT;
    case NC_INT:
      return NC_FILL_INT;
    case NC_UINT:
      return NC_FILL_UINT;
    default:
      return std::nullopt;  // bytes have no default fill in CF; 64-bit ones are not met
  }
}

bool NcFile::Read(int var, const std::vector<std::size_t>& start,
                  const std::vector<std::size_t>& count, std::vector<float>& out,
                  std::string& problem) const {
  std::size_t n = 1;
  for (const std::size_t c : count) n *= c;
  out.resize(n);
  const int status = nc_get_vara_float(id_, var, start.data(), count.data(), out.data());
  if (status == NC_NOERR) return true;
  problem = Problem(status);
  return false;
}

bool NcFile::Read(int var, const std::vector<std::size_t>& start,
                  const std::vector<std::size_t>& count, std::vector<double>& out,
                  std::string& problem) const {
  std::size_t n = 1;
  for (const std::size_t c : count) n *= c;
  out.resize(n);
  const int status = nc_get_vara_double(id_, var, start.data(), count.data(), out.data());
  if (status == NC_NOERR) return true;
  problem = Problem(status);
  return false;
}

bool NcFile::ReadAll(int var, std::vector<double>& out, std::string& problem) const {
  const std::vector<int> dims = VarDims(var);
  std::vector<std::size_t> start(dims.size(), 0), count(dims.size());
  for (std::size_t i = 0; i < dims.size(); ++i) count[i] = DimLength(dims[i]);
  if (VarKind(var) != Kind::Float) return Read(var, start, count, out, problem);
  std::vector<float> values;
  if (!Read(var, start, count, values, problem)) return false;
  out.resize(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) out[i] = ShortestDouble(values[i]);
  return true;
}

bool NcFile::ReadNames(int var, std::vector<std::string>& out, std::string& problem) const {
  nc_type type = NC_NAT;
  nc_inq_vartype(id_, var, &type);
  const std::vector<int> dims = VarDims(var);
  std::size_t n = 1;
  for (const int d : dims) n *= DimLength(d);
  out.clear();
  auto trimmed = [](std::string s) {
    while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
    const std::size_t nul = s.find('\0');
    if (nul != std::string::npos) s.erase(nul);
    return s;
  };
  if (type == NC_STRING) {
    std::vector<char*> values(n, nullptr);
    const int status = nc_get_var_string(id_, var, values.data());
    if (status != NC_NOERR) {
      problem = Problem(status);
      return false;
    }
    for (char* v : values) out.push_back(trimmed(v != nullptr ? v : ""));
    nc_free_string(n, values.data());
    return true;
  }
  if (type != NC_CHAR) {
    problem = "it holds neither strings nor characters";
    return false;
  }
  const std::size_t width = dims.empty() ? 1 : DimLength(dims.back());
  std::string text(n, '\0');
  const int status = n == 0 ? NC_NOERR : nc_get_var_text(id_, var, text.data());
  if (status != NC_NOERR) {
    problem = Problem(status);
    return false;
  }
  for (std::size_t i = 0; i + width <= n && width > 0; i += width) {
    out.push_back(trimmed(text.substr(i, width)));
  }
  return true;
}

}  // namespace olive
