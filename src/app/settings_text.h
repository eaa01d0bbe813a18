#pragma once
// The settings' values from the texts of the resource database, without a
// display. Every parser gives nothing for a text it cannot use.

#include <optional>
#include <string_view>

inline constexpr int scale_min = 1;
inline constexpr int scale_max = 8;
// The dots per inch at which one picture pixel is one screen pixel.
inline constexpr double reference_dpi = 96.0;

// "1".."8", or "auto": Xft.dpi / 96 rounded (1 when the database has no
// Xft.dpi), kept within 1..8.
std::optional<int> parse_scale(std::string_view text, std::optional<double> xft_dpi);
int scale_for_dpi(std::optional<double> xft_dpi);

// Decimal degrees within -limit..limit (90 for a latitude, 180 for a longitude).
std::optional<double> parse_degrees(std::string_view text, double limit);

enum class hemisphere_setting { north, south, automatic };
std::optional<hemisphere_setting> parse_hemisphere(std::string_view text);

// Whether the moon is shown as seen from the southern hemisphere: as asked;
// with auto, south of the equator by the latitude when it is given, else by
// the latitude of the local time zone's place, else north.
bool southern_view_for(hemisphere_setting hemisphere, std::optional<double> latitude,
                       std::optional<double> zone_latitude);
