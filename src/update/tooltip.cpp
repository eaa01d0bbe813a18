#include "tooltip.h"

#include <Xm/Xm.h>

#include <array>
#include <cstring>

#include "app_state.h"
#include "phase_name.h"

namespace {

// The text last given to the canvas; empty until the first run.
struct tooltip_record {
    Widget canvas = nullptr;
    std::array<char, 64> text{};
};

tooltip_record tooltip;

}  // namespace

void refresh_tooltip(double p, double illuminated_fraction)
{
    const std::array<char, 64> text = phase_tooltip_text(p, illuminated_fraction);
    Widget canvas = app_state.value_widgets[canvas_slot];
    if (canvas == nullptr || (canvas == tooltip.canvas && std::strcmp(text.data(), tooltip.text.data()) == 0)) {
        return;
    }
    tooltip.canvas = canvas;
    tooltip.text = text;
    XmString string = XmStringCreateSimple(tooltip.text.data());
    XtVaSetValues(canvas, XmNtoolTipString, string, nullptr);
    XmStringFree(string);
}
