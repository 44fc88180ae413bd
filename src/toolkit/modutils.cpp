#include "toolkit/modutils.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace olive {

namespace {

// A message followed by an integer right-aligned in a field of width 8.
std::string WithWidth8(std::string_view message, int32_t value) {
  char field[16];
  std::snprintf(field, sizeof field, "%8d", static_cast<int>(value));
  std::string text(message);
  text += field;
  return text;
}

// Arcsine in radians of an argument known to lie in [-1, 1].
float AsinInDomain(float Arg) {
  if (Arg == 0.0f) return 0.0f;
  if (Arg == 1.0f) return 1.5707964f;
  if (Arg == -1.0f) return -1.5707964f;
  const double x = Arg;
  return static_cast<float>(std::atan(x / std::sqrt(1.0 - x * x)));
}

}  // namespace

int32_t Julian(ErrorSink& log, int32_t Month, int32_t day, int32_t Year) {
  if (Year < 0 || Year > 10000) {
    ReportError(log, WithWidth8(" Invalid year in Julian Function: ", Year));
    return 0;
  }
  if (Month < 1 || Month > 12) {
    ReportError(log, WithWidth8(" Invalid Month in Julian Function: ", Month));
    return 0;
  }
  // Days in each month; February's length follows the year.
  std::array<int32_t, 13> MrANGE = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  MrANGE[2] = IsLeapYear(Year) ? 29 : 28;
  if (day < 1 || day > 255 || day > MrANGE[Month]) {
    ReportError(log, WithWidth8(" Invalid day in Julian Function: ", day));
    return 0;
  }
  float x = static_cast<float>(static_cast<int32_t>(Month * 30.57) + day - 30);
  if (Month > 2) x -= IsLeapYear(Year) ? 1.0f : 2.0f;
  return static_cast<int32_t>(x);
}

void Caland(int32_t year, int32_t Jday, uint8_t& MONTH, uint8_t& NDAY, bool& ok) {
  ok = true;
  const std::array<int32_t, 14>& table = IsLeapYear(year) ? ldays : days;
  if (Jday < 1 || Jday > table[13]) {
    ok = false;
    return;
  }
  int32_t i = 2;
  while (Jday > table[i]) ++i;
  MONTH = static_cast<uint8_t>(i - 1);
  NDAY = static_cast<uint8_t>(Jday - table[i - 1]);
}

float rdate(int32_t Year, int32_t day) {
  // Held in double: a float above 32768 cannot keep the 0.251 that steers the rounding away
  // from one half, and consecutive days would share a number.
  double x = (Year % 100) * 365.25 + day + 0.251;
  if (Year == 2000) x = day + 36525 + 0.251;
  if (Year > 2000) x = (Year % 1000) * 365.25 + day + 0.251 + 36525;
  return static_cast<float>(std::nearbyint(x));
}

float Daylength(int32_t Jday, float latitudeRadians) {
  const double lat = latitudeRadians;
  const double h0 = -0.01453859266911195;  // sun's altitude at sunrise, -0.833 degree, radians
  const double decl = -23.4 * std::cos((Jday + 10) * 6.283185307179586 * (1.0 / 365)) *
                      0.017453292519943295;  // solar declination, radians
  const double c =
      (std::sin(h0) - std::sin(lat) * std::sin(decl)) / (std::cos(lat) * std::cos(decl));
  // The hour angle stays in degrees and is scaled by 24/pi/60 (hours).
  return static_cast<float>(Arccos(static_cast<float>(c)) * 7.639437268410976 * (1.0 / 60));
}

void Daydegrees(const TempPair* temps, int32_t iday, float& dda, float& ddb, float base,
                float& tmax, float& tmin) {
  dda = 0.0f;
  ddb = 0.0f;
  tmax = temps[iday][0];
  tmin = temps[iday][1];
  const float TmaxPr = iday - 1 < 1 ? temps[1][0] : temps[iday - 1][0];
  // First half-day: from yesterday's maximum down to today's minimum; second: up to today's.
  for (const float TX : {TmaxPr, tmax}) {
    float Trange = tmin - TX;
    if (Trange >= 0.0f) Trange = -0.001f;
    const float Y = static_cast<float>(static_cast<double>(TX) + tmin - 2.0 * base);
    const bool above = tmin >= base;
    const bool below = TX <= base;
    if (above) dda = static_cast<float>(dda + 0.25 * Y);
    if (below) ddb = static_cast<float>(ddb - 0.25 * Y);
    if (!above && !below) {
      // tmin < base < TX: base cuts the half sine; |Y| < TX - tmin, so Y / Trange lies in
      // [-1, 1] (the clamp only absorbs float rounding).
      float ratio = Y / Trange;
      if (ratio > 1.0f) ratio = 1.0f;
      if (ratio < -1.0f) ratio = -1.0f;
      const float Alpha = AsinInDomain(ratio);
      const float C = static_cast<float>(
          (std::cos(static_cast<double>(Alpha)) * (static_cast<double>(TX) - tmin) -
           static_cast<double>(Y) * Alpha) *
          0.079577472);
      dda = static_cast<float>(dda + static_cast<double>(C) + 0.125 * Y);
      ddb = static_cast<float>(ddb + static_cast<double>(C) - 0.125 * Y);
    }
  }
}

float Asin(ErrorSink& log, float Arg) {
  if (Arg < -1.0f || Arg > 1.0f) {
    ReportError(log, " Asin Function argument out of range.");
    throw AsinDomainError{};
  }
  return AsinInDomain(Arg);
}

float Atan(float x, float y) {
  if (x == 0.0f) return y == 0.0f ? 0.0f : 90.0f;
  if (y == 0.0f) return 0.0f;
  const double a = std::atan(std::fabs(static_cast<double>(y) / x)) * 57.2957795;
  if (x > 0.0f) return static_cast<float>(y > 0.0f ? a : -a);
  return static_cast<float>(y > 0.0f ? 180.0 - a : 180.0 + a);
}

float Arccos(float x) {
  if (x == 0.0f) return 90.0f;
  if (x == 1.0f) return 0.0f;
  if (x == -1.0f) return 180.0f;
  const double xd = x;
  return Atan(static_cast<float>(xd / std::sqrt(1.0 - xd * xd)), 1.0f);
}

void wdwvec(ErrorSink& log, float Xl, float xr, int32_t k, float del, AgeVec& v) {
  if (Xl > xr) ReportError(log, " Invalid arguments to wdwvec.");
  const float w = del / static_cast<float>(k);  // width of one age class
  const float xrloc = xr > del ? del : xr;
  int32_t kl = static_cast<int32_t>(Xl / w) + 1;
  if (kl > k) kl = k;
  int32_t kr = static_cast<int32_t>(xrloc / w) + 1;
  if (kr > k) kr = k;
  if (kl == kr) {
    for (int32_t i = 1; i <= k; ++i) v[i] = 0.0f;
    v[kl] = (xrloc - Xl) / w;
    return;
  }
  const float fracl = (static_cast<float>(kl) * w - Xl) / w;
  const float fracr = (xrloc - static_cast<float>(kr - 1) * w) / w;
  for (int32_t i = 1; i <= k; ++i) {
    if (i == kl) {
      v[i] = fracl;
    } else if (i > kl && i < kr) {
      v[i] = 1.0f;
    } else if (i == kr) {
      v[i] = fracr;
    } else {
      v[i] = 0.0f;
    }
  }
}

float FFTemperature(float T, float Tlow, float THigh) {
  const float A = (THigh - Tlow) * 0.5f;  // half the range, deg C
  if (T <= Tlow || T >= THigh) return 0.0f;
  const float u = (T - Tlow - A) / A;
  return max(1.0f - u * u, 0.0f);
}

void GISrngchk(ErrorSink& log, float v, float rlo, float rhi) {
  if (v < rlo || v > rhi) {
    ReportError(log, "Input real or single variable out of range");
    log.RunOk = false;
  }
}

float max(float r1, float r2) {
  return r2 > r1 ? r2 : r1;
}

float min(float r1, float r2) {
  return r2 < r1 ? r2 : r1;
}

float Sum(const AgeVec& a, uint16_t m, uint16_t n) {
  float s = 0.0f;
  for (int32_t i = m; i <= n; ++i) s += a[i];
  return s;
}

float dot(const AgeVec& a, const AgeVec& b, int32_t n) {
  float s = 0.0f;
  for (int32_t i = 1; i <= n; ++i) s += a[i] * b[i];
  return s;
}

void Fill(AgeVec& a, int32_t k, float v) {
  for (int32_t i = 1; i <= k; ++i) a[i] = v;
}

bool NonZero(const AgeVec& a, int32_t k) {
  for (int32_t i = 1; i <= k; ++i) {
    if (a[i] != 0.0f) return true;
  }
  return false;
}

double Zerone(double x) {
  if (!(x >= 0.0)) return 0.0;  // below 0, or not a number
  if (x >= 1.0) return 1.0;
  return x;
}

float Expo(float arg) {
  constexpr float kCap = 88.6f;  // e^88.6 is still inside the float range
  const float capped = arg > kCap ? kCap : arg;
  return static_cast<float>(std::exp(static_cast<double>(capped)));
}

float Power(float base, float exponent) {
  if (base == 0.0f) return 0.0f;
  return Expo(static_cast<float>(exponent * std::log(static_cast<double>(base))));
}

}  // namespace olive
