#include "pelito_error_win.h"

#include "pelito_messages.h"
#include "profile_location_win.h"
#include "wide_text_win.h"

namespace {

constexpr const char* kCaption = "エラー情報";
constexpr UINT kStyle = MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST;

// Whether the box of each message (1 to 8; 0 for any other number) is open. The poll
// timer ticks on inside an open box's message loop: a failing poll must not open
// another box for the same message behind it.
constexpr unsigned kMessageSlots = MSG_CLIENT_RECEIVE + 1;
bool g_open[kMessageSlots] = {};

}  // namespace

void ShowPelitoError(HWND owner, unsigned index)
{
    bool& open = g_open[index < kMessageSlots ? index : 0];
    if (open) {
        return;
    }
    open = true;
    MessageBoxCp932(owner, PelitoMessage(index), kCaption, kStyle);
    open = false;
}

void ShowPelitoWriteError(HWND owner, const char* file)
{
    MessageBoxCp932(owner, ProfileWriteFailedText(file).c_str(), kCaption, kStyle);
}
