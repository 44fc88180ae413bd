#include "weather/wx_record.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "toolkit/text_scan.h"
#include "weather/weather.h"

namespace olive {
namespace {

// The values' names as the column heading of a weather file gives them.
constexpr const char* kValueName[kWxValues] = {"tmax", "tmin", "solar", "rain", "rh", "wind"};

constexpr float kMaxAbsCelsius = 70.0f;  // deg C: no air temperature on Earth comes near it

std::string FieldCount(int fields) {
  return std::to_string(fields) + (fields == 1 ? " field" : " fields") +
         " where a record has 9 (month day year tmax tmin solar rain rh wind).";
}

// "nan", "inf" or "infinity" in any case, with an optional sign.
bool IsNonFiniteWord(std::string_view token) {
  if (!token.empty() && (token.front() == '+' || token.front() == '-')) token.remove_prefix(1);
  std::string lower(token);
  for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return lower == "nan" || lower == "inf" || lower == "infinity";
}

// A number beyond the range of a float: read as infinite, unless it is only too small to be
// told from 0 (what it then rounds to).
float OutOfRangeValue(std::string_view token) {
  const bool negative = token.front() == '-';
  TextScanner again(token);
  double x = 0;
  switch (again.Read(x)) {
    case TextScanner::Status::kOk:
      if (std::fabs(x) <= FLT_MAX) return static_cast<float>(x);
      break;
    case TextScanner::Status::kOutOfRange: {
      // Beyond a double too: too small when its exponent is negative.
      const std::size_t e = token.find_first_of("eE");
      if (e != std::string_view::npos && e + 1 < token.size() && token[e + 1] == '-') {
        return negative ? -0.0f : 0.0f;
      }
      break;
    }
    default:
      break;
  }
  return negative ? -std::numeric_limits<float>::infinity()
                  : std::numeric_limits<float>::infinity();
}

enum class Value : uint8_t { kRead, kNone, kText };

// Reads one value field: a number, or a word or number that is not a finite float.
Value ReadValue(TextScanner& in, float& v) {
  const TextScanner::Status s = in.Read(v);
  switch (s) {
    case TextScanner::Status::kOk:
      return Value::kRead;
    case TextScanner::Status::kEnd:
      return Value::kNone;
    case TextScanner::Status::kOutOfRange:
      v = OutOfRangeValue(in.Token());
      return Value::kRead;
    case TextScanner::Status::kNotANumber:
      break;
  }
  if (!IsNonFiniteWord(in.Token())) return Value::kText;
  v = std::numeric_limits<float>::quiet_NaN();
  return Value::kRead;
}

// The value as written, shortened when it is very long.
std::string Shown(std::string_view text) {
  constexpr std::size_t kMaxShown = 40;
  return text.size() <= kMaxShown ? std::string(text)
                                  : std::string(text.substr(0, kMaxShown)) + "...";
}

// Why a value (not missing) is impossible; empty when it is possible.
std::string Impossible(int field, float v, bool fahr) {
  if (!std::isfinite(v)) return "cannot be held as a finite number";
  switch (field) {
    case kTmax:
    case kTmin: {
      const double celsius = fahr ? (v - 32) * 0.55555 : v;
      if (std::fabs(celsius) > kMaxAbsCelsius) return "is beyond -70 to 70 deg C";
      return {};
    }
    case kRelhum:
      return v < 0 || v > 100 ? "is outside 0 to 100 %" : "";
    default:  // solar radiation, rain, wind
      return v < 0 ? "is below 0" : "";
  }
}

}  // namespace

WxLine ParseWxRecord(std::string_view line, WxRecord& r, std::string& problem) {
  TextScanner in(line);
  int32_t* const date[3] = {&r.date.month, &r.date.day, &r.date.year};
  for (int f = 0; f < 3; ++f) {
    const TextScanner::Status s = in.Read(*date[f]);
    if (s == TextScanner::Status::kEnd) {
      problem = FieldCount(f);
      return WxLine::kMalformed;
    }
    if (s != TextScanner::Status::kOk) {
      problem = in.Problem<int32_t>(s);
      return WxLine::kMalformed;
    }
    if (f == 0 && r.date.month <= 0) return WxLine::kDataEnd;
  }
  for (int f = 0; f < kWxValues; ++f) {
    const Value got = ReadValue(in, r.value[f]);
    if (got == Value::kNone) {
      problem = FieldCount(3 + f);
      return WxLine::kMalformed;
    }
    if (got == Value::kText) {
      problem = in.Problem<float>(TextScanner::Status::kNotANumber);
      return WxLine::kMalformed;
    }
    r.text[f] = in.Token();
  }
  // Text may follow the record, a number may not: a tenth number is a field too many.
  int fields = kWxRecordFields;
  float extra = 0;
  while (ReadValue(in, extra) == Value::kRead) ++fields;
  if (fields > kWxRecordFields) {
    problem = FieldCount(fields);
    return WxLine::kMalformed;
  }
  return WxLine::kRecord;
}

void CheckWxValues(WxRecord& r, bool fahr, std::vector<std::string>& problems) {
  for (int f = 0; f < kWxValues; ++f) {
    if (r.value[f] == kMissing) continue;
    const std::string why = Impossible(f, r.value[f], fahr);
    if (why.empty()) continue;
    problems.push_back(std::string(kValueName[f]) + " " + Shown(r.text[f]) + " " + why +
                       "; taken as missing.");
    r.value[f] = kMissing;
  }
  const float tmax = r.value[kTmax], tmin = r.value[kTmin];
  if (tmax != kMissing && tmin != kMissing && tmin > tmax) {
    problems.push_back("tmin " + Shown(r.text[kTmin]) + " is above tmax " + Shown(r.text[kTmax]) +
                       "; both taken as missing.");
    r.value[kTmax] = r.value[kTmin] = kMissing;
  }
}

}  // namespace olive
