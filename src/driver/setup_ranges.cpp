#include "driver/setup_ranges.h"

#include <charconv>
#include <system_error>

namespace olive {
namespace {

// Whole numbers below 1e15 are written without a decimal point or exponent.
template <class T>
std::string FloatingText(T v) {
  if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < static_cast<T>(1e15)) {
    return std::to_string(static_cast<int64_t>(v));
  }
  char buf[48];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("?");
}

// A bound: its number, or the setup value it is with its number.
std::string BoundText(double v, std::string_view name) {
  if (name.empty()) return NumberText(v);
  return std::string(name) + " (" + NumberText(v) + ")";
}

}  // namespace

std::string NumberText(double v) {
  return FloatingText(v);
}
std::string NumberText(float v) {
  return FloatingText(v);
}

std::string Range::Text() const {
  const bool hasLo = std::isfinite(lo);
  const bool hasHi = std::isfinite(hi);
  const std::string low = BoundText(lo, loName);
  const std::string high = BoundText(hi, hiName);
  if (eitherBound) return low + " or " + high;
  if (!hasLo && !hasHi) return "a finite number";
  if (!hasHi) return (loIncluded ? "at least " : "above ") + low;
  if (!hasLo) return (hiIncluded ? "at most " : "below ") + high;
  if (loIncluded && hiIncluded) return low + " to " + high;
  return (loIncluded ? "at least " : "above ") + low +
         (hiIncluded ? " and at most " : " and below ") + high;
}

}  // namespace olive
