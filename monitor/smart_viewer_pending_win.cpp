// Stand-in for the S.M.A.R.T. viewer until it is built.
#include "monitor_views.h"

HWND OpenSmartWindow() { return nullptr; }
