#include "window.h"

#include <Xm/DrawingA.h>
#include <Xm/Frame.h>
#include <Xm/Label.h>
#include <Xm/RowColumn.h>
#include <Xm/ToggleB.h>
#include <Xm/Xm.h>

#include <memory>

#include "app_state.h"
#include "events.h"
#include "rise_set_panel.h"
#include "settings.h"
#include "tooltip.h"

const std::array<const char*, 17> row_labels{
    "Julian date:    ", "Universal time: ", "Local time:     ", "",
    "Age of moon:    ", "Moon phase:     ", "Moon's distance:", "Moon subtends:  ",
    "",                 "Sun's distance: ", "Sun subtends:   ", "",
    "Last new moon:",   "First quarter:",   "Full moon:    ",   "Last quarter: ",
    "Next new moon:",
};

namespace {

struct xmstring_deleter {
    void operator()(XmString s) const { XmStringFree(s); }
};
// A compound string for one label; the label keeps its own copy.
using scoped_xmstring = std::unique_ptr<std::remove_pointer_t<XmString>, xmstring_deleter>;

scoped_xmstring compound(const char* text) { return scoped_xmstring(XmStringCreateSimple(const_cast<char*>(text))); }

Widget rowcolumn(const char* name, Widget parent, unsigned char orientation)
{
    return XtVaCreateManagedWidget(name, xmRowColumnWidgetClass, parent, XmNorientation, orientation, nullptr);
}

Widget etched_frame(const char* name, Widget parent)
{
    return XtVaCreateManagedWidget(name, xmFrameWidgetClass, parent, XmNshadowType, XmSHADOW_ETCHED_IN, nullptr);
}

Widget label(const char* name, Widget parent, const char* text, unsigned char alignment)
{
    const scoped_xmstring s = compound(text);
    return XtVaCreateManagedWidget(name, xmLabelWidgetClass, parent, XmNlabelString, s.get(), XmNalignment,
                                   alignment, nullptr);
}

}  // namespace

void build_main_window()
{
    Widget master_rc = rowcolumn("master_rc", app_state.toplevel, XmHORIZONTAL);
    Widget col1_rc = rowcolumn("col1_rc", master_rc, XmVERTICAL);
    Widget col2_rc = rowcolumn("col2_rc", master_rc, XmVERTICAL);
    Widget txt1_rc = rowcolumn("txt1_rc", etched_frame("txt1_f", col1_rc), XmVERTICAL);
    Widget txt2_rc = rowcolumn("txt2_rc", etched_frame("txt2_f", col1_rc), XmVERTICAL);
    Widget txt3_rc = rowcolumn("txt3_rc", etched_frame("txt3_f", col1_rc), XmVERTICAL);
    Widget txt4_rc = rowcolumn("txt4_rc", etched_frame("txt4_f", col2_rc), XmVERTICAL);
    Widget slave_rc = rowcolumn("slave_rc", col2_rc, XmHORIZONTAL);

    for (text_slot& slot : app_state.value_cache) {
        slot.fill('\0');
    }

    for (int r = 0; r < panel_row_count; ++r) {
        if (r == 3 || r == 8 || r == 11) {
            continue;
        }
        Widget group = r < 3 ? txt1_rc : r < 8 ? txt2_rc : r < 11 ? txt3_rc : txt4_rc;
        Widget cell = rowcolumn("cell", group, XmHORIZONTAL);
        label("llabel", cell, row_labels[static_cast<std::size_t>(r)], XmALIGNMENT_BEGINNING);
        app_state.value_widgets[static_cast<std::size_t>(r)] = label("lvalue", cell, "", XmALIGNMENT_END);
        if (r >= 12) {
            const bool numbered = r == 12 || r == 16;
            label("llabel", cell, numbered ? "Lunation:" : "", XmALIGNMENT_BEGINNING);
            // Rows 13 to 15 pass through slot 19; row 16 leaves its label there.
            app_state.value_widgets[r == 12 ? lunation_slot_last : lunation_slot_next] =
                label("lvalue", cell, "", XmALIGNMENT_END);
        }
    }

    // Moonrise and moonset, below the sun's group, only for a set location.
    rise_set_panel = rise_set_panel_record{};
    if (settings.has_location()) {
        build_rise_set_group(col1_rc);
    }

    // The picture, its frame's margins with it, magnified by the scale setting.
    const int margin = 3 * settings.scale;
    const int side = 64 * settings.scale;
    Widget frame = XtVaCreateManagedWidget("frame", xmFrameWidgetClass, slave_rc, XmNshadowType,
                                           XmSHADOW_ETCHED_IN, XmNmarginWidth, margin, XmNmarginHeight, margin,
                                           nullptr);
    Widget canvas = XtVaCreateManagedWidget("canvas", xmDrawingAreaWidgetClass, frame, XmNwidth, side, XmNheight,
                                            side, XmNresizePolicy, XmRESIZE_NONE, nullptr);
    app_state.value_widgets[canvas_slot] = canvas;
    XtAddCallback(canvas, XmNexposeCallback, on_canvas_expose, nullptr);
    XtAddCallback(canvas, XmNresizeCallback, on_canvas_resize, nullptr);
    attach_canvas_tooltip(canvas);

    const scoped_xmstring test_label = compound("Test");
    Widget test = XtVaCreateManagedWidget("test", xmToggleButtonWidgetClass, col2_rc, XmNlabelString,
                                          test_label.get(), nullptr);
    XtAddCallback(test, XmNvalueChangedCallback, on_test_toggled, nullptr);
    XtVaSetValues(test, XmNset, app_state.test_mode, nullptr);
}

void build_rise_set_group(Widget col1_rc)
{
    Widget txt5_rc = rowcolumn("txt5_rc", etched_frame("txt5_f", col1_rc), XmVERTICAL);
    for (std::size_t i = 0; i < rise_set_labels.size(); ++i) {
        Widget cell = rowcolumn("cell", txt5_rc, XmHORIZONTAL);
        label("llabel", cell, rise_set_labels[i], XmALIGNMENT_BEGINNING);
        rise_set_panel.value_widgets[i] = label("lvalue", cell, "", XmALIGNMENT_END);
    }
}
