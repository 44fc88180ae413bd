// The calendars: the model's (a 29 February in every year divisible by 4), the sources' day
// numbers, and CF time units.
#include "wxsource/wx_calendar.h"

#include <gtest/gtest.h>

#include "wxsource/cf_time.h"

namespace olive {
namespace {

TEST(WxCalendar, ModelDayNumbersCountEveryDayOfTheModelsCalendarOnce) {
  int64_t n = ModelDayNumber({1899, 1, 1});
  for (int32_t y = 1899; y <= 2101; ++y) {
    for (int32_t m = 1; m <= 12; ++m) {
      for (int32_t d = 1; d <= ModelMonthLength(y, m); ++d, ++n) {
        ASSERT_EQ(ModelDayNumber({y, m, d}), n) << DateText({y, m, d});
        ASSERT_EQ(ModelDate(n), (CivilDate{y, m, d}));
      }
    }
  }
  EXPECT_TRUE(IsModelDate({2100, 2, 29}));
  EXPECT_FALSE(IsModelDate({2001, 2, 29}));
}

TEST(WxCalendar, SourcesLackThe29FebruariesTheirCalendarsDoNotHave) {
  EXPECT_TRUE(SourceHasDay(SourceCalendar::Gregorian, {2000, 2, 29}));
  EXPECT_FALSE(SourceHasDay(SourceCalendar::Gregorian, {2100, 2, 29}));
  EXPECT_FALSE(SourceHasDay(SourceCalendar::ProlepticGregorian, {1900, 2, 29}));
  EXPECT_FALSE(SourceHasDay(SourceCalendar::NoLeap, {2000, 2, 29}));
  // The standard calendar goes from the Julian to the Gregorian on 15 October 1582.
  EXPECT_EQ(SourceDayNumber(SourceCalendar::Gregorian, {1582, 10, 15}) -
                SourceDayNumber(SourceCalendar::Gregorian, {1582, 10, 4}),
            1);
  for (const SourceCalendar c : {SourceCalendar::Gregorian, SourceCalendar::NoLeap}) {
    const int64_t n = SourceDayNumber(c, {2100, 2, 28});
    EXPECT_EQ(SourceDate(c, n + 1), (CivilDate{2100, 3, 1}));
  }
}

TEST(WxCalendar, CfTimeUnitsGiveTheDayOfEachTimeValue) {
  std::string problem;
  const auto hours =
      ParseCfTimeUnits("hours since 1949-12-01 00:00:00", SourceCalendar::Gregorian, problem);
  ASSERT_TRUE(hours) << problem;
  EXPECT_EQ(SourceDate(SourceCalendar::Gregorian, DayOfTime(*hours, 36)), (CivilDate{1949, 12, 2}));
  const auto noon =
      ParseCfTimeUnits("days since 2000-2-28T12:00:00Z", SourceCalendar::NoLeap, problem);
  ASSERT_TRUE(noon) << problem;
  EXPECT_EQ(SourceDate(SourceCalendar::NoLeap, DayOfTime(*noon, 0.5)), (CivilDate{2000, 3, 1}));
  EXPECT_FALSE(ParseCfTimeUnits("months since 2000-01-01", SourceCalendar::Gregorian, problem));
  EXPECT_EQ(problem,
            "the time units \"months since 2000-01-01\" are not \"days since DATE\", \"hours "
            "since DATE\", \"minutes since DATE\" or \"seconds since DATE\"");
  EXPECT_FALSE(ParseCfCalendar("all_leap", problem));
}

}  // namespace
}  // namespace olive
