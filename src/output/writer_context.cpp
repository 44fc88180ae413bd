#include "output/writer_context.h"

#include <array>
#include <cstring>
#include <ctime>

namespace olive {
namespace {

constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Appends v (0..99) as two digits.
void AppendTwoDigits(std::string& out, int32_t v) {
  out.push_back(static_cast<char>('0' + (v / 10) % 10));
  out.push_back(static_cast<char>('0' + v % 10));
}

}  // namespace

ClockReading LocalClock() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string DateText(const ClockReading& c) {
  std::string text;
  AppendTwoDigits(text, c.day);
  const int32_t m = (c.month >= 1 && c.month <= 12) ? c.month : 1;
  text.append(kMonthNames[static_cast<size_t>(m - 1)]);
  AppendTwoDigits(text, ((c.year % 100) + 100) % 100);
  return text;
}

std::string LongTimeText(const ClockReading& c) {
  const int32_t hour12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
  std::string text;
  AppendTwoDigits(text, hour12);
  text.push_back(':');
  AppendTwoDigits(text, c.minute);
  text.push_back(':');
  AppendTwoDigits(text, c.second);
  text.append(c.hour < 12 ? " AM" : " PM");
  return text;
}

std::string RowTimeText(std::string_view longTime) {
  std::string text(longTime.substr(0, 11));
  for (char& ch : text) {
    if (ch == ' ') ch = '-';
  }
  return text;
}

void ReportFileFailure(ErrorSink& log, std::string_view what, std::string_view name, int error) {
  std::string message(what);
  message.append(name);
  message.append(" (");
  message.append(std::strerror(error));
  message.append(")");
  ReportError(log, message);
  log.RunOk = false;
}

}  // namespace olive
