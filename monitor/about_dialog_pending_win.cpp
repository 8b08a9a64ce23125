// Stand-in for the about dialog until it is built.
#include "monitor_views.h"

void RunAboutDialog(HWND) {}
