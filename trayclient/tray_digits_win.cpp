#include "tray_digits_win.h"

#include "client_state_win.h"
#include "report_query_win.h"

bool ReplaceDigitIcons(const char* path)
{
    ClientState& client = Client();
    DigitIconSet fresh;
    if (!fresh.Build(path)) {
        return false;
    }
    for (TrayIcon& icon : client.trayIcons) {
        for (unsigned glyph = 0; glyph < kClientPictureCount; ++glyph) {
            icon.SetSlot(fresh.Icon(glyph), glyph);
        }
    }
    client.digits.Swap(fresh);  // the old pictures go with `fresh`
    Poll();
    return true;
}
