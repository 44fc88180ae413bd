#pragma once
// The model's numerical toolkit: calendar, day length, degree-days, angles, window vectors,
// temperature response, range checks and small scalar/vector helpers. Pure functions: no I/O and
// no state; the ones that can find bad arguments report through an ErrorSink.
#include <array>
#include <cstdint>
#include <string_view>

#include "toolkit/agevec.h"
#include "toolkit/error_sink.h"

namespace olive {

// Daily maximum [0] and minimum [1] air temperature (deg C).
using TempPair = std::array<float, 2>;

// Cumulative days before each month (entries 1..13), common and leap year.
inline constexpr std::array<int32_t, 14> days = {0,   0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334, 365};
inline constexpr std::array<int32_t, 14> ldays = {0,   0,   31,  60,  91,  121, 152,
                                                  182, 213, 244, 274, 305, 335, 366};

// Every year divisible by 4 is a leap year (no century rule).
inline constexpr bool IsLeapYear(int32_t year) {
  return year % 4 == 0;
}
inline constexpr int32_t YearLengthOf(int32_t year) {
  return IsLeapYear(year) ? 366 : 365;
}

// Day of the year (1..366) of a date; 0 after a reported error.
int32_t Julian(ErrorSink& log, int32_t Month, int32_t day, int32_t Year);
// Month and day of month of a day of the year; ok false (MONTH, NDAY unchanged) when out of range.
void Caland(int32_t year, int32_t Jday, uint8_t& MONTH, uint8_t& NDAY, bool& ok);
// Serial day number: day 1 of 1900 is 1.
float rdate(int32_t Year, int32_t day);
// Hours of daylight at a latitude given in radians.
float Daylength(int32_t Jday, float latitudeRadians);
// Degree-days above (dda) and below (ddb) base on model day iday by the single-sine method over
// two half-days. temps is indexed 1..iday (entry 0 unused); tmax and tmin receive that day's
// maximum and minimum.
void Daydegrees(const TempPair* temps, int32_t iday, float& dda, float& ddb, float base,
                float& tmax, float& tmin);
// Arcsine in radians. An argument outside [-1, 1] is fatal: it is reported and AsinDomainError
// is thrown, which ends the process with exit code 1.
float Asin(ErrorSink& log, float Arg);
// Angle in degrees of the point (x, y).
float Atan(float x, float y);
// Arccosine in degrees 0..180.
float Arccos(float x);
// Fraction of each of the k age classes of a delay of length del that lies in [Xl, xr].
void wdwvec(ErrorSink& log, float Xl, float xr, int32_t k, float del, AgeVec& v);
// Inverted parabola: 1 at the middle of (Tlow, THigh), 0 at and outside its ends.
float FFTemperature(float T, float Tlow, float THigh);
// Reports "Input real or single variable out of range" and clears RunOk when v is outside
// [rlo, rhi].
void GISrngchk(ErrorSink& log, float v, float rlo, float rhi);

// Thrown by Asin on an argument out of its domain.
struct AsinDomainError {};

float max(float r1, float r2);
float min(float r1, float r2);
// a[m] + ... + a[n], accumulated in float; 0 when n < m.
float Sum(const AgeVec& a, uint16_t m, uint16_t n);
// a[1]*b[1] + ... + a[n]*b[n], accumulated in float; 0 when n <= 0.
float dot(const AgeVec& a, const AgeVec& b, int32_t n);
// a[1..k] := v.
void Fill(AgeVec& a, int32_t k, float v);
// True when any of a[1..k] differs from 0.
bool NonZero(const AgeVec& a, int32_t k);
// x limited to [0, 1]; NaN gives 0.
double Zerone(double x);
// e^min(arg, 88.6): cannot overflow a float.
float Expo(float arg);
// base^exponent through Expo; 0 when base is 0.
float Power(float base, float exponent);

}  // namespace olive
