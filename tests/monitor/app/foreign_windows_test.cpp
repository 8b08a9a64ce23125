// KELVIX's windows in the language of the Windows it runs on, read back in UTF-16 and held
// to the text table (kelvix_texts.h, common_texts.h). The same program runs in both
// harnesses: as foreign_windows_test on an English Windows (code page 1252, 144 dpi), where
// every text must be English and hold no Japanese character, and as japanese_windows_test
// on a Japanese one (code page 932, 96 dpi). One case forces the other language by the
// [Common] Language setting. Pictures: <lang><dpi>_tray_menu.png, _balloon, _monitor_window,
// _monitor_menu, _viewer, _error_box, _about, _settings (for example en144_about.png).
#include "app_state_win.h"
#include "common_texts.h"
#include "display_scale.h"
#include "ini_file.h"
#include "kelvix_texts.h"
#include "language.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "modal_script.h"
#include "monitor_fixture.h"
#include "monitor_ids.h"
#include "monitor_session.h"
#include "monitor_window_ids.h"
#include "smart_viewer_win.h"
#include "tray_actions_win.h"
#include "tray_icon_win.h"
#include "wide_text_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

// The harness's language: the Japanese one runs on code page 932 with a Japanese display
// language, the foreign one on 1252 with an English one.
bool HarnessIsJapanese()
{
    return GetACP() == 932;
}

// Hiragana, katakana, CJK ideographs and punctuation, full-width forms.
bool HasJapanese(const std::wstring& text)
{
    for (wchar_t c : text) {
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) {
            return true;
        }
    }
    return false;
}

std::wstring Wide(KelvixText id) { return WideFromCp932(Text(id)); }
std::wstring Wide(CommonText id) { return WideFromCp932(Text(id)); }

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

// Every text a window and its children show, in UTF-16.
std::vector<std::wstring> AllTexts(HWND window)
{
    std::vector<std::wstring> texts{WindowText(window)};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

// In English, no text a user reads holds a Japanese character.
void ExpectSpeaks(Language language, const std::vector<std::wstring>& texts, const char* where)
{
    if (language != Language::English) {
        return;
    }
    for (const std::wstring& text : texts) {
        EXPECT_FALSE(HasJapanese(text)) << where << ": a Japanese character in a text of "
                                        << text.size() << " characters";
    }
}

// "en144_about.png": the language, the display's dpi, the window.
std::string ShotPath(Language language, const char* name)
{
    const std::string file = std::string(language == Language::Japanese ? "ja" : "en") +
                             std::to_string(DisplayDpi()) + "_" + name;
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KV_SCREENSHOT_DIR", folder, sizeof folder);
    // The harness names a Unix folder; Wine reaches the Unix root as drive Z.
    return length > 0 && length < sizeof folder ? "Z:" + std::string(folder) + "/" + file : file;
}

// Reads the open popup menu (and its submenus) from a thread timer inside its modal loop,
// then ends it.
struct PopupLook {
    static inline std::vector<std::wstring> items;
    static inline bool seen = false;
    static inline std::string shot;

    static void Read(HMENU menu)
    {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.push_back(text);
            if (HMENU sub = GetSubMenu(menu, i)) {
                Read(sub);
            }
        }
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        // Wine may keep an earlier menu's window, hidden: the visible one is looked for.
        HWND menuWindow = FindWindowA("#32768", nullptr);
        while (menuWindow && !IsWindowVisible(menuWindow)) {
            menuWindow = FindWindowExA(nullptr, menuWindow, "#32768", nullptr);
        }
        if (!menuWindow || seen) return;
        KillTimer(nullptr, timer);
        seen = true;
        Read(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
        RedrawWindow(menuWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(SaveWindowPicture(menuWindow, shot.c_str()));
        EndMenu();
    }

    template <typename Open>
    static std::vector<std::wstring> Run(const std::string& picture, Open open)
    {
        items.clear();
        seen = false;
        shot = picture;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, Tick);
        open();
        KillTimer(nullptr, timer);
        EXPECT_TRUE(seen);
        return items;
    }
};

// What the shell was handed for balloons, in UTF-16, passed on to the real shell.
struct BalloonLook {
    static inline std::vector<std::wstring> titles;
    static inline std::vector<std::wstring> texts;
    static BOOL WINAPI Keep(DWORD action, PNOTIFYICONDATAW record)
    {
        if ((record->uFlags & NIF_INFO) && record->szInfo[0] != L'\0') {
            titles.push_back(record->szInfoTitle);
            texts.push_back(record->szInfo);
        }
        return Shell_NotifyIconW(action, record);
    }
};

class WindowsLanguage : public MonitorFixture {
protected:
    WindowsLanguage() : MonitorFixture("LANGUAGE.CFG") {}

    void SetUp() override
    {
        MonitorFixture::SetUp();
        WriteIni(kKelvixIni, "Threshold", "UseBalloon", "1");
        WriteIni(kKelvixIni, "Information", "Form", "%d℃");
    }

    void TearDown() override
    {
        SetShellNotifyCall(nullptr);
        if (app_ && app_->smartWindow && IsWindow(app_->smartWindow)) {
            DestroyWindow(app_->smartWindow);  // it has no owner: it would outlive the app state
        }
        MonitorFixture::TearDown();
    }

    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }

    // Every window, menu, balloon and box of the program, held to the table in `language`.
    void ExpectEveryWindowIn(Language language);
};

void WindowsLanguage::ExpectEveryWindowIn(Language language)
{
    BalloonLook::titles.clear();
    BalloonLook::texts.clear();
    SetShellNotifyCall(BalloonLook::Keep);
    Start({{0, "SIM HOT", {52}}, {1, "SIM COOL", {35}}});
    ASSERT_EQ(::ProgramLanguage(), language);

    // The balloons of the start: the information and the warning (SIM HOT is above 40).
    ASSERT_GE(BalloonLook::titles.size(), 2u);
    wchar_t every[64];
    swprintf(every, 64, Wide(KelvixText::BalloonMeasuringEvery).c_str(), 60u);
    EXPECT_EQ(BalloonLook::titles[0], every);
    wchar_t above[64];
    swprintf(above, 64, Wide(KelvixText::BalloonAbove).c_str(), 40u);
    EXPECT_EQ(BalloonLook::titles[1], above);
    EXPECT_EQ(BalloonLook::titles[1], language == Language::Japanese ? L"40℃を超えています" : L"Above 40 °C");
    EXPECT_NE(BalloonLook::texts[1].find(L"SIM HOT"), std::wstring::npos);
    ExpectSpeaks(language, BalloonLook::titles, "balloon titles");
    ExpectSpeaks(language, BalloonLook::texts, "balloon texts");
    // The balloon window belongs to the shell (Wine's desktop): its picture once it shows.
    const bool shown = PumpUntil([&] {
        for (HWND tip = FindWindowA("tooltips_class32", nullptr); tip; tip = FindWindowExA(nullptr, tip, "tooltips_class32", nullptr)) {
            if (IsWindowVisible(tip)) return true;
        }
        return false;
    });
    EXPECT_TRUE(shown);
    Pump(200);
    EXPECT_TRUE(SaveWindowPicture(GetDesktopWindow(), ShotPath(language, "balloon.png").c_str()));

    // The tray menu.
    const std::vector<std::wstring> tray = PopupLook::Run(ShotPath(language, "tray_menu.png"), [&] { RunTrayMenu(window_); });
    const std::vector<std::wstring> expectedTray = {
        Wide(KelvixText::MenuMeasureNow), Wide(KelvixText::MenuMeasureStop), Wide(KelvixText::MenuCopyTemperatures), L"",
        Wide(KelvixText::MenuMonitorWindow), Wide(KelvixText::MenuSmartWindow),
        Wide(KelvixText::MenuHistoryWindow), Wide(KelvixText::MenuStartWithWindows), Wide(CommonText::MenuSettings),
        Wide(CommonText::MenuAbout), L"", Wide(CommonText::MenuExit),
    };
    EXPECT_EQ(tray, expectedTray);
    EXPECT_EQ(tray.front(), language == Language::Japanese ? L"即時計測" : L"Measure now");
    ExpectSpeaks(language, tray, "tray menu");

    // The monitor window and its menu.
    Command(CMD_MONITOR_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->monitorWindow != nullptr && IsWindowVisible(app_->monitorWindow); }));
    HWND monitor = app_->monitorWindow;
    EXPECT_EQ(ItemText(monitor, kTemperatureTextId), L"52℃");
    EXPECT_EQ(ItemText(monitor, kNameTextId), L"SIM HOT");
    RedrawWindow(monitor, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(100);
    EXPECT_TRUE(SaveWindowPicture(monitor, ShotPath(language, "monitor_window.png").c_str()));
    const std::vector<std::wstring> monitorMenu =
        PopupLook::Run(ShotPath(language, "monitor_menu.png"), [&] { SendMessageW(monitor, WM_RBUTTONUP, 0, 0); });
    ASSERT_GE(monitorMenu.size(), 20u);
    EXPECT_EQ(monitorMenu[0], Wide(KelvixText::MenuShowWorst));
    EXPECT_EQ(monitorMenu.back(), Wide(KelvixText::MenuTemperatureFont));
    ExpectSpeaks(language, monitorMenu, "monitor window menu");

    // The viewer: the technical names are the same in both languages.
    Command(CMD_SMART_WINDOW);
    ASSERT_TRUE(PumpUntil([&] { return app_->smartWindow != nullptr && IsWindowVisible(app_->smartWindow); }));
    HWND selector = GetDlgItem(app_->smartWindow, IDC_SMART_DRIVES);
    wchar_t line[128] = {};
    SendMessageW(selector, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_NE(std::wstring(line).find(L"SIM HOT"), std::wstring::npos);
    ExpectSpeaks(language, AllTexts(app_->smartWindow), "viewer");
    Pump(100);
    EXPECT_TRUE(SaveWindowPicture(app_->smartWindow, ShotPath(language, "viewer.png").c_str()));
    // Both closed again: the scripts below act on the active window.
    DestroyWindow(app_->smartWindow);
    SendMessageW(monitor, WM_COMMAND, CMD_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return app_->monitorWindow == nullptr; }));

    // The about dialog.
    std::vector<std::wstring> about;
    std::wstring caption, button, description, refused, notifications, mqtt, mark;
    ModalScript aboutScript({[&](HWND dialog) {
        about = AllTexts(dialog);
        caption = WindowText(dialog);
        button = ItemText(dialog, IDOK);
        description = ItemText(dialog, 1001);
        refused = ItemText(dialog, 1005);
        notifications = ItemText(dialog, 1006);
        mqtt = ItemText(dialog, 1007);
        mark = ListCell(GetDlgItem(dialog, 1004), 0, 6);  // "TMP"
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(language, "about.png").c_str()));
        EndDialog(dialog, IDOK);
    }});
    Command(CMD_ABOUT);
    EXPECT_TRUE(aboutScript.Finished());
    EXPECT_EQ(caption, Wide(CommonText::MenuAbout));
    EXPECT_EQ(button, Wide(CommonText::ButtonConfirm));
    EXPECT_EQ(description, Wide(KelvixText::AboutDescription));
    EXPECT_EQ(description, language == Language::Japanese ? L"KELVIX ハードディスク温度モニタ" : L"KELVIX disk temperature monitor");
    wchar_t refusedLine[128];
    swprintf(refusedLine, 128, Wide(KelvixText::AboutRefused).c_str(), 0ul, 0ul);
    EXPECT_EQ(refused, refusedLine);
    wchar_t notifyLine[128];
    swprintf(notifyLine, 128, Wide(KelvixText::AboutNotifications).c_str(), 0ull, 0ull);
    EXPECT_EQ(notifications, notifyLine);
    EXPECT_EQ(mqtt, Wide(KelvixText::MqttOff));
    EXPECT_TRUE(mark == L"○" || mark == L"×") << "a mark, not " << mark.size() << " units";
    ExpectSpeaks(language, about, "about dialog");

    // The settings dialog (every page's controls are its children), and the two dialogs
    // it opens.
    std::vector<std::wstring> settings, notify, mqttDialog;
    std::wstring interval, pageName, notifyCaption, notifyTest, mqttTls, notifySaves, mqttSaves;
    ModalScript settingsScript({
        [&](HWND dialog) {
            settings = AllTexts(dialog);
            interval = ItemText(dialog, 1040);
            wchar_t name[64] = {};
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = name;
            item.cchTextMax = 64;
            SendDlgItemMessageW(dialog, 1039, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            pageName = name;
            ModalScript::Click(dialog, 1035);  // 通知...
        },
        [&](HWND dialog) {
            notify = AllTexts(dialog);
            notifyCaption = WindowText(dialog);
            notifyTest = ItemText(dialog, 1108);
            notifySaves = ItemText(dialog, 1125);
            ModalScript::Click(dialog, IDCANCEL);
        },
        [&](HWND dialog) { ModalScript::Click(dialog, 1036); },  // Home Assistant...
        [&](HWND dialog) {
            mqttDialog = AllTexts(dialog);
            mqttTls = ItemText(dialog, 1105);
            mqttSaves = ItemText(dialog, 1127);
            ModalScript::Click(dialog, IDCANCEL);
        },
        // The picture last: taking it pumps messages, and the script's timer with them.
        [&](HWND dialog) {
            EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(language, "settings.png").c_str()));
            ModalScript::Click(dialog, IDCANCEL);
        },
    });
    Command(CMD_SETTINGS);
    EXPECT_TRUE(settingsScript.Finished());
    ASSERT_FALSE(settings.empty());
    EXPECT_EQ(settings[0], Wide(CommonText::MenuSettings));
    EXPECT_EQ(interval, Wide(KelvixText::LabelInterval));
    EXPECT_EQ(pageName, Wide(KelvixText::PageMeasurement));
    EXPECT_EQ(notifyCaption, Wide(KelvixText::NotifyCaption));
    EXPECT_EQ(notifyTest, Wide(KelvixText::NotifyTestButton));
    EXPECT_EQ(mqttTls, Wide(KelvixText::MqttTlsCheck));
    // Their Apply saves at once; each says so, since the settings dialog's Cancel cannot undo it.
    EXPECT_EQ(notifySaves, Wide(KelvixText::SavesOnItsOwn));
    EXPECT_EQ(mqttSaves, Wide(KelvixText::SavesOnItsOwn));
    ExpectSpeaks(language, settings, "settings dialog");
    ExpectSpeaks(language, {pageName}, "settings pages");
    ExpectSpeaks(language, notify, "notification dialog");
    ExpectSpeaks(language, mqttDialog, "Home Assistant dialog");
}

TEST_F(WindowsLanguage, EveryWindowSpeaksTheLanguageOfWindows)
{
    ExpectEveryWindowIn(HarnessIsJapanese() ? Language::Japanese : Language::English);
}

// The setting overrides Windows: the other language, in UTF-16 whatever the code page.
TEST_F(WindowsLanguage, TheSettingForcesTheOtherLanguage)
{
    const bool japanese = HarnessIsJapanese();
    WriteIni(kKelvixIni, "Common", "Language", japanese ? "en" : "ja");
    ExpectEveryWindowIn(japanese ? Language::English : Language::Japanese);
}

TEST_F(WindowsLanguage, ClipboardKeepsItsFormatInEveryLanguage)
{
    WriteIni(kKelvixIni, "Common", "Language", HarnessIsJapanese() ? "en" : "auto");
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
    // English: the plain text is what Windows makes of the UTF-16 in its code page, 932 in
    // the Japanese harness, 1252 (no ℃) in the English one; never code page 932 bytes there.
    EXPECT_EQ(ansi, std::string(HarnessIsJapanese() ? "52℃" : "52?") + " : SIM HOT (78.15GB UltraDMA-5)\r\n");
}

TEST_F(WindowsLanguage, ErrorBoxInTheLanguageOfWindows)
{
    WriteIni(kKelvixIni, "Common", "IconFile", "NO543.KVX");
    const Language language = HarnessIsJapanese() ? Language::Japanese : Language::English;
    std::wstring caption;
    std::wstring text;
    ModalScript script({[&](HWND box) {
        caption = WindowText(box);
        text = ItemText(box, 0xFFFF);
        EXPECT_TRUE(SaveWindowPicture(box, ShotPath(language, "error_box.png").c_str()));
        ModalScript::Click(box, IDOK);
    }});
    Start({{0, "SIM A", {40}}});
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); }));
    EXPECT_EQ(caption, Wide(CommonText::CaptionError));
    EXPECT_EQ(text, Wide(CommonText::IconFileUnreadable));
    EXPECT_EQ(caption, language == Language::Japanese ? L"エラー情報" : L"Error");
    ExpectSpeaks(language, {caption, text}, "error box");
}

}  // namespace
