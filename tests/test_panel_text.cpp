// The panel's texts, built from values without a display.
#include "panel_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "calendar.h"
#include "test_dates.h"

namespace {

std::string text_of(const text_buffer& text) { return text.data(); }

const std::string long_zone = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

TEST(PanelText, JulianDateAndTestClock)
{
    EXPECT_EQ(text_of(julian_date_text(2460320.75)), "2460320.75000");
    EXPECT_EQ(text_of(test_clock_text(2460320.75)), "06:00:00 11 January 2024 UTC");
    // Truncated to the second, never rounded up.
    EXPECT_EQ(text_of(test_clock_text(jd_of(2024, 12, 31, 23, 59, 59, 0.9))), "23:59:59 31 December 2024 UTC");
    EXPECT_EQ(text_of(test_clock_text(jd_of(2024, 3, 5, 0, 0, 0, 0.25))), "00:00:00 05 March 2024 UTC");
}

TEST(PanelText, ClockTextOfABrokenDownTime)
{
    const std::time_t instant = 1704952800;  // 2024-01-11 06:00:00 UTC
    std::tm utc{};
    gmtime_r(&instant, &utc);
    EXPECT_EQ(text_of(clock_text(utc)), "06:00:00 11 January 2024 GMT");
    const scoped_env berlin("TZ", "Europe/Berlin");
    EXPECT_EQ(text_of(local_time_text(instant)), "07:00:00 11 January 2024 CET");
    EXPECT_EQ(text_of(local_time_text(instant + 183 * 86400)), "08:00:00 12 July 2024 CEST");
}

TEST(PanelText, PhasePercentagePaddedTo40)
{
    struct row {
        double fraction;
        const char* text;
    };
    constexpr row rows[] = {
        {0.5, "50%   (0% = New, 100% = Full)           "},
        {0.0, "0%   (0% = New, 100% = Full)            "},
        {0.994, "99%   (0% = New, 100% = Full)           "},
        {0.996, "100%   (0% = New, 100% = Full)          "},
    };
    for (const row& expected : rows) {
        const std::string text = text_of(phase_text(expected.fraction));
        EXPECT_EQ(text, expected.text) << "fraction " << expected.fraction;
        EXPECT_EQ(text.size(), 40u);
    }
}

TEST(PanelText, Distances)
{
    EXPECT_EQ(text_of(moon_distance_text(384400.0, 1.0)), "384400 km, 60.3 Earth radii.");
    EXPECT_EQ(text_of(moon_distance_text(384400.0, 0.621371)), "238855 mi, 60.3 Earth radii.");
    EXPECT_EQ(text_of(sun_distance_text(149598500.0, 1.0)), "149598500 km, 1.000 astronomical units.");
    EXPECT_EQ(text_of(sun_distance_text(149598500.0, 0.621371)), "92956170 mi, 1.000 astronomical units.");
    // Any other factor is not miles.
    EXPECT_EQ(text_of(moon_distance_text(384400.0, 0.6213711)), "238855 km, 60.3 Earth radii.");
}

TEST(PanelText, AgeWithItsPlurals)
{
    struct row {
        int days, hours, minutes;
        const char* text;
    };
    constexpr row rows[] = {
        {1, 1, 1, "1 day, 1 hour, 1 minute."},
        {0, 0, 0, "0 days, 0 hours, 0 minutes."},
        {0, 12, 2, "0 days, 12 hours, 2 minutes."},
        {2, 1, 59, "2 days, 1 hour, 59 minutes."},
        {29, 23, 1, "29 days, 23 hours, 1 minute."},
    };
    for (const row& expected : rows) {
        EXPECT_EQ(text_of(age_text(expected.days, expected.hours, expected.minutes)), expected.text);
    }
}

TEST(PanelText, Degrees)
{
    EXPECT_EQ(text_of(degrees_text(0.5181)), "0.5181 degrees.");
    EXPECT_EQ(text_of(degrees_text(0.25)), "0.2500 degrees.");
    EXPECT_EQ(text_of(degrees_text(0.53297)), "0.5330 degrees.");
}

TEST(PanelText, PadToAppendsSpacesUpToTheWidthOnly)
{
    struct row {
        const char* in;
        int width;
        const char* out;
    };
    constexpr row rows[] = {
        {"", 3, "   "},
        {"ab", 5, "ab   "},
        {"abcde", 5, "abcde"},
        {"abcdefg", 5, "abcdefg"},
    };
    for (const row& expected : rows) {
        text_buffer text{};
        std::strcpy(text.data(), expected.in);
        pad_to(text, expected.width);
        EXPECT_EQ(text_of(text), expected.out) << "'" << expected.in << "' to " << expected.width;
    }
}

TEST(PanelText, LunationNumbers)
{
    struct row {
        double last_new_moon;
        int number;
    };
    constexpr row rows[] = {{2423436.6, 1}, {2460320.998, 1250}, {2460320.998 + 29.53058868, 1251}};
    for (const row& expected : rows) {
        const double number = lunation_number(expected.last_new_moon);
        EXPECT_EQ(static_cast<int>(number), expected.number) << "new moon at " << expected.last_new_moon;
    }
    EXPECT_EQ(text_of(lunation_text(1250)), "1250");
    EXPECT_EQ(text_of(lunation_text(1251)), "1251");
}

TEST(PanelText, PhaseDatesAreTruncatedToTheMinute)
{
    const scoped_env utc("TZ", "UTC");
    struct row {
        double jd;
        const char* text;
    };
    const row rows[] = {
        {jd_of(2024, 1, 11, 11, 57, 59), "11 Jan 2024 11:57 UTC  "},
        {jd_of(2024, 1, 11, 11, 57, 59, 0.9), "11 Jan 2024 11:57 UTC  "},
        {jd_of(2024, 1, 11, 11, 58, 0, 0.5), "11 Jan 2024 11:58 UTC  "},
        {jd_of(2023, 12, 31, 23, 59, 59, 0.99), "31 Dec 2023 23:59 UTC  "},
    };
    for (const row& expected : rows) {
        const std::string text = text_of(phase_date_text(expected.jd));
        EXPECT_EQ(text, expected.text) << "jd " << std::to_string(expected.jd);
        EXPECT_EQ(text.size(), 23u);
    }
}

TEST(PanelText, PhaseDatesInLocalTimeOnBothSidesOfASummerTimeChange)
{
    const scoped_env berlin("TZ", "Europe/Berlin");
    struct row {
        double jd;
        const char* text;
    };
    const row rows[] = {
        {jd_of(2024, 1, 11, 11, 57, 30), "11 Jan 2024 12:57 CET  "},
        {jd_of(2024, 3, 31, 0, 59, 59), "31 Mar 2024 01:59 CET  "},
        {jd_of(2024, 3, 31, 1, 0, 0, 0.5), "31 Mar 2024 03:00 CEST "},
        {jd_of(2024, 7, 5, 22, 57, 30), "06 Jul 2024 00:57 CEST "},
        {jd_of(2024, 10, 27, 0, 59, 30), "27 Oct 2024 02:59 CEST "},
        {jd_of(2024, 10, 27, 1, 0, 0, 0.5), "27 Oct 2024 02:00 CET  "},
    };
    for (const row& expected : rows) {
        EXPECT_EQ(text_of(phase_date_text(expected.jd)), expected.text) << "jd " << std::to_string(expected.jd);
    }
}

TEST(PanelText, PhaseDatesInAZoneOffsetByAQuarterHour)
{
    const scoped_env kathmandu("TZ", "Asia/Kathmandu");
    EXPECT_EQ(text_of(phase_date_text(jd_of(2024, 1, 11, 11, 57, 59))), "11 Jan 2024 17:42 +0545");
    EXPECT_EQ(text_of(phase_date_text(jd_of(2024, 1, 11, 18, 20, 0))), "12 Jan 2024 00:05 +0545");
}

TEST(PanelText, ALongZoneAbbreviationIsKeptWhole)
{
    const scoped_env long_name("TZ", ("<" + long_zone + ">-3").c_str());
    // 18 characters and the 52 of the abbreviation: past 23, so not padded.
    EXPECT_EQ(text_of(phase_date_text(jd_of(2024, 1, 11, 11, 57, 59))), "11 Jan 2024 14:57 " + long_zone);

    // The time rows fit while the month name is short; with "September"
    // the text would need 79 characters and 79 is all strftime is given, so
    // the row shows nothing rather than a cut text.
    const std::time_t january = 1704952800;  // 2024-01-11 06:00:00 UTC
    const std::string fits = text_of(local_time_text(january));
    EXPECT_EQ(fits, "09:00:00 11 January 2024 " + long_zone);
    EXPECT_EQ(fits.size(), 77u);
    const std::time_t september = january + 244 * 86400;  // 2024-09-11
    EXPECT_EQ(text_of(local_time_text(september)), "");
}

TEST(PanelText, MonthNames)
{
    EXPECT_STREQ(month_names[0], "January");
    EXPECT_STREQ(month_names[8], "September");
    EXPECT_STREQ(month_names[11], "December");
}
