// The scale setting from its resource text, without a display.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "settings_text.h"

TEST(ScaleSetting, IntegersOneToEightAndAuto)
{
    struct row {
        const char* text;
        std::optional<double> xft_dpi;
        std::optional<int> scale;  // nothing: a bad value, warned about
    };
    const std::array<row, 18> cases{{
        {"1", std::nullopt, 1},
        {"2", std::nullopt, 2},
        {"8", std::nullopt, 8},
        {" 3 ", std::nullopt, 3},
        {"0", std::nullopt, std::nullopt},
        {"9", std::nullopt, std::nullopt},
        {"-1", std::nullopt, std::nullopt},
        {"banana", std::nullopt, std::nullopt},
        {"2.5", std::nullopt, std::nullopt},
        {"3x", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"auto", 96.0, 1},
        {"auto", 144.0, 2},  // 1.5 rounds up
        {"auto", 192.0, 2},
        {"auto", std::nullopt, 1},
        {"AUTO", 288.0, 3},
        {"auto", 2000.0, 8},  // kept within 1..8
        {"auto", 40.0, 1},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" with Xft.dpi "
                                        << (c.xft_dpi ? std::to_string(*c.xft_dpi) : "absent"));
        EXPECT_EQ(parse_scale(c.text, c.xft_dpi), c.scale);
    }
}

TEST(ScaleSetting, DotsPerInchRoundToTheNearestScale)
{
    struct row {
        std::optional<double> xft_dpi;
        int scale;
    };
    const std::array<row, 8> cases{{
        {std::nullopt, 1}, {96.0, 1}, {143.9, 1}, {144.0, 2}, {192.0, 2}, {239.9, 2}, {240.0, 3}, {0.0, 1},
    }};
    for (const row& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.xft_dpi ? std::to_string(*c.xft_dpi) : "absent"));
        EXPECT_EQ(scale_for_dpi(c.xft_dpi), c.scale);
    }
}
