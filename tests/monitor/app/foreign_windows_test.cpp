// The monitor program on a Windows whose ANSI code page is not 932 (the harness runs this
// one with code page 1252 at 144 dpi): every Japanese text it shows is read back in UTF-16
// and held to the text written here as a wide literal, which the compiler makes from this
// UTF-8 source without the program's code page.
// Pictures: foreign_tray_menu.png, foreign_balloon.png, foreign_monitor_window.png,
// foreign_viewer.png, foreign_error_box.png, foreign_about.png, foreign_settings.png.
#include "app_state_win.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "modal_script.h"
#include "monitor_fixture.h"
#include "monitor_ids.h"
#include "monitor_session.h"
#include "monitor_window_ids.h"
#include "smart_viewer_win.h"
#include "tray_actions_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring ItemText(HWND dialog, int control)
{
    return WindowText(GetDlgItem(dialog, control));
}

std::wstring ListCell(HWND list, int row, int column)
{
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string ShotPath(const char* name)
{
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SCREENSHOT_DIR", folder, sizeof folder);
    // The harness names a Unix folder; Wine reaches the Unix root as drive Z.
    return length > 0 && length < sizeof folder ? "Z:" + std::string(folder) + "/" + name : std::string(name);
}

// Reads the open popup menu from a thread timer inside its modal loop, then ends it.
struct PopupLook {
    static inline std::vector<std::wstring> items;
    static inline bool seen = false;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND menuWindow = FindWindowA("#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow) || seen) return;
        KillTimer(nullptr, timer);
        seen = true;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.push_back(text);
        }
        RedrawWindow(menuWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(SaveWindowPicture(menuWindow, ShotPath("foreign_tray_menu.png").c_str()));
        EndMenu();
    }
};

class ForeignWindows : public MonitorFixture {
protected:
    ForeignWindows() : MonitorFixture("FOREIGN.CFG") {}

    void SetUp() override
    {
        MonitorFixture::SetUp();
        WriteIni(kKelvixIni, "Threshold", "UseBalloon", "1");
        WriteIni(kKelvixIni, "Information", "Form", "%d℃");
    }

    void TearDown() override
    {
        if (app_ && app_->smartWindow && IsWindow(app_->smartWindow)) {
            DestroyWindow(app_->smartWindow);  // it has no owner: it would outlive the app state
        }
        MonitorFixture::TearDown();
    }

    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }
};

TEST_F(ForeignWindows, RunsOnAnEnglishCodePage)
{
    // Without this the other cases would prove nothing: on code page 932 the ANSI calls
    // show the same texts.
    EXPECT_EQ(GetACP(), 1252u);
}

TEST_F(ForeignWindows, TrayMenuReadsInJapanese)
{
    Start({{0, "SIM HOT", {52}}});
    PopupLook::items.clear();
    PopupLook::seen = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, PopupLook::Tick);
    RunTrayMenu(window_);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(PopupLook::seen);
    const std::vector<std::wstring> expected = {
        L"即時計測", L"計測の停止", L"温度値を複写", L"", L"モニター画面", L"S.M.A.R.T.画面",
        L"設定画面", L"バージョン情報", L"", L"プログラムの終了",
    };
    EXPECT_EQ(PopupLook::items, expected);
}

TEST_F(ForeignWindows, WarningBalloonIsShownInJapanese)
{
    Start({{0, "SIM COOL", {35}}, {1, "SIM HOT", {52}}});
    // The balloon window belongs to the shell (Wine's desktop): wait for it to show.
    HWND balloon = nullptr;
    const bool shown = PumpUntil([&] {
        for (HWND tip = FindWindowA("tooltips_class32", nullptr); tip; tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) {
            if (IsWindowVisible(tip)) {
                balloon = tip;
                return true;
            }
        }
        return false;
    });
    ASSERT_TRUE(shown);
    Pump(100);  // its paint
    EXPECT_TRUE(SaveWindowPicture(GetDesktopWindow(), ShotPath("foreign_balloon.png").c_str()));
}

TEST_F(ForeignWindows, MonitorWindowShowsTheTemperatureForm)
{
    Start({{0, "SIM HOT", {52}}, {1, "SIM COOL", {35}}});
    Command(CMD_MONITOR_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->monitorWindow != nullptr && IsWindowVisible(app_->monitorWindow); }));
    HWND monitor = app_->monitorWindow;
    EXPECT_EQ(ItemText(monitor, kTemperatureTextId), L"52℃");
    EXPECT_EQ(ItemText(monitor, kTemperatureTextId + 1), L"35℃");
    EXPECT_EQ(ItemText(monitor, kNameTextId), L"SIM HOT");
    RedrawWindow(monitor, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(100);
    EXPECT_TRUE(SaveWindowPicture(monitor, ShotPath("foreign_monitor_window.png").c_str()));
}

TEST_F(ForeignWindows, ViewerShowsItsLists)
{
    Start({{0, "SIM HOT", {52}}});
    Command(CMD_SMART_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->smartWindow != nullptr && IsWindowVisible(app_->smartWindow); }));
    HWND selector = GetDlgItem(app_->smartWindow, IDC_SMART_DRIVES);
    wchar_t line[128] = {};
    SendMessageW(selector, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_NE(std::wstring(line).find(L"SIM HOT"), std::wstring::npos);
    Pump(100);
    EXPECT_TRUE(SaveWindowPicture(app_->smartWindow, ShotPath("foreign_viewer.png").c_str()));
}

TEST_F(ForeignWindows, AboutDialogInJapanese)
{
    Start({{0, "SIM HOT", {52}}});
    std::wstring caption;
    std::wstring button;
    std::wstring description;
    std::wstring mark;
    std::wstring refused;
    ModalScript script({[&](HWND dialog) {
        caption = WindowText(dialog);
        refused = ItemText(dialog, 1005);
        button = ItemText(dialog, IDOK);
        description = ItemText(dialog, 1001);
        mark = ListCell(GetDlgItem(dialog, 1004), 0, 6);  // "TMP"
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath("foreign_about.png").c_str()));
        EndDialog(dialog, IDOK);
    }});
    Command(CMD_ABOUT);
    EXPECT_TRUE(script.Finished());
    // The dialog's own texts come from its template, in UTF-16 as long as the dialog is
    // made by the W call.
    EXPECT_EQ(caption, L"バージョン情報");
    EXPECT_EQ(button, L"確 認");
    EXPECT_EQ(description, L"KELVIX ハードディスク温度モニタ");
    EXPECT_EQ(refused, L"応答しなかった要求: 許可外 0 件 / 回数制限 0 件");
    EXPECT_TRUE(mark == L"○" || mark == L"×") << "a mark, not " << mark.size() << " units";
}

TEST_F(ForeignWindows, SettingsDialogTitleInJapanese)
{
    Start({{0, "SIM HOT", {52}}});
    std::wstring caption;
    ModalScript script({[&](HWND dialog) {
        caption = WindowText(dialog);
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath("foreign_settings.png").c_str()));
        ModalScript::Click(dialog, IDCANCEL);
    }});
    Command(CMD_SETTINGS);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(caption, L"設定画面");
}

TEST_F(ForeignWindows, ClipboardHoldsTheTemperaturesInUtf16Too)
{
    Start({{0, "SIM HOT", {52}}});
    Command(CMD_COPY_TEMPERATURES);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE wide = GetClipboardData(CF_UNICODETEXT);
    const std::wstring text = wide ? static_cast<const wchar_t*>(GlobalLock(wide)) : L"";
    if (wide) GlobalUnlock(wide);
    HANDLE bytes = GetClipboardData(CF_TEXT);
    const std::string ansi = bytes ? static_cast<const char*>(GlobalLock(bytes)) : "";
    if (bytes) GlobalUnlock(bytes);
    CloseClipboard();
    EXPECT_EQ(text, L"52℃ : SIM HOT (78.15GB UltraDMA-5)\r\n");
    EXPECT_EQ(ansi, "52℃ : SIM HOT (78.15GB UltraDMA-5)\r\n");  // the program's bytes, as before
}

TEST_F(ForeignWindows, ErrorBoxInJapanese)
{
    WriteIni(kKelvixIni, "Common", "IconFile", "NO543.KVX");
    std::wstring caption;
    std::wstring text;
    ModalScript script({[&](HWND box) {
        caption = WindowText(box);
        text = ItemText(box, 0xFFFF);
        EXPECT_TRUE(SaveWindowPicture(box, ShotPath("foreign_error_box.png").c_str()));
        ModalScript::Click(box, IDOK);
    }});
    Start({{0, "SIM A", {40}}});
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); }));
    EXPECT_EQ(caption, L"エラー情報");
    EXPECT_EQ(text, L"トレイアイコンファイルの読み込みに失敗しました。");
}

}  // namespace
