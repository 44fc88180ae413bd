#pragma once
// A NetCDF file written through the netCDF-C library: the few things the gridded output needs
// (dimensions, variables, attributes, hyperslab writes) and the copy of a variable of an input
// file, its attributes and its values. Built only with the library (olive-batch --netcdf-out).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "wxsource/netcdf_file.h"

namespace olive {

class NcOutFile {
 public:
  // Creates path (a NetCDF-4 file), replacing a file of that name; nullptr with the library's
  // reason in problem.
  static std::unique_ptr<NcOutFile> Create(const std::string& path, std::string& problem);
  ~NcOutFile();
  NcOutFile(const NcOutFile&) = delete;
  NcOutFile& operator=(const NcOutFile&) = delete;

  static constexpr int kGlobal = -1;  // the file's own attributes

  // Each returns false with the library's reason in Problem() once a call fails; later calls then
  // do nothing.
  bool DefDim(const std::string& name, std::size_t length, int& dim);
  // kind: Float, Double or Integer (32-bit).
  bool DefVar(const std::string& name, NcFile::Kind kind, const std::vector<int>& dims, int& var);
  bool TextAttr(int var, const char* name, std::string_view value);
  bool FloatAttr(int var, const char* name, float value);
  bool DoubleAttr(int var, const char* name, const std::vector<double>& values);
  // Defines a variable as the input's variable var of from (its type and every attribute), over
  // dims of this file.
  bool CopyVarDef(const NcFile& from, int fromVar, const std::vector<int>& dims, int& var);
  bool EndDef();
  bool Write(int var, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
             const float* values);
  bool Write(int var, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
             const double* values);
  // Writes the values of the input's variable fromVar (numbers or characters) into var.
  bool CopyValues(const NcFile& from, int fromVar, int var);
  bool Close();

  const std::string& Problem() const { return problem_; }

 private:
  explicit NcOutFile(int id) : id_(id) {}
  bool Check(int status);

  int id_;
  bool open_ = true;
  std::string problem_;
};

}  // namespace olive
