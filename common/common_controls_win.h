// The common-controls library (up-down controls, trackbars, list views, progress bars,
// image lists), loaded when something first needs it instead of at every start: linked,
// its loading and set-up cost each start 3 MB and several milliseconds under Wine, while
// most starts never open a window that uses it. Through the programs' manifests the
// loading picks version 6, as the link did.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Loads the library once and registers the control classes the programs' windows use;
// call it before making such a window. False when the library or its classes are missing.
bool ReadyCommonControls();

// The image-list calls of the loaded library; they load it first and fail (null, -1,
// FALSE) when it cannot be loaded.
namespace image_list {
HIMAGELIST Create(int width, int height, UINT flags, int initial, int grow);
BOOL Destroy(HIMAGELIST list);
int ReplaceIcon(HIMAGELIST list, int index, HICON icon);
HIMAGELIST Merge(HIMAGELIST first, int firstIndex, HIMAGELIST second, int secondIndex, int dx, int dy);
HICON GetIcon(HIMAGELIST list, int index, UINT flags);
}  // namespace image_list
