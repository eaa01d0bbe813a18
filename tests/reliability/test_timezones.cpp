// Odd TZ values: the time texts match what the C library itself makes of the
// same instant, and a zone abbreviation too long for the scratch buffer
// leaves the text empty rather than overrunning it.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "panel_text.h"
#include "test_dates.h"

namespace {

const std::string sixty_letters(60, 'Q');

// Our own formatting of the instant in a buffer big enough for anything,
// cut to what the panel's 79-byte strftime can hold: nothing at all.
std::string reference(const char* format, std::time_t instant)
{
    std::tm local{};
    localtime_r(&instant, &local);
    std::array<char, 512> big{};
    const std::size_t n = std::strftime(big.data(), big.size(), format, &local);
    return n > strftime_size - 1 ? std::string() : std::string(big.data(), n);
}

std::string padded(std::string s, std::size_t width)
{
    if (s.size() < width) {
        s.append(width - s.size(), ' ');
    }
    return s;
}

// 2024-01-11 12:00:30 UTC: half a minute past, so truncation to the minute
// is never in doubt.
constexpr std::time_t instant = 1704974430;
constexpr double instant_jd = 2440587.5 + static_cast<double>(instant) / 86400.0;

struct zone_case {
    const char* label;
    std::optional<std::string> tz;
    // Known texts of the instant, where the zone is fixed; empty: only
    // compared with the C library.
    const char* phase_date;
    const char* local_time;
};

}  // namespace

TEST(TimeZones, TextsFollowTheZoneWithoutOverrun)
{
    const std::string long_zone = "<" + sixty_letters + ">-3";
    const std::string long_phase = "11 Jan 2024 15:00 " + sixty_letters;  // 78 characters: just fits
    const zone_case cases[] = {
        {"unset", std::nullopt, "", ""},
        {"invalid", "Nowhere/Bogus", "", ""},
        {"UTC+14 (POSIX: 14 h behind)", "UTC+14", "10 Jan 2024 22:00 UTC  ", "22:00:30 10 January 2024 UTC"},
        {"<+14>-14", "<+14>-14", "12 Jan 2024 02:00 +14  ", "02:00:30 12 January 2024 +14"},
        {"Asia/Kathmandu", "Asia/Kathmandu", "11 Jan 2024 17:45 +0545", "17:45:30 11 January 2024 +0545"},
        {"60-letter abbreviation", long_zone, long_phase.c_str(), ""},
        {"empty", "", "11 Jan 2024 12:00 UTC  ", "12:00:30 11 January 2024 UTC"},
    };
    for (const zone_case& c : cases) {
        SCOPED_TRACE(c.label);
        const scoped_env z("TZ", c.tz ? c.tz->c_str() : nullptr);

        const text_buffer phase = phase_date_text(instant_jd);
        EXPECT_LT(std::strlen(phase.data()), phase.size());
        const std::string want_phase = padded(reference("%d %b %Y %H:%M %Z", instant), phase_date_width);
        EXPECT_EQ(std::string(phase.data()), want_phase);
        if (c.phase_date[0] != '\0') {
            EXPECT_EQ(std::string(phase.data()), c.phase_date);
        }

        const text_buffer local = local_time_text(instant);
        EXPECT_LT(std::strlen(local.data()), local.size());
        EXPECT_EQ(std::string(local.data()), reference("%H:%M:%S %d %B %Y %Z", instant));
        if (c.local_time[0] != '\0') {
            EXPECT_EQ(std::string(local.data()), c.local_time);
        }
    }
}

// The long zone: the time row's text (87 characters) cannot be made, and is
// left empty; the phase row's (78) is kept whole.
TEST(TimeZones, LongAbbreviationEmptiesOnlyTheTextThatCannotFit)
{
    const scoped_env z("TZ", ("<" + sixty_letters + ">-3").c_str());
    EXPECT_STREQ(local_time_text(instant).data(), "");
    EXPECT_EQ(std::strlen(phase_date_text(instant_jd).data()), 78u);
}
