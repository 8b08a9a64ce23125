#include "text_fit.h"

#include <commctrl.h>

#include <cstdio>

namespace {

int Dpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

std::wstring ClassOf(HWND control)
{
    wchar_t kind[64] = {};
    GetClassNameW(control, kind, 64);
    return kind;
}

bool Is(const std::wstring& kind, const wchar_t* name)
{
    return lstrcmpiW(kind.c_str(), name) == 0;
}

std::wstring WindowText(HWND control)
{
    wchar_t text[1024] = {};
    GetWindowTextW(control, text, 1024);
    return text;
}

// DrawText's measure of `text` in `control`'s font: `format` with DT_CALCRECT, `width` the
// wrapping width.
SIZE Measure(HWND control, const std::wstring& text, UINT format, int width)
{
    const HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &rect, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {text.empty() ? 0 : rect.right - rect.left, rect.bottom - rect.top};
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

std::string Line(HWND control, const std::wstring& text, const char* what, long lacks)
{
    char line[256];
    std::snprintf(line, sizeof line, "control %d (%s) \"%s\": %s %ld pixels short", GetDlgCtrlID(control),
        Narrow(ClassOf(control)).c_str(), Narrow(text).c_str(), what, lacks);
    return line;
}

// The margins a list draws around a cell's text.
constexpr int kCellMargin = 12;

void CutCells(HWND list, std::vector<std::string>& cut)
{
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        for (int row = 0; row < rows; ++row) {
            wchar_t text[512] = {};
            LVITEMW item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = 512;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            const int needs = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text))) +
                              kCellMargin;
            if (text[0] != L'\0' && needs > width) {
                char what[48];
                std::snprintf(what, sizeof what, "row %d column %d", row, column);
                cut.push_back(Line(list, text, what, needs - width));
            }
        }
    }
}

void CutChosenLine(HWND combo, std::vector<std::string>& cut)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    const LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (chosen < 0 || !GetComboBoxInfo(combo, &info)) return;
    wchar_t text[512] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(chosen), 0) >= 512) return;
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(chosen), reinterpret_cast<LPARAM>(text));
    const SIZE needs = Measure(combo, text, DT_SINGLELINE | DT_NOPREFIX, 0);
    const long room = info.rcItem.right - info.rcItem.left - MulDiv(2, Dpi(), 96);
    if (needs.cx > room) cut.push_back(Line(combo, text, "its line", needs.cx - room));
}

}  // namespace

bool EndsCutTextVisibly(HWND control)
{
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    return Is(ClassOf(control), L"Static") && (style & SS_ELLIPSISMASK) != 0;
}

SIZE TextNeeds(HWND control)
{
    const std::wstring kind = ClassOf(control);
    const std::wstring text = WindowText(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const int dpi = Dpi();
    if (Is(kind, L"Button")) {
        const LONG type = style & BS_TYPEMASK;
        SIZE size = Measure(control, text, DT_SINGLELINE, 0);
        const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                         type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
        // A check box's box and gap, a group box's inset either side, a push button's edges.
        size.cx += MulDiv(box ? 18 : type == BS_GROUPBOX ? 16 : 8, dpi, 96);
        return size;
    }
    if (Is(kind, L"Edit")) {
        return Measure(control, text, DT_SINGLELINE | DT_NOPREFIX, 0);
    }
    const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    const LONG type = style & SS_TYPEMASK;
    if ((style & SS_CENTERIMAGE) || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
        return Measure(control, text, DT_SINGLELINE | prefix, 0);
    }
    const RECT room = TextRoom(control);
    return Measure(control, text, DT_WORDBREAK | prefix, room.right - room.left);
}

RECT TextRoom(HWND control)
{
    RECT room{};
    if (Is(ClassOf(control), L"Edit")) {
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
    } else {
        GetClientRect(control, &room);
    }
    return room;
}

std::vector<std::string> CutTexts(HWND window)
{
    std::vector<std::string> cut;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const std::wstring kind = ClassOf(child);
        if (Is(kind, WC_LISTVIEWW)) {
            CutCells(child, cut);
            continue;
        }
        if (Is(kind, WC_COMBOBOXW)) {
            CutChosenLine(child, cut);
            continue;
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const LONG staticType = style & SS_TYPEMASK;
        const bool textStatic = Is(kind, L"Static") && staticType <= SS_SIMPLE && staticType != SS_ICON;
        if (!(textStatic || Is(kind, L"Button")) || EndsCutTextVisibly(child)) continue;
        const std::wstring text = WindowText(child);
        if (text.empty()) continue;
        const SIZE needs = TextNeeds(child);
        const RECT room = TextRoom(child);
        if (needs.cx > room.right - room.left) cut.push_back(Line(child, text, "wide", needs.cx - (room.right - room.left)));
        if (needs.cy > room.bottom - room.top) cut.push_back(Line(child, text, "high", needs.cy - (room.bottom - room.top)));
    }
    return cut;
}

std::string CutTextReport(HWND window)
{
    std::string report;
    for (const std::string& line : CutTexts(window)) report += line + "\n";
    return report;
}
