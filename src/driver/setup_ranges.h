#pragma once
// The ranges in which the setup file's values keep the model defined, and their texts for the
// reader's messages ("above 0", "0 to 1", "at least delshootLive (1500)").
//
// Every range holds finite numbers only; a bound may be another setup value, named in the text.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "toolkit/agevec.h"

namespace olive {

struct Range {
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  bool loIncluded = true;
  bool hiIncluded = true;
  std::string_view loName{};  // the setup value that lo is, when it is one
  std::string_view hiName{};
  bool eitherBound = false;  // only lo or hi, for a choice between two whole numbers

  // False for a value outside the bounds, and for NaN and the infinities.
  bool Contains(double v) const {
    if (!std::isfinite(v)) return false;
    if (eitherBound) return v == lo || v == hi;
    return (loIncluded ? v >= lo : v > lo) && (hiIncluded ? v <= hi : v < hi);
  }
  // "above 0", "at least 0 and below 1", "1 to 100", "1 or 2", "a finite number".
  std::string Text() const;
};

constexpr Range Between(double lo, double hi) {
  return {lo, hi, true, true, {}, {}, false};
}
constexpr Range AtLeast(double lo, std::string_view loName = {}) {
  return {lo, std::numeric_limits<double>::infinity(), true, true, loName, {}, false};
}
constexpr Range AtMost(double hi, std::string_view hiName = {}) {
  return {-std::numeric_limits<double>::infinity(), hi, true, true, {}, hiName, false};
}
constexpr Range Above(double lo) {
  return {lo, std::numeric_limits<double>::infinity(), false, true, {}, {}, false};
}
constexpr Range FromUpTo(double lo, double hi) {  // lo included, hi not
  return {lo, hi, true, false, {}, {}, false};
}
constexpr Range AboveUpTo(double lo, double hi) {  // hi included, lo not
  return {lo, hi, false, true, {}, {}, false};
}
constexpr Range Either(double lo, double hi) {
  return {lo, hi, true, true, {}, {}, true};
}

// The shortest text that reads back as v: whole numbers without a decimal point or exponent up
// to 1e15, "nan" and "inf" as such.
std::string NumberText(double v);
std::string NumberText(float v);
template <class T>
requires std::is_integral_v<T> std::string NumberText(T v) {
  return std::to_string(static_cast<int64_t>(v));
}

// ---------------------------------------------------------------------------------------------
// The ranges of the setup values, and what in the model needs each.

// Values the model reads and keeps but does not use (bloomdel, thrI, the unused immigration
// probabilities, ...), and thresholds that mean something at any value (a negative prey level
// starts the coccinellid at once): any finite number.
inline constexpr Range kAnyNumber{};

// The mean time of a distributed delay, degree-days (or days). A delay divides the day's
// degree-days DT into 2 DT k / del + 1 sub-steps, a count that must stay a whole number a day can
// run through: a delay shorter than one degree-day (with up to a few hundred degree-days a day
// and 100 substages) takes the count out of that range. No run ages a stage past 1e9 degree-days
// (65535 days), and below that bound the mites' egg share of the immature delay cannot round to
// all of it, which would leave no substage for the hatching juveniles.
inline constexpr Range kDelay = Between(1, 1e9);

// Temperatures, deg C: base temperatures of degree-days, and the temperature adjustment of the
// weather (which olive-batch's increments replace). Within these the weather stays above absolute
// zero, where the evaporation takes the logarithm of the absolute temperature, and the day's
// degree-days stay a few hundred at most (see kDelay).
inline constexpr double kTempAdjustmentLimit = 100;
inline constexpr Range kTemperature = Between(-kTempAdjustmentLimit, kTempAdjustmentLimit);

// The other weather adjustments, in the model's units: an adjustment larger than the whole span
// of its quantity means nothing (daily solar radiation stays below about 1200 cal/cm2 at the top
// of the atmosphere, the wettest day on record brought under 2000 mm of rain, relative humidity
// spans 100 per cent), and a bound keeps the adjusted series and the water balance in the float
// range over a whole run.
inline constexpr Range kSolarAdjustment = Between(-2000, 2000);   // cal/cm2/day
inline constexpr Range kRainAdjustment = Between(-2000, 2000);    // mm/day
inline constexpr Range kHumidityAdjustment = Between(-100, 100);  // per cent
inline constexpr Range kWindAdjustment = Between(-200, 200);      // miles/h

// Shares and probabilities: harvest efficiency, sex ratios, daily immigration probabilities and
// spray strengths (a survival 1 - share must stay in 0..1).
inline constexpr Range kShare = Between(0, 1);
// The share of food not assimilated: the demand is divided by 1 - beta.
inline constexpr Range kUnassimilated = FromUpTo(0, 1);
// The random spread of immigrants, per cent: Fran's factor 1 + p (2 U - 1) turns negative for
// p above 1.
inline constexpr Range kPercent = Between(0, 100);
// Masses, numbers, immigrants, soil water and degree-day totals: none is negative, and they go
// into the float age-class vectors (the largest float is about 3.4e38), where 1e30 leaves room for
// their sums, their growth and their division by substage widths.
inline constexpr double kLargestAmount = 1e30;
inline constexpr Range kAmount = Between(0, kLargestAmount);
// Divisors of the model: the ground area per tree (leaf area index), the root mass of full
// nitrogen uptake and the frame mass (its nitrogen share).
inline constexpr Range kDivisor = AboveUpTo(0, kLargestAmount);
// Fruit ages in degree-days: the end of rapid growth, whose float growth rate 0.035 / RapidFruGrow
// leaves the float range for phases far shorter than a degree-day, and veraison, where the window
// of growing fruit (from 75 degree-days) ends. As with the delays, no fruit ages past 1e9.
inline constexpr Range kRapidGrowth = Between(1, 1e9);
inline constexpr Range kVeraison = Between(75, 1e9);
// Substage counts of the mites' delays: their age-class vectors hold 100 substages.
inline constexpr Range kSubstages = Between(1, kMaxClasses);
// The pruning that runs (1 or 2) and the GIS file naming scheme (1 or 2).
inline constexpr Range kOneOrTwo = Either(1, 2);
// The sharpshooter's start date: the calendar's months, days and years.
inline constexpr Range kMonth = Between(1, 12);
inline constexpr Range kYear = Between(0, 10000);
// A spray's days of decay in the schedule: a whole number of days, and no spray outlasts the
// longest run (65535 days).
inline constexpr Range kSprayDecay = Between(0, 65535);

}  // namespace olive
