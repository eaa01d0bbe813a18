#include "rise_set_panel.h"

#include "moon_rise_set.h"
#include "panel.h"
#include "rise_set_text.h"
#include "settings.h"

rise_set_panel_record rise_set_panel;

void refresh_rise_set_rows(double clock)
{
    rise_set_panel_record& panel = rise_set_panel;
    if (panel.value_widgets[0] == nullptr || !settings.has_location()) {
        return;
    }
    const bool went_back = clock < panel.last_clock;
    panel.last_clock = clock;
    if (!went_back && clock < panel.valid_until) {
        return;
    }
    const rise_set_rows rows = rise_set_rows_for(find_rise_set(clock, {*settings.latitude, *settings.longitude}));
    set_value_text(panel.value_cache[0], panel.value_widgets[0], rows.rise.data());
    set_value_text(panel.value_cache[1], panel.value_widgets[1], rows.set.data());
    panel.valid_until = rows.valid_until;
}
