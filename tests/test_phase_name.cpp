// The phase by name in eight sectors of 0.125 centred on the principal
// phases, and the tooltip's text.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "phase_name.h"

TEST(PhaseName, EightSectorsCentredOnThePrincipalPhases)
{
    struct row {
        double p;
        const char* name;
    };
    // Each bound belongs to the sector above it.
    const std::array<row, 26> cases{{
        {0.0, "New moon"},
        {std::nextafter(0.0625, 0.0), "New moon"},
        {0.0625, "Waxing crescent"},
        {0.125, "Waxing crescent"},
        {std::nextafter(0.1875, 0.0), "Waxing crescent"},
        {0.1875, "First quarter"},
        {0.25, "First quarter"},
        {std::nextafter(0.3125, 0.0), "First quarter"},
        {0.3125, "Waxing gibbous"},
        {std::nextafter(0.4375, 0.0), "Waxing gibbous"},
        {0.4375, "Full moon"},
        {0.5, "Full moon"},
        {std::nextafter(0.5625, 0.0), "Full moon"},
        {0.5625, "Waning gibbous"},
        {std::nextafter(0.6875, 0.0), "Waning gibbous"},
        {0.6875, "Last quarter"},
        {0.75, "Last quarter"},
        {std::nextafter(0.8125, 0.0), "Last quarter"},
        {0.8125, "Waning crescent"},
        {0.875, "Waning crescent"},
        {std::nextafter(0.9375, 0.0), "Waning crescent"},
        {0.9375, "New moon"},
        {0.99, "New moon"},
        {std::nextafter(1.0, 0.0), "New moon"},
        {1.0, "New moon"},  // the one rounding case of the phase fraction
        {0.38, "Waxing gibbous"},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "p = " << c.p);
        EXPECT_STREQ(phase_name(c.p), c.name);
    }
}

TEST(PhaseName, TooltipTextUsesThePanelsRounding)
{
    struct row {
        double p;
        double illuminated;
        const char* text;
    };
    const std::array<row, 5> cases{{
        {0.38, 0.78, "Waxing gibbous, 78% illuminated"},
        {0.0, 0.0, "New moon, 0% illuminated"},
        {0.5, 1.0, "Full moon, 100% illuminated"},
        {0.26, 0.5149, "First quarter, 51% illuminated"},
        {0.9, 0.0951, "Waning crescent, 10% illuminated"},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(std::string(phase_tooltip_text(c.p, c.illuminated).data()), c.text);
    }
}
