#include "list_columns_win.h"

#include <commctrl.h>

void WidenColumnsToText(HWND list)
{
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int column = 0; column < columns; ++column) {
        const LRESULT before = SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0);
        // Not LVSCW_AUTOSIZE_USEHEADER: on the last column it fills the list's width.
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE, 0));
        const LRESULT cells = SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0);
        LVCOLUMNW title{};
        wchar_t text[64] = {};
        title.mask = LVCF_TEXT;
        title.pszText = text;
        title.cchTextMax = 64;
        SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&title));
        // The header's text with the same margins the list gives a cell.
        const LRESULT heading = SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text)) + 16;
        LRESULT width = cells > heading ? cells : heading;
        width = width > before ? width : before;
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(static_cast<int>(width), 0));
    }
}
