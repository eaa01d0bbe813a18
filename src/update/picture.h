#pragma once
// The phase picture in the canvas and the icon, and the icon name.

// p: phase fraction 0..1; the moon's age in days, hours and minutes.
// Sends nothing to the X server unless the picture or the icon name changed
// (or the window is iconic, when the monochrome icon is redrawn every run).
void refresh_picture(double p, int days, int hours, int minutes);
