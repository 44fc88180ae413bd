#include "wxsource/netcdf_out_file.h"

#include <netcdf.h>

namespace olive {
namespace {

nc_type TypeOf(NcFile::Kind kind) {
  switch (kind) {
    case NcFile::Kind::Float:
      return NC_FLOAT;
    case NcFile::Kind::Integer:
      return NC_INT;
    default:
      return NC_DOUBLE;
  }
}

int VarId(int var) {
  return var == NcOutFile::kGlobal ? NC_GLOBAL : var;
}

}  // namespace

std::unique_ptr<NcOutFile> NcOutFile::Create(const std::string& path, std::string& problem) {
  int id = -1;
  const int status = nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &id);
  if (status != NC_NOERR) {
    problem = nc_strerror(status);
    return nullptr;
  }
  return std::unique_ptr<NcOutFile>(new NcOutFile(id));
}

NcOutFile::~NcOutFile() {
  if (open_) nc_close(id_);
}

bool NcOutFile::Check(int status) {
  if (status == NC_NOERR) return true;
  if (problem_.empty()) problem_ = nc_strerror(status);
  return false;
}

bool NcOutFile::DefDim(const std::string& name, std::size_t length, int& dim) {
  return problem_.empty() && Check(nc_def_dim(id_, name.c_str(), length, &dim));
}

bool NcOutFile::DefVar(const std::string& name, NcFile::Kind kind, const std::vector<int>& dims,
                       int& var) {
  return problem_.empty() && Check(nc_def_var(id_, name.c_str(), TypeOf(kind),
                                              static_cast<int>(dims.size()), dims.data(), &var));
}

bool NcOutFile::TextAttr(int var, const char* name, std::string_view value) {
  return problem_.empty() &&
         Check(nc_put_att_text(id_, VarId(var), name, value.size(), value.data()));
}

bool NcOutFile::FloatAttr(int var, const char* name, float value) {
  return problem_.empty() && Check(nc_put_att_float(id_, VarId(var), name, NC_FLOAT, 1, &value));
}

bool NcOutFile::DoubleAttr(int var, const char* name, const std::vector<double>& values) {
  return problem_.empty() &&
         Check(nc_put_att_double(id_, VarId(var), name, NC_DOUBLE, values.size(), values.data()));
}

bool NcOutFile::CopyVarDef(const NcFile& from, int fromVar, const std::vector<int>& dims,
                           int& var) {
  if (!problem_.empty()) return false;
  nc_type type = NC_NAT;
  int atts = 0;
  char name[NC_MAX_NAME + 1] = {};
  if (!Check(nc_inq_var(from.id_, fromVar, name, &type, nullptr, nullptr, &atts)) ||
      !Check(nc_def_var(id_, name, type, static_cast<int>(dims.size()), dims.data(), &var))) {
    return false;
  }
  for (int a = 0; a < atts; ++a) {
    char att[NC_MAX_NAME + 1] = {};
    if (!Check(nc_inq_attname(from.id_, fromVar, a, att)) ||
        !Check(nc_copy_att(from.id_, fromVar, att, id_, var))) {
      return false;
    }
  }
  return true;
}

bool NcOutFile::EndDef() {
  return problem_.empty() && Check(nc_enddef(id_));
}

bool NcOutFile::Write(int var, const std::vector<std::size_t>& start,
                      const std::vector<std::size_t>& count, const float* values) {
  return problem_.empty() && Check(nc_put_vara_float(id_, var, start.data(), count.data(), values));
}

bool NcOutFile::Write(int var, const std::vector<std::size_t>& start,
                      const std::vector<std::size_t>& count, const double* values) {
  return problem_.empty() &&
         Check(nc_put_vara_double(id_, var, start.data(), count.data(), values));
}

bool NcOutFile::CopyValues(const NcFile& from, int fromVar, int var) {
  if (!problem_.empty()) return false;
  nc_type type = NC_NAT;
  int ndims = 0;
  if (!Check(nc_inq_var(from.id_, fromVar, nullptr, &type, &ndims, nullptr, nullptr))) return false;
  std::vector<int> dims(static_cast<std::size_t>(ndims));
  if (ndims > 0 && !Check(nc_inq_vardimid(from.id_, fromVar, dims.data()))) return false;
  std::size_t n = 1;
  for (const int d : dims) {
    std::size_t length = 0;
    if (!Check(nc_inq_dimlen(from.id_, d, &length))) return false;
    n *= length;
  }
  if (type == NC_CHAR) {
    std::string text(n, '\0');
    return Check(nc_get_var_text(from.id_, fromVar, text.data())) &&
           Check(nc_put_var_text(id_, var, text.data()));
  }
  if (type == NC_STRING) {
    std::vector<char*> strings(n, nullptr);
    const bool ok = Check(nc_get_var_string(from.id_, fromVar, strings.data())) &&
                    Check(nc_put_var_string(id_, var, const_cast<const char**>(strings.data())));
    nc_free_string(n, strings.data());
    return ok;
  }
  std::vector<double> values(n);
  return Check(nc_get_var_double(from.id_, fromVar, values.data())) &&
         Check(nc_put_var_double(id_, var, values.data()));
}

bool NcOutFile::Close() {
  if (!open_) return problem_.empty();
  open_ = false;
  return Check(nc_close(id_)) && problem_.empty();
}

}  // namespace olive
