// Speed of reading a century of daily weather: the file is parsed, repaired, converted and
// adjusted into the series. The weather file (100 years from 1 January 1901, a few missing
// values) is written once into a temporary file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "toolkit/modutils.h"
#include "weather/readwx.h"

namespace olive {
namespace {

struct NullLog : ErrorSink {
  void Report(std::string_view) override {}
};

constexpr int32_t kFirstYear = 1901, kLastYear = 2000;

// Writes the century's weather file and returns its path.
std::string CenturyFile() {
  const auto path = std::filesystem::temp_directory_path() / "olive_bench_century_wx.txt";
  std::ofstream f(path, std::ios::binary);
  f << "Benchmark\tsynthetic station\n-4.77 37.85\nmonth day year tmax tmin solar rain rh wind\n";
  int64_t n = 0;
  for (int32_t year = kFirstYear; year <= kLastYear; ++year) {
    for (int32_t month = 1; month <= 12; ++month) {
      const int32_t length = month == 2 ? (IsLeapYear(year) ? 29 : 28)
                             : (month == 4 || month == 6 || month == 9 || month == 11) ? 30
                                                                                       : 31;
      for (int32_t day = 1; day <= length; ++day, ++n) {
        const double season = std::sin(2 * std::numbers::pi * static_cast<double>(n) / 365.25);
        const int tmax = static_cast<int>(std::lround(220 + 90 * season));
        f << month << ' ' << day << ' ' << year << '\t' << tmax / 10 << '.' << tmax % 10 << '\t'
          << (n % 97 == 0 ? std::string("-99") : std::to_string(8 + (n % 7))) << '\t'
          << 150 + (n % 200) << '\t' << (n % 11 == 0 ? 4.5 : 0.0) << '\t' << 40 + (n % 50) << '\t'
          << 1.5 + 0.1 * static_cast<double>(n % 20) << '\n';
      }
    }
  }
  return path.string();
}

void BM_ReadCentury(benchmark::State& state) {
  const std::string file = CenturyFile();
  NullLog log;
  Weather wx;
  WxCons cons{};
  cons[1] = 1.0f;  // one adjustment, so the adjustment pass runs too
  const float first = rdate(kFirstYear, 1);
  const float last = rdate(kLastYear, 366);
  for (auto _ : state) {
    WxPeriod period{first, last, static_cast<uint16_t>(last - first + 1)};
    readwx(log, file, period, cons, wx);
    benchmark::DoNotOptimize(wx.temps.data());
    if (period.ndays != 36525 || !log.RunOk) state.SkipWithError("century not read whole");
  }
  state.SetItemsProcessed(state.iterations() * 36525);
  std::filesystem::remove(file);
}
BENCHMARK(BM_ReadCentury)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace olive
