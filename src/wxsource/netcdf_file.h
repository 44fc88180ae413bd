#pragma once
// A NetCDF file opened for reading, through the netCDF-C library: the few questions the weather
// reader asks of it (variables, dimensions, attributes) and hyperslab reads. The only code that
// sees netcdf.h is this wrapper's implementation; a build without the library gets one whose Open
// says so.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace olive {

// True when the build has the netCDF-C library.
bool NetcdfAvailable();

class NcFile {
 public:
  // How a variable's values are stored.
  enum class Kind : unsigned char { Float, Double, Integer, Text, Other };

  // Opens path; nullptr with the library's reason in problem when it cannot.
  static std::unique_ptr<NcFile> Open(const std::string& path, std::string& problem);
  ~NcFile();
  NcFile(const NcFile&) = delete;
  NcFile& operator=(const NcFile&) = delete;

  const std::string& Path() const { return path_; }
  int VarCount() const;
  std::string VarName(int var) const;
  // The variable of that name, -1 when there is none.
  int FindVar(std::string_view name) const;
  std::vector<int> VarDims(int var) const;
  Kind VarKind(int var) const;
  std::size_t DimLength(int dim) const;
  std::string DimName(int dim) const;

  // A text attribute (characters or a string), nullopt when absent.
  std::optional<std::string> TextAttr(int var, const char* name) const;
  // A numeric attribute's values; empty when absent or not numeric. With shortest, a 32-bit float
  // value is taken as the shortest decimal that reads back as it (0.01f gives 0.01, not
  // 0.009999999776).
  std::vector<double> NumberAttr(int var, const char* name, bool shortest = false) const;
  // The library's fill value for the variable's type (used when it has no _FillValue).
  std::optional<double> DefaultFill(int var) const;

  // Reads the hyperslab start/count (one entry per dimension of the variable) as floats or
  // doubles, converted by the library; false with the reason in problem.
  bool Read(int var, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
            std::vector<float>& out, std::string& problem) const;
  bool Read(int var, const std::vector<std::size_t>& start, const std::vector<std::size_t>& count,
            std::vector<double>& out, std::string& problem) const;
  // Reads a whole numeric variable as doubles (32-bit floats as their shortest decimals).
  bool ReadAll(int var, std::vector<double>& out, std::string& problem) const;
  // Reads the names held by a variable of strings, or of characters whose last dimension is the
  // length of a name; blanks and NUL characters at the end are dropped.
  bool ReadNames(int var, std::vector<std::string>& out, std::string& problem) const;

 private:
  friend class NcOutFile;  // copies variables of an input into an output file
  NcFile(int id, std::string path) : id_(id), path_(std::move(path)) {}
  int id_;
  std::string path_;
};

}  // namespace olive
