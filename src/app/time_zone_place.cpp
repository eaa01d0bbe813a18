#include "time_zone_place.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

std::string_view after_zoneinfo(std::string_view path)
{
    constexpr std::string_view marker = "zoneinfo/";
    const std::size_t at = path.rfind(marker);
    if (at != std::string_view::npos) {
        path.remove_prefix(at + marker.size());
    }
    // The tables list the plain names; posix/ and right/ hold the same zones.
    for (const std::string_view tree : {"posix/", "right/"}) {
        if (path.substr(0, tree.size()) == tree) {
            path.remove_prefix(tree.size());
        }
    }
    return path;
}

// The latitude "+DDMM" or "+DDMMSS" at the front of an ISO 6709 text, in degrees.
std::optional<double> iso6709_latitude(std::string_view text)
{
    if (text.empty() || (text[0] != '+' && text[0] != '-')) {
        return std::nullopt;
    }
    std::size_t digits = 1;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    --digits;
    if (digits != 4 && digits != 6) {
        return std::nullopt;
    }
    const auto number = [&](std::size_t at) { return (text[1 + at] - '0') * 10 + (text[2 + at] - '0'); };
    double degrees = number(0) + number(2) / 60.0;
    if (digits == 6) {
        degrees += number(4) / 3600.0;
    }
    return text[0] == '-' ? -degrees : degrees;
}

std::optional<std::string> file_text(const std::filesystem::path& path)
{
    std::ifstream in(path);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::optional<std::string> local_zone_name(const char* tz_variable, std::optional<std::string> localtime_link)
{
    std::string_view name;
    if (tz_variable != nullptr) {
        name = tz_variable;
        if (!name.empty() && name.front() == ':') {
            name.remove_prefix(1);
        }
    } else if (localtime_link) {
        name = *localtime_link;
    } else {
        return std::nullopt;
    }
    name = after_zoneinfo(name);
    // A rule such as "EST5EDT" or "<+10>-10" holds digits, signs or angle
    // brackets; a zone name of the tables has a slash and none of those.
    if (name.find('/') == std::string_view::npos ||
        name.find_first_of("0123456789<>,") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(name);
}

std::optional<double> zone_table_latitude(std::string_view table, std::string_view zone)
{
    while (!table.empty()) {
        const std::size_t end = table.find('\n');
        std::string_view line = table.substr(0, end);
        table.remove_prefix(end == std::string_view::npos ? table.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        // codes \t coordinates \t zone [\t comments]
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            continue;
        }
        const std::string_view name = line.substr(tab2 + 1, line.find('\t', tab2 + 1) - tab2 - 1);
        if (name == zone) {
            return iso6709_latitude(line.substr(tab1 + 1, tab2 - tab1 - 1));
        }
    }
    return std::nullopt;
}

std::optional<double> time_zone_latitude()
{
    std::optional<std::string> link;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink("/etc/localtime", error);
    if (!error) {
        link = target.string();
    }
    const std::optional<std::string> zone = local_zone_name(std::getenv("TZ"), link);
    if (!zone) {
        return std::nullopt;
    }
    const char* tzdir = std::getenv("TZDIR");
    const std::filesystem::path directory = tzdir != nullptr && *tzdir != '\0' ? tzdir : "/usr/share/zoneinfo";
    for (const char* table_name : {"zone1970.tab", "zone.tab"}) {
        if (const std::optional<std::string> table = file_text(directory / table_name)) {
            if (const std::optional<double> latitude = zone_table_latitude(*table, *zone)) {
                return latitude;
            }
        }
    }
    return std::nullopt;
}
