#pragma once
// The section of docs/accuracy.md on moonrise and moonset, and on how far the
// time zone's place can be from the user's.

void print_rise_set_accuracy();
