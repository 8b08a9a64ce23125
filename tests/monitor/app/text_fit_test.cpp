// Every text KELVIX lays out shows whole, or ends in "..." with its whole text kept in a
// tip, on drives with the longest real model names: in the language of the harness and in
// the other one (forced by [Common] Language), at the harness's scaling (Japanese 96 dpi,
// English 144). Balloons are drawn by the shell: what the program hands it must hold every
// name whole. Pictures: fit_<lang><dpi>_monitor_window.png, _viewer, _about, _notify, _mqtt.
#include "app_state_win.h"
#include "display_scale.h"
#include "ini_file.h"
#include "language.h"
#include "message_pump.h"
#include "modal_script.h"
#include "monitor_fixture.h"
#include "monitor_ids.h"
#include "monitor_window_ids.h"
#include "smart_viewer_win.h"
#include "text_fit.h"
#include "tray_icon_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

const std::vector<Drive> kLongNames = {
    {0, "Samsung SSD 990 PRO with Heatsink 2TB", {45}},
    {1, "ST2000DM008-2FR102", {41}},
    {2, "TOSHIBA MG08ACA16TE", {43}},
    {3, "Hitachi HDS721010CLA332", {44}},
};

std::wstring Wide(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::string ShotPath(Language language, const char* name)
{
    const std::string file = std::string("fit_") + (language == Language::Japanese ? "ja" : "en") +
                             std::to_string(DisplayDpi()) + "_" + name;
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SCREENSHOT_DIR", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? "Z:" + std::string(folder) + "/" + file : file;
}

void Draw(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(100);
}

// What the program hands the shell for balloons, whole as the record holds it.
struct BalloonRecords {
    static inline std::vector<std::wstring> titles;
    static inline std::vector<std::wstring> texts;
    static BOOL WINAPI Keep(DWORD action, PNOTIFYICONDATAW record)
    {
        if ((record->uFlags & NIF_INFO) && record->szInfo[0] != L'\0') {
            titles.emplace_back(record->szInfoTitle, wcsnlen(record->szInfoTitle, std::size(record->szInfoTitle)));
            texts.emplace_back(record->szInfo, wcsnlen(record->szInfo, std::size(record->szInfo)));
        }
        return Shell_NotifyIconW(action, record);
    }
};

class TextsFit : public MonitorFixture {
protected:
    TextsFit() : MonitorFixture("FIT.CFG") {}

    void TearDown() override
    {
        SetShellNotifyCall(nullptr);
        if (app_ && app_->smartWindow && IsWindow(app_->smartWindow)) {
            DestroyWindow(app_->smartWindow);
        }
        MonitorFixture::TearDown();
    }

    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }

    void ExpectWholeIn(Language language);
    void ExpectMonitorWindowWhole(Language language);
    void ExpectViewerWhole(Language language);
    void ExpectDialogsWhole(Language language);
};

void TextsFit::ExpectWholeIn(Language language)
{
    WriteIni(kKelvixIni, "Threshold", "UseBalloon", "1");
    BalloonRecords::titles.clear();
    BalloonRecords::texts.clear();
    SetShellNotifyCall(BalloonRecords::Keep);
    Start(kLongNames);
    ASSERT_EQ(::ProgramLanguage(), language);

    // The information and the warning balloon, every name whole in the record (its
    // drawing is the shell's).
    ASSERT_GE(BalloonRecords::texts.size(), 2u);
    for (std::size_t i = 0; i < BalloonRecords::texts.size(); ++i) {
        EXPECT_LT(BalloonRecords::titles[i].size(), 64u);
        EXPECT_LT(BalloonRecords::texts[i].size(), 256u);
        for (const Drive& drive : kLongNames) {
            EXPECT_NE(BalloonRecords::texts[i].find(Wide(drive.model)), std::wstring::npos)
                << "balloon " << i << " lacks " << drive.model;
        }
    }

    ExpectMonitorWindowWhole(language);
    ExpectViewerWhole(language);
    ExpectDialogsWhole(language);
}

// A name longer than its cell ends in "..." there and is whole in the cell's tip.
void TextsFit::ExpectMonitorWindowWhole(Language language)
{
    Command(CMD_MONITOR_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->monitorWindow != nullptr && IsWindowVisible(app_->monitorWindow); }));
    const HWND monitor = app_->monitorWindow;
    ASSERT_NE(app_->monitor.nameTips, nullptr);
    bool someCut = false;
    for (unsigned cell = 0; cell < kLongNames.size(); ++cell) {
        const HWND name = GetDlgItem(monitor, kNameTextId + static_cast<int>(cell));
        const std::wstring text = WindowText(name);
        EXPECT_EQ(text, Wide(kLongNames[cell].model));
        const RECT room = TextRoom(name);
        someCut = someCut || TextNeeds(name).cx > room.right - room.left;
        wchar_t tip[128] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = monitor;
        tool.uId = cell;
        tool.lpszText = tip;
        SendMessageW(app_->monitor.nameTips, TTM_GETTEXTW, std::size(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(tip), text) << "cell " << cell << "'s tip";
    }
    EXPECT_TRUE(someCut) << "no name is longer than its cell: the ellipsis is not seen here";
    EXPECT_EQ(CutTextReport(monitor), "") << "monitor window";
    Draw(monitor);
    EXPECT_TRUE(SaveWindowPicture(monitor, ShotPath(language, "monitor_window.png").c_str()));
    SendMessageW(monitor, WM_COMMAND, CMD_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->monitorWindow == nullptr; }));
}

// Every drive's lines: the model, the Raw values, the selector's line.
void TextsFit::ExpectViewerWhole(Language language)
{
    Command(CMD_SMART_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->smartWindow != nullptr && IsWindowVisible(app_->smartWindow); }));
    const HWND viewer = app_->smartWindow;
    const HWND selector = GetDlgItem(viewer, IDC_SMART_DRIVES);
    ASSERT_EQ(SendMessageW(selector, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(kLongNames.size()));
    for (int line = static_cast<int>(kLongNames.size()) - 1; line >= 0; --line) {
        SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(line), 0);
        SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(IDC_SMART_DRIVES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(selector));
        EXPECT_EQ(CutTextReport(viewer), "") << "viewer, drive line " << line;
    }
    Draw(viewer);
    EXPECT_TRUE(SaveWindowPicture(viewer, ShotPath(language, "viewer.png").c_str()));
    DestroyWindow(viewer);
}

// The about dialog, the settings dialog's first page and the two dialogs it opens.
void TextsFit::ExpectDialogsWhole(Language language)
{
    const auto expectWhole = [&](HWND dialog, const char* name) {
        EXPECT_EQ(CutTextReport(dialog), "") << name;
        // Its picture pumps paints only: the script's next step does not run inside it.
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(language, (std::string(name) + ".png").c_str()).c_str()));
    };
    ModalScript about({[&](HWND dialog) {
        expectWhole(dialog, "about");
        EndDialog(dialog, IDOK);
    }});
    Command(CMD_ABOUT);
    EXPECT_TRUE(about.Finished());

    ModalScript settings({
        [&](HWND dialog) {
            EXPECT_EQ(CutTextReport(dialog), "") << "settings";
            ModalScript::Click(dialog, 1035);  // notifications...
        },
        [&](HWND dialog) {
            expectWhole(dialog, "notify");
            ModalScript::Click(dialog, IDCANCEL);
        },
        [&](HWND dialog) { ModalScript::Click(dialog, 1036); },  // Home Assistant...
        [&](HWND dialog) {
            expectWhole(dialog, "mqtt");
            ModalScript::Click(dialog, IDCANCEL);
        },
        [&](HWND dialog) { ModalScript::Click(dialog, IDCANCEL); },
    });
    Command(CMD_SETTINGS);
    EXPECT_TRUE(settings.Finished());
}

TEST_F(TextsFit, EveryTextWholeInTheLanguageOfWindows)
{
    ExpectWholeIn(GetACP() == 932 ? Language::Japanese : Language::English);
}

TEST_F(TextsFit, EveryTextWholeInTheOtherLanguage)
{
    const bool japanese = GetACP() == 932;
    WriteIni(kKelvixIni, "Common", "Language", japanese ? "en" : "ja");
    ExpectWholeIn(japanese ? Language::English : Language::Japanese);
}

}  // namespace
