#pragma once
// The program's own command-line options, read after the toolkit has taken
// its standard ones off the command line.

// Reads -c, -m, -t and -U with getopt ("cmtU") into app_state; any other
// letter is skipped silently. Parsing stops at the first non-option or "--".
void read_options(int argc, char** argv);
