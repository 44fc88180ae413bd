// Compares the output files of a run with their golden copies:
//
//   golden_compare GOLDEN_DIR RUN_DIR
//   golden_compare --normalize DIR       (replaces the clock's texts in DIR's files by a mark)
//
// Every file under GOLDEN_DIR must exist under RUN_DIR with the same lines (line ends included).
// Within a line, fields (separated by TABs and blanks) must be equal: text and whole numbers
// exactly, other numbers within a relative tolerance of 1e-6 (the last bits a compiler or a
// mathematics library may change). Texts of the computer's clock (dates such as 07Dec26 or
// 2026-12-07, times such as 11:49:50-PM or 21:44:35) are not compared: the golden files were
// written at another time. Prints the first differences of each file and exits 0 when all
// agree, 1 when any differs.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kRelativeTolerance = 1e-6;
constexpr int kDifferencesShown = 5;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The lines of text, each with its line end, so that line ends are compared too.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, stop - start));
    start = stop;
  }
  return lines;
}

// The clock's texts replaced by a mark.
std::string WithoutClock(const std::string& line) {
  static const std::regex clock(
      R"(\b\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\b|\b\d{2}[A-Z][a-z]{2}\d{2}\b|)"
      R"(\b\d{2}:\d{2}:\d{2}([- ][AP]M)?)");
  return std::regex_replace(line, clock, "<clock>");
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (const char c : line) {
    if (c == '\t' || c == ' ') {
      fields.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  fields.push_back(field);
  return fields;
}

bool Number(const std::string& text, double& v) {
  if (text.empty()) return false;
  const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, v);
  return ec == std::errc() && ptr == end;
}

bool IsWhole(const std::string& text) {
  return text.find_first_of(".eE") == std::string::npos;
}

bool SameField(const std::string& a, const std::string& b) {
  if (a == b) return true;
  double x = 0, y = 0;
  if (!Number(a, x) || !Number(b, y) || IsWhole(a) || IsWhole(b)) return false;
  return std::fabs(x - y) <= kRelativeTolerance * std::max(std::fabs(x), std::fabs(y));
}

bool SameLine(const std::string& golden, const std::string& run) {
  const std::vector<std::string> a = Fields(WithoutClock(golden));
  const std::vector<std::string> b = Fields(WithoutClock(run));
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameField(a[i], b[i])) return false;
  }
  return true;
}

std::string Shown(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  if (line.size() > 160) line = line.substr(0, 160) + "...";
  return line;
}

// Compares one file; prints what differs. True when the same.
bool CompareFile(const fs::path& golden, const fs::path& run, const std::string& name) {
  if (!fs::exists(run)) {
    std::printf("%s: not written by the run\n", name.c_str());
    return false;
  }
  const std::vector<std::string> a = Lines(ReadFile(golden));
  const std::vector<std::string> b = Lines(ReadFile(run));
  int shown = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) && shown < kDifferencesShown; ++i) {
    if (i < a.size() && i < b.size() && SameLine(a[i], b[i])) continue;
    std::printf("%s line %zu:\n  golden: %s\n  run:    %s\n", name.c_str(), i + 1,
                i < a.size() ? Shown(a[i]).c_str() : "(none)",
                i < b.size() ? Shown(b[i]).c_str() : "(none)");
    ++shown;
  }
  if (a.size() != b.size()) {
    std::printf("%s: %zu lines in the golden file, %zu written\n", name.c_str(), a.size(),
                b.size());
  }
  return shown == 0 && a.size() == b.size();
}

// The files of dir with the clock's texts marked, so that regenerated golden files differ
// only where the model's numbers do.
int Normalize(const fs::path& dir) {
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::string text;
    for (const std::string& line : Lines(ReadFile(entry.path()))) text += WithoutClock(line);
    std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << text;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--normalize") return Normalize(argv[2]);
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: golden_compare GOLDEN_DIR RUN_DIR\n"
                 "       golden_compare --normalize DIR\n");
    return 64;
  }
  const fs::path golden = argv[1], run = argv[2];
  bool same = true;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(golden)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), golden);
    same = CompareFile(entry.path(), run / relative, relative.string()) && same;
    ++files;
  }
  if (files == 0) {
    std::printf("%s holds no golden file\n", golden.c_str());
    return 1;
  }
  return same ? 0 : 1;
}
