// TrayIcon: one notification-area icon with a table of pictures (slots) to switch
// between, and the balloon fields. Slots hold icons that either belong to the caller
// (unowned) or to the tray icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>

// The notify record in its version-2 form (488 bytes on 32-bit Windows): balloons
// without the newer fields, understood by every shell that has balloons. It holds the
// program's code page 932 texts; the shell gets them in UTF-16.
constexpr DWORD kNotifyRecordSize = NOTIFYICONDATAA_V2_SIZE;
#if !defined(_WIN64)
static_assert(kNotifyRecordSize == 488, "the 32-bit notify record is 488 bytes");
#endif

// What the shell is handed: the same version-2 form in UTF-16 (936 bytes on 32-bit).
constexpr DWORD kWideNotifyRecordSize = NOTIFYICONDATAW_V2_SIZE;
#if !defined(_WIN64)
static_assert(kWideNotifyRecordSize == 936, "the 32-bit UTF-16 notify record is 936 bytes");
#endif

// The shell call every tray icon makes, with the record's texts in UTF-16. Tests put in
// one that plays a shell whose notification area is not there yet, or that keeps what it
// was handed; null restores Shell_NotifyIconW.
using ShellNotifyCall = BOOL(WINAPI*)(DWORD action, PNOTIFYICONDATAW record);
void SetShellNotifyCall(ShellNotifyCall call);

class TrayIcon {
public:
    TrayIcon() = default;
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    virtual ~TrayIcon() { Destroy(); }

    // The shell remembers whether the user keeps an icon in view by the program's path and
    // the icon id, so the id must be the same at every start (and unique in its window).
    bool Create(HINSTANCE instance, HWND window, UINT iconId, UINT slotCount);
    void SetCallback(UINT message);
    void SetSlot(HICON icon, UINT index, bool owned = false);
    // True when the shell took the icon; false when it has no notification area (yet).
    bool Add(UINT index);
    void Modify(UINT index);
    void ShowBalloon(UINT index);
    // Texts longer than the record's fields are cut to 63 and 255 bytes, never in the
    // middle of a double-byte character.
    void SetBalloonTitle(const char* text, DWORD iconFlags);
    void SetBalloonText(const char* text, UINT timeoutMs);
    void Remove();
    void Destroy();

    // For the tray client: a tooltip, and showing the current picture again.
    void SetTooltip(const char* text);
    void Refresh();
    // Puts the icon into the notification area again with its current picture, after the
    // shell came (back): true once the shell holds it. An icon the shell still holds is
    // only brought up to date.
    bool Restore();
    void ShowBalloon();

    UINT SlotCount() const { return slotCount_; }
    UINT CurrentSlot() const { return currentSlot_; }
    HICON SlotIcon(UINT index) const { return index < slotCount_ ? slots_[index].icon : nullptr; }
    const NOTIFYICONDATAA& Record() const { return record_; }

private:
    struct Slot {
        HICON icon;
        DWORD owned;
    };

    bool Notify(DWORD action, UINT index);

    UINT slotCount_ = 0;
    std::unique_ptr<Slot[]> slots_;
    HINSTANCE instance_ = nullptr;
    NOTIFYICONDATAA record_{};
    UINT currentSlot_ = 0;
};
