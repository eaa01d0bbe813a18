#include "settings.h"

#include <X11/Intrinsic.h>
#include <X11/StringDefs.h>
#include <X11/Xresource.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <string>

#include "app_state.h"
#include "time_zone_place.h"

settings_record settings;

namespace {

// The texts as the resource database gives them; nullptr when not set.
struct resource_texts {
    String scale;
    String latitude;
    String longitude;
    String hemisphere;
};

XtResource text_resource(const char* name, const char* resource_class, Cardinal offset)
{
    return {const_cast<String>(name), const_cast<String>(resource_class), const_cast<String>(XtRString),
            sizeof(String), offset, const_cast<String>(XtRString), nullptr};
}

std::array<XtResource, 4> resources{
    text_resource("scale", "Scale", offsetof(resource_texts, scale)),
    text_resource("latitude", "Latitude", offsetof(resource_texts, latitude)),
    text_resource("longitude", "Longitude", offsetof(resource_texts, longitude)),
    text_resource("hemisphere", "Hemisphere", offsetof(resource_texts, hemisphere)),
};

// Xft.dpi as the screen's resource database has it (xrdb, or -xrm).
std::optional<double> xft_dpi()
{
    XrmDatabase database = XtScreenDatabase(XtScreen(app_state.toplevel));
    char* type = nullptr;
    XrmValue value{};
    if (database == nullptr || XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) == 0 ||
        value.addr == nullptr) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double dpi = std::strtod(value.addr, &end);
    return end != value.addr ? std::optional<double>(dpi) : std::nullopt;
}

std::optional<double> read_degrees(const char* resource, String text, double limit)
{
    if (text == nullptr) {
        return std::nullopt;
    }
    const std::optional<double> degrees = parse_degrees(text, limit);
    if (!degrees) {
        warn_bad_setting(resource, text, "ignored");
    }
    return degrees;
}

}  // namespace

void warn_bad_setting(const char* resource, const char* value, const char* outcome)
{
    std::array<String, 3> params{const_cast<String>(value), const_cast<String>(resource),
                                 const_cast<String>(outcome)};
    Cardinal count = params.size();
    XtAppWarningMsg(app_state.app_context, "badValue", resource, "Lunaclock",
                    "Bad value \"%s\" for resource %s; %s", params.data(), &count);
}

void read_settings()
{
    settings = settings_record{};
    resource_texts texts{};
    XtGetApplicationResources(app_state.toplevel, &texts, resources.data(), resources.size(), nullptr, 0);

    if (texts.scale != nullptr) {
        if (const std::optional<int> scale = parse_scale(texts.scale, xft_dpi())) {
            settings.scale = *scale;
        } else {
            warn_bad_setting("scale", texts.scale, ("using " + std::to_string(settings.scale)).c_str());
        }
    }
    settings.latitude = read_degrees("latitude", texts.latitude, 90.0);
    settings.longitude = read_degrees("longitude", texts.longitude, 180.0);
    if (texts.hemisphere != nullptr) {
        if (const std::optional<hemisphere_setting> hemisphere = parse_hemisphere(texts.hemisphere)) {
            settings.hemisphere = *hemisphere;
        } else {
            warn_bad_setting("hemisphere", texts.hemisphere, "using north");
        }
    }
    // The time zone is looked up only when it can decide anything.
    const bool ask_zone = settings.hemisphere == hemisphere_setting::automatic && !settings.latitude;
    settings.southern_view = southern_view_for(settings.hemisphere, settings.latitude,
                                               ask_zone ? time_zone_latitude() : std::nullopt);
}
