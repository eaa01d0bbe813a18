#include "settings_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && space(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Keywords are matched without regard to case, as the toolkit's own
// converters do for booleans and enumerations.
bool is_word(std::string_view text, std::string_view word)
{
    return std::equal(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

int scale_for_dpi(std::optional<double> xft_dpi)
{
    if (!xft_dpi || !std::isfinite(*xft_dpi) || *xft_dpi <= 0.0) {
        return scale_min;
    }
    const double scale = std::round(*xft_dpi / reference_dpi);
    return static_cast<int>(std::clamp(scale, static_cast<double>(scale_min), static_cast<double>(scale_max)));
}

std::optional<int> parse_scale(std::string_view text, std::optional<double> xft_dpi)
{
    text = trimmed(text);
    if (is_word(text, "auto")) {
        return scale_for_dpi(xft_dpi);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < scale_min || value > scale_max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parse_degrees(std::string_view text, double limit)
{
    text = trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value) ||
        std::fabs(value) > limit) {
        return std::nullopt;
    }
    return value;
}

std::optional<hemisphere_setting> parse_hemisphere(std::string_view text)
{
    text = trimmed(text);
    if (is_word(text, "north")) {
        return hemisphere_setting::north;
    }
    if (is_word(text, "south")) {
        return hemisphere_setting::south;
    }
    if (is_word(text, "auto")) {
        return hemisphere_setting::automatic;
    }
    return std::nullopt;
}

bool southern_view_for(hemisphere_setting hemisphere, std::optional<double> latitude,
                       std::optional<double> zone_latitude)
{
    switch (hemisphere) {
    case hemisphere_setting::north: return false;
    case hemisphere_setting::south: return true;
    case hemisphere_setting::automatic: break;
    }
    if (latitude) {
        return *latitude < 0.0;
    }
    return zone_latitude && *zone_latitude < 0.0;
}
