#include "name_tips_win.h"

#include <commctrl.h>

namespace {

TTTOOLINFOW Tool(HWND window, unsigned cell)
{
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window;
    tool.uId = cell;
    return tool;
}

}  // namespace

HWND CreateNameTips(HWND window, int firstId, unsigned cells)
{
    const HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    if (!tips) {
        return nullptr;
    }
    // The names do not take the mouse (a drag anywhere moves the window): the tools are
    // their rectangles on the window itself.
    for (unsigned cell = 0; cell < cells; ++cell) {
        TTTOOLINFOW tool = Tool(window, cell);
        tool.uFlags = TTF_SUBCLASS;
        const HWND name = GetDlgItem(window, firstId + static_cast<int>(cell));
        if (!name) continue;
        GetWindowRect(name, &tool.rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tool.rect), 2);
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return tips;
}

void SetNameTip(HWND tips, HWND window, unsigned cell, const wchar_t* text)
{
    if (!tips) {
        return;
    }
    TTTOOLINFOW tool = Tool(window, cell);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tips, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
