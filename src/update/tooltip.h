#pragma once
// The canvas's tooltip: the phase by name and the illuminated share. Shown
// only when tooltips are enabled on the shell (Lunaclock.toolTipEnable: True).

// Sets the canvas's XmNtoolTipString when its text changes.
void refresh_tooltip(double p, double illuminated_fraction);
