// The settings dialog's pages at the harness's scaling (96 dpi in the Japanese harness,
// 144 in the English one): the dialog fits a 1024x768 screen, every control of a page lies
// on the page, away from the others, and shows its whole text and its field's largest
// value; a field on a page not showing is saved all the same.
// Pictures: settings_page_<page>_<dpi>.png.
#include "app_state_win.h"
#include "ini_file.h"
#include "modal_script.h"
#include "monitor_fixture.h"
#include "monitor_ids.h"
#include "range_note.h"
#include "settings_dialog_win.h"
#include "text_fit.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::string ShotPath(const std::string& name)
{
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SCREENSHOT_DIR", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? "Z:" + std::string(folder) + "/" + name : name;
}

RECT RectIn(HWND dialog, HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class SettingsPages : public MonitorFixture {
protected:
    SettingsPages() : MonitorFixture("PAGES.CFG") {}

    // Every control of the page showing: on the page, clear of the others, its text whole.
    void CheckPage(HWND dialog, int page)
    {
        const HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_PAGES);
        RECT area = RectIn(dialog, tabs);
        SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
        std::vector<RECT> taken;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(child);
            if (SettingsPageOf(id) < 0) continue;
            ASSERT_EQ(IsWindowVisible(child) != FALSE, SettingsPageOf(id) == page) << "control " << id;
            if (SettingsPageOf(id) != page) continue;
            const RECT rect = RectIn(dialog, child);
            RECT inside;
            IntersectRect(&inside, &rect, &area);
            EXPECT_TRUE(EqualRect(&inside, &rect)) << "control " << id << " reaches off page " << page;
            wchar_t kind[32] = {};
            GetClassNameW(child, kind, 32);
            if (lstrcmpiW(kind, UPDOWN_CLASSW) == 0) continue;  // it sits on its field's edge
            for (const RECT& other : taken) {
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &rect, &other)) << "control " << id << " overlaps another";
            }
            taken.push_back(rect);
            const SIZE needs = TextNeeds(child);
            const RECT room = TextRoom(child);
            EXPECT_LE(needs.cx, room.right - room.left) << "control " << id << " cuts its text";
            EXPECT_LE(needs.cy, room.bottom - room.top) << "control " << id << " cuts its text";
        }
    }
};

TEST_F(SettingsPages, FitTheScreenShowEveryTextAndSaveFromHiddenPages)
{
    Start({{0, "SIM A", {40}}});
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ModalScript script({[&](HWND dialog) {
        RECT outer;
        GetWindowRect(dialog, &outer);
        EXPECT_LE(outer.right - outer.left, 1024);
        EXPECT_LE(outer.bottom - outer.top, 768);
        EXPECT_TRUE(outer.left >= 0 && outer.top >= 0 && outer.right <= GetSystemMetrics(SM_CXSCREEN) &&
                    outer.bottom <= GetSystemMetrics(SM_CYSCREEN));
        const HWND tabs = GetDlgItem(dialog, IDC_SETTINGS_PAGES);
        RECT lastTab{}, tabArea;
        SendMessageW(tabs, TCM_GETITEMRECT, kSettingsPageCount - 1, reinterpret_cast<LPARAM>(&lastTab));
        GetClientRect(tabs, &tabArea);
        EXPECT_LE(lastTab.right, tabArea.right) << "the page names do not fit in one row";
        // The largest value of each field.
        for (const auto& [id, text] : std::vector<std::pair<int, const char*>>{{IDC_INTERVAL_EDIT, "3600"},
                 {IDC_THRESHOLD_EDIT, "60"}, {IDC_WAKE_AFTER_EDIT, "999"}, {IDC_PORT_EDIT, "65535"},
                 {IDC_RATE_EDIT, "65535"}, {IDC_HDDTEMP_PORT, "65535"}, {IDC_METRICS_PORT, "65535"},
                 {IDC_LISTEN_ADDRESS, "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"}}) {
            SetDlgItemTextA(dialog, id, text);
        }
        for (int page = 0; page < kSettingsPageCount; ++page) {
            SendMessageW(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0);  // as a click does
            CheckPage(dialog, page);
            const std::string name = "settings_page_" + std::to_string(page) + "_" + std::to_string(dpi) + ".png";
            EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(name).c_str())) << name;
        }
        // The last page shows; these fields are on others (the export services stay off).
        for (const auto& [id, text] : std::vector<std::pair<int, const char*>>{{IDC_INTERVAL_EDIT, "120"},
                 {IDC_PORT_EDIT, "10010"}, {IDC_HDDTEMP_PORT, "0"}, {IDC_METRICS_PORT, "0"}, {IDC_LISTEN_ADDRESS, ""}}) {
            SetDlgItemTextA(dialog, id, text);
        }
        ModalScript::Click(dialog, IDOK);
    }});
    SendMessageA(window_, WM_COMMAND, CMD_SETTINGS, 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(ReadIni(kKelvixIni, "Timer", "Current"), "120");
    EXPECT_EQ(ReadIni(kKelvixIni, "Network", "Port"), "10010");
}

// A saved interval below the dialog's range is told on the page, with what Apply saves.
TEST_F(SettingsPages, ASavedIntervalTheSpinCannotShowIsTold)
{
    WriteIni(kKelvixIni, "Timer", "Current", "5");
    Start({{0, "SIM A", {40}}});
    std::string interval, note, thresholdNote;
    ModalScript script({[&](HWND dialog) {
        interval = ModalScript::Text(dialog, IDC_INTERVAL_EDIT);
        note = ModalScript::Text(dialog, IDC_INTERVAL_NOTE);
        thresholdNote = ModalScript::Text(dialog, IDC_THRESHOLD_NOTE);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_INTERVAL_NOTE)));
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath("settings_interval_note.png").c_str()));
        ModalScript::Click(dialog, IDCANCEL);
    }});
    SendMessageA(window_, WM_COMMAND, CMD_SETTINGS, 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(interval, "30");
    EXPECT_EQ(note, IntervalNote(App().settings));
    EXPECT_NE(note.find("5"), std::string::npos) << note;
    EXPECT_EQ(thresholdNote, "");
    EXPECT_EQ(ReadIni(kKelvixIni, "Timer", "Current"), "5") << "Cancel keeps the saved value";
}

}  // namespace
