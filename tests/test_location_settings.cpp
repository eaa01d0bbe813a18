// The location settings from their resource texts, and the place of the
// local time zone from the system's zone tables, without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "settings_text.h"
#include "temp_dir.h"
#include "test_dates.h"
#include "time_zone_place.h"

namespace {

struct degrees_case {
    const char* text;
    double limit;
    std::optional<double> value;
};

const degrees_case degrees_cases[] = {
    {"-33.87", 90.0, -33.87},
    {"151.21", 180.0, 151.21},
    {"+52.52", 90.0, 52.52},
    {"  69.65\t", 90.0, 69.65},
    {"0", 90.0, 0.0},
    {"-0", 90.0, -0.0},
    {"7", 180.0, 7.0},
    // The bounds themselves are places.
    {"90", 90.0, 90.0},
    {"-90", 90.0, -90.0},
    {"180", 180.0, 180.0},
    {"-180", 180.0, -180.0},
    // Just outside, and a longitude's range is no latitude's.
    {"90.0001", 90.0, std::nullopt},
    {"-90.5", 90.0, std::nullopt},
    {"180.01", 180.0, std::nullopt},
    {"-181", 180.0, std::nullopt},
    {"151.21", 90.0, std::nullopt},
    // Not a number.
    {"", 90.0, std::nullopt},
    {"   ", 90.0, std::nullopt},
    {"north", 90.0, std::nullopt},
    {"33.87S", 90.0, std::nullopt},
    {"33,87", 90.0, std::nullopt},
    {"33 52", 90.0, std::nullopt},
    {"+-5", 90.0, std::nullopt},
    {"++5", 90.0, std::nullopt},
    {"+", 90.0, std::nullopt},
    {"-", 90.0, std::nullopt},
    {"1e1", 90.0, std::nullopt},
    {"nan", 90.0, std::nullopt},
    {"inf", 180.0, std::nullopt},
    {"0x10", 90.0, std::nullopt},
};

TEST(LocationSettings, ParseDegrees)
{
    for (const degrees_case& c : degrees_cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\" within " + std::to_string(c.limit));
        const std::optional<double> value = parse_degrees(c.text, c.limit);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (c.value) {
            EXPECT_DOUBLE_EQ(*value, *c.value);
        }
    }
}

struct hemisphere_case {
    const char* text;
    std::optional<hemisphere_setting> value;
};

const hemisphere_case hemisphere_cases[] = {
    {"north", hemisphere_setting::north}, {"south", hemisphere_setting::south},
    {"auto", hemisphere_setting::automatic}, {"South", hemisphere_setting::south},
    {" AUTO ", hemisphere_setting::automatic}, {"", std::nullopt},
    {"s", std::nullopt}, {"southern", std::nullopt},
    {"-1", std::nullopt}, {"nor th", std::nullopt},
};

TEST(LocationSettings, ParseHemisphere)
{
    for (const hemisphere_case& c : hemisphere_cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(parse_hemisphere(c.text), c.value);
    }
}

struct view_case {
    hemisphere_setting hemisphere;
    std::optional<double> latitude;
    std::optional<double> zone_latitude;
    bool southern;
};

const view_case view_cases[] = {
    // As asked, whatever the places say.
    {hemisphere_setting::north, -33.87, -33.87, false},
    {hemisphere_setting::south, 52.52, 52.52, true},
    {hemisphere_setting::south, std::nullopt, std::nullopt, true},
    // auto: the latitude first, and it wins over the zone.
    {hemisphere_setting::automatic, -33.87, std::nullopt, true},
    {hemisphere_setting::automatic, -33.87, 52.5, true},
    {hemisphere_setting::automatic, 52.52, -33.87, false},
    {hemisphere_setting::automatic, 0.0, -33.87, false},
    // No latitude: the zone's place.
    {hemisphere_setting::automatic, std::nullopt, -36.87, true},
    {hemisphere_setting::automatic, std::nullopt, 52.5, false},
    // Neither tells: north.
    {hemisphere_setting::automatic, std::nullopt, std::nullopt, false},
};

TEST(LocationSettings, SouthernViewFor)
{
    for (const view_case& c : view_cases) {
        SCOPED_TRACE(testing::Message() << "hemisphere " << static_cast<int>(c.hemisphere) << ", latitude "
                                        << c.latitude.value_or(999) << ", zone " << c.zone_latitude.value_or(999));
        EXPECT_EQ(southern_view_for(c.hemisphere, c.latitude, c.zone_latitude), c.southern);
    }
}

// Rows as the system's zone1970.tab has them (comments in the last column,
// several country codes, seconds in the coordinates).
constexpr const char* zone1970_rows =
    "# tzdb timezone descriptions, for users who do not care about old timestamps\n"
    "#codes\tcoordinates\tTZ\tcomments\n"
    "AR\t-3436-05827\tAmerica/Argentina/Buenos_Aires\tBuenos Aires (BA, CF)\n"
    "AU\t-3352+15113\tAustralia/Sydney\tNew South Wales (most areas)\n"
    "DE,DK,NO,SE,SJ\t+5230+01322\tEurope/Berlin\tmost of Germany\n"
    "NZ,AQ\t-3652+17446\tPacific/Auckland\tNew Zealand time\n"
    "US\t+404251-0740023\tAmerica/New_York\tEastern (most areas)\n"
    "EC\t-0210-07950\tAmerica/Guayaquil\tEcuador (mainland)\n";

struct zone_case {
    const char* zone;
    std::optional<double> latitude;  // degrees, from the table's own figures
};

const zone_case zone_cases[] = {
    {"Australia/Sydney", -(33 + 52 / 60.0)},
    {"Pacific/Auckland", -(36 + 52 / 60.0)},
    {"America/Argentina/Buenos_Aires", -(34 + 36 / 60.0)},
    {"Europe/Berlin", 52 + 30 / 60.0},
    {"America/New_York", 40 + 42 / 60.0 + 51 / 3600.0},
    {"America/Guayaquil", -(2 + 10 / 60.0)},
    // Missing from the table (Oslo is a link to Berlin in zone1970.tab).
    {"Europe/Oslo", std::nullopt},
    {"Australia", std::nullopt},
    {"Sydney", std::nullopt},
    {"", std::nullopt},
};

TEST(TimeZonePlace, LatitudeFromTheTable)
{
    for (const zone_case& c : zone_cases) {
        SCOPED_TRACE(c.zone);
        const std::optional<double> latitude = zone_table_latitude(zone1970_rows, c.zone);
        ASSERT_EQ(latitude.has_value(), c.latitude.has_value());
        if (c.latitude) {
            EXPECT_NEAR(*latitude, *c.latitude, 1e-9);
        }
    }
}

TEST(TimeZonePlace, OddRowsGiveNothing)
{
    for (const char* table : {"AU\t3352+15113\tAustralia/Sydney\n", "AU\t-335+15113\tAustralia/Sydney\n",
                              "AU -3352+15113 Australia/Sydney\n", "AU\t-3352+15113\n", ""}) {
        SCOPED_TRACE(table);
        EXPECT_EQ(zone_table_latitude(table, "Australia/Sydney"), std::nullopt);
    }
    // The last row needs no line end.
    EXPECT_TRUE(zone_table_latitude("AU\t-3352+15113\tAustralia/Sydney", "Australia/Sydney"));
}

struct zone_name_case {
    const char* tz;  // nullptr: TZ unset
    std::optional<std::string> link;
    std::optional<std::string> name;
};

const zone_name_case zone_name_cases[] = {
    {"Australia/Sydney", std::nullopt, "Australia/Sydney"},
    {":Pacific/Auckland", "/usr/share/zoneinfo/Europe/Berlin", "Pacific/Auckland"},
    {"/usr/share/zoneinfo/America/Argentina/Buenos_Aires", std::nullopt, "America/Argentina/Buenos_Aires"},
    {":/usr/share/zoneinfo/posix/Europe/Berlin", std::nullopt, "Europe/Berlin"},
    // TZ set wins even when it names no place.
    {"", "/usr/share/zoneinfo/Europe/Berlin", std::nullopt},
    {"UTC", "/usr/share/zoneinfo/Europe/Berlin", std::nullopt},
    {"AEST-10AEDT,M10.1.0,M4.1.0/3", std::nullopt, std::nullopt},
    {"<+10>-10", std::nullopt, std::nullopt},
    {"Etc/GMT+5", std::nullopt, std::nullopt},
    // TZ unset: the /etc/localtime link.
    {nullptr, "/usr/share/zoneinfo/Europe/Berlin", "Europe/Berlin"},
    {nullptr, "../usr/share/zoneinfo/Australia/Sydney", "Australia/Sydney"},
    {nullptr, "/usr/share/zoneinfo/right/Pacific/Auckland", "Pacific/Auckland"},
    {nullptr, "/usr/share/zoneinfo/UTC", std::nullopt},
    {nullptr, std::nullopt, std::nullopt},
};

TEST(TimeZonePlace, LocalZoneName)
{
    for (const zone_name_case& c : zone_name_cases) {
        SCOPED_TRACE(std::string("TZ ") + (c.tz != nullptr ? c.tz : "unset") + ", link " + c.link.value_or("none"));
        EXPECT_EQ(local_zone_name(c.tz, c.link), c.name);
    }
}

// The files as the program reads them: zone1970.tab first, zone.tab for the
// zones that the newer table folds into others.
TEST(TimeZonePlace, ReadsZone1970ThenZoneTab)
{
    const temp_dir scratch;
    const std::filesystem::path& dir = scratch.path();
    std::ofstream(dir / "zone1970.tab") << zone1970_rows;
    std::ofstream(dir / "zone.tab") << "NO\t+5955+01045\tEurope/Oslo\n"
                                       "AU\t+0000+15113\tAustralia/Sydney\n";
    const scoped_env tzdir("TZDIR", dir.c_str());

    struct {
        const char* tz;
        std::optional<double> latitude;
    } const cases[] = {
        {"Australia/Sydney", -(33 + 52 / 60.0)},  // zone1970.tab wins
        {"Europe/Oslo", 59 + 55 / 60.0},          // only in zone.tab
        {"Asia/Tokyo", std::nullopt},             // in neither
        {"UTC", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tz);
        const scoped_env tz("TZ", c.tz);
        const std::optional<double> latitude = time_zone_latitude();
        ASSERT_EQ(latitude.has_value(), c.latitude.has_value());
        if (c.latitude) {
            EXPECT_NEAR(*latitude, *c.latitude, 1e-9);
        }
    }
    // Without zone1970.tab, zone.tab alone.
    std::filesystem::remove(dir / "zone1970.tab");
    {
        const scoped_env tz("TZ", "Europe/Oslo");
        EXPECT_NEAR(time_zone_latitude().value_or(0.0), 59 + 55 / 60.0, 1e-9);
    }
}

}  // namespace
