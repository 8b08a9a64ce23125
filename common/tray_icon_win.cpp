#include "tray_icon_win.h"

#include "cp932_text.h"
#include "wide_text_win.h"

#include <cstring>
#include <new>
#include <string>

namespace {

// Copies text into a fixed field, cut to leave room for the terminating zero.
template <std::size_t N>
void CopyField(char (&field)[N], const char* text)
{
    const std::size_t length = text ? Cp932FitLength(text, N - 1) : 0;
    std::memcpy(field, text ? text : "", length);
    field[length] = '\0';
}

ShellNotifyCall g_shellNotify = nullptr;

template <std::size_t N, std::size_t M>
void WidenField(WCHAR (&field)[N], const char (&text)[M])
{
    static_assert(N >= M, "every byte of the text fits as one UTF-16 unit");
    const std::wstring wide = WideFromCp932(text);
    const std::size_t length = wide.size() < N ? wide.size() : N - 1;
    std::memcpy(field, wide.data(), length * sizeof(WCHAR));
    field[length] = L'\0';
}

// The shell gets the texts in UTF-16, read right on any Windows; the record keeps the
// program's own bytes.
BOOL CallShell(DWORD action, const NOTIFYICONDATAA* record)
{
    NOTIFYICONDATAW wide{};
    wide.cbSize = kWideNotifyRecordSize;
    wide.hWnd = record->hWnd;
    wide.uID = record->uID;
    wide.uFlags = record->uFlags;
    wide.uCallbackMessage = record->uCallbackMessage;
    wide.hIcon = record->hIcon;
    WidenField(wide.szTip, record->szTip);
    wide.dwState = record->dwState;
    wide.dwStateMask = record->dwStateMask;
    WidenField(wide.szInfo, record->szInfo);
    wide.uTimeout = record->uTimeout;
    WidenField(wide.szInfoTitle, record->szInfoTitle);
    wide.dwInfoFlags = record->dwInfoFlags;
    return g_shellNotify ? g_shellNotify(action, &wide) : Shell_NotifyIconW(action, &wide);
}

}  // namespace

void SetShellNotifyCall(ShellNotifyCall call) { g_shellNotify = call; }

bool TrayIcon::Create(HINSTANCE instance, HWND window, UINT iconId, UINT slotCount)
{
    if (slots_ || slotCount == 0) {
        return false;
    }
    slots_.reset(new (std::nothrow) Slot[slotCount]());
    if (!slots_) {
        return false;
    }
    slotCount_ = slotCount;
    instance_ = instance;
    record_ = NOTIFYICONDATAA{};
    record_.cbSize = kNotifyRecordSize;
    record_.hWnd = window;
    record_.uID = iconId;
    record_.uFlags = NIF_ICON;
    currentSlot_ = 0;
    return true;
}

void TrayIcon::SetCallback(UINT message)
{
    if (!slots_) return;
    record_.uFlags |= NIF_MESSAGE;
    record_.uCallbackMessage = message;
}

void TrayIcon::SetSlot(HICON icon, UINT index, bool owned)
{
    if (!slots_ || index >= slotCount_) return;
    Slot& slot = slots_[index];
    if (slot.owned && slot.icon) {
        DestroyIcon(slot.icon);
    }
    slot.icon = icon;
    slot.owned = owned ? 1 : 0;
}

bool TrayIcon::Notify(DWORD action, UINT index)
{
    if (!slots_ || index >= slotCount_) return false;
    record_.hIcon = slots_[index].icon;
    currentSlot_ = index;  // the picture to show, also when the shell cannot take it now
    return CallShell(action, &record_) != FALSE;
}

bool TrayIcon::Add(UINT index) { return Notify(NIM_ADD, index); }

bool TrayIcon::Restore()
{
    return Notify(NIM_ADD, currentSlot_) || Notify(NIM_MODIFY, currentSlot_);
}

void TrayIcon::Modify(UINT index) { Notify(NIM_MODIFY, index); }

void TrayIcon::ShowBalloon(UINT index)
{
    if (!slots_) return;
    const UINT flags = record_.uFlags;
    record_.uFlags |= NIF_INFO;
    Modify(index);
    record_.uFlags = flags;
}

void TrayIcon::SetBalloonTitle(const char* text, DWORD iconFlags)
{
    if (!slots_) return;
    CopyField(record_.szInfoTitle, text);
    record_.dwInfoFlags = iconFlags;
}

void TrayIcon::SetBalloonText(const char* text, UINT timeoutMs)
{
    if (!slots_) return;
    CopyField(record_.szInfo, text);
    record_.uTimeout = timeoutMs;
}

void TrayIcon::SetTooltip(const char* text)
{
    if (!slots_) return;
    record_.uFlags |= NIF_TIP;
    CopyField(record_.szTip, text);
}

void TrayIcon::Refresh()
{
    if (currentSlot_ < slotCount_) {
        Modify(currentSlot_);
    }
}

void TrayIcon::ShowBalloon()
{
    if (!slots_) return;
    const UINT flags = record_.uFlags;
    record_.uFlags |= NIF_INFO;
    Refresh();
    record_.uFlags = flags;
}

void TrayIcon::Remove()
{
    if (!slots_) return;
    record_.hIcon = nullptr;
    CallShell(NIM_DELETE, &record_);
}

void TrayIcon::Destroy()
{
    if (!slots_) return;
    Remove();
    record_ = NOTIFYICONDATAA{};
    for (UINT i = 0; i < slotCount_; ++i) {
        if (slots_[i].owned && slots_[i].icon) {
            DestroyIcon(slots_[i].icon);
        }
    }
    slots_.reset();
    slotCount_ = 0;
    currentSlot_ = 0;
}
