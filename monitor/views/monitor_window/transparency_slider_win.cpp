#include "transparency_slider_win.h"

#include "common_controls_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

namespace {

// One slider window at a time for the whole program.
SliderRequest g_slider{};

void ShowValue(HWND window)
{
    SetDlgItemInt(window, static_cast<int>(g_slider.valueTextId), g_slider.value, TRUE);
}

void Open(HWND window)
{
    g_slider.sliderWindow = window;
    HWND slider = GetDlgItem(window, static_cast<int>(g_slider.sliderId));
    SendMessageA(slider, TBM_SETRANGE, TRUE,
        MAKELPARAM(LOWORD(g_slider.minimum), LOWORD(g_slider.maximum)));
    SendMessageA(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(g_slider.value));
    ShowValue(window);
    // Under the pointer, next to the menu item that opened it.
    POINT cursor{};
    GetCursorPos(&cursor);
    MoveWindowTo(window, cursor.x - 16, cursor.y - 16);
    ShowWindow(window, SW_SHOW);
}

void Moved(HWND window, HWND control)
{
    if (control == nullptr || control != GetDlgItem(window, static_cast<int>(g_slider.sliderId))) {
        return;
    }
    g_slider.value = LOWORD(SendMessageA(control, TBM_GETPOS, 0, 0));
    ShowValue(window);
    if (g_slider.owner != nullptr && g_slider.notification != 0) {
        PostMessageA(g_slider.owner, g_slider.notification, g_slider.value, 0);
    }
}

INT_PTR CALLBACK SliderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(window);
        return FALSE;  // shown already; no focus choice wanted
    case WM_HSCROLL:
        Moved(window, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && window == g_slider.sliderWindow) {
            CloseSlider();
        }
        return TRUE;
    case WM_COMMAND:
        CloseSlider();
        return TRUE;
    case WM_DESTROY:
        // Destroyed with its owner: the record must not keep the dead handle.
        if (window == g_slider.sliderWindow) {
            g_slider = SliderRequest{};
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        ReleaseCapture();
        SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

HWND OpenSlider(const SliderRequest& request)
{
    CloseSlider();
    g_slider = request;
    g_slider.sliderWindow = nullptr;
    ReadyCommonControls();
    HWND window = CreateDialogParamW(request.instance, MAKEINTRESOURCEW(request.dialogId), request.owner,
        SliderProc, 0);
    if (window == nullptr) {
        g_slider = SliderRequest{};
    }
    return window;
}

void CloseSlider()
{
    HWND window = g_slider.sliderWindow;
    if (window == nullptr) {
        return;
    }
    // Cleared first: destroying the window deactivates it, which asks to close again.
    g_slider = SliderRequest{};
    DestroyWindow(window);
}

const SliderRequest& CurrentSlider()
{
    return g_slider;
}
