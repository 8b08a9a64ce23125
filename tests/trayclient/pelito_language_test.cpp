// PELITO's windows in the language of the Windows it runs on, read back in UTF-16 and held
// to the text table (pelito_texts.h, common_texts.h): as pelito_foreign_language_test on an
// English Windows (code page 1252, 144 dpi), where no text may hold a Japanese character,
// and as pelito_language_test on a Japanese one; one case forces the other language by
// [Common] Language. Every dialog text shows whole. Pictures: pelito_<lang><dpi>_menu.png,
// _settings, _about, _error_box.
#include "client_ids.h"
#include "client_state_win.h"
#include "client_window_win.h"
#include "common_texts.h"
#include "display_scale.h"
#include "fake_report_server.h"
#include "ini_file.h"
#include "language.h"
#include "message_pump.h"
#include "modal_script.h"
#include "pelito_resources.h"
#include "pelito_texts.h"
#include "text_fit.h"
#include "tray_icon_win.h"
#include "unit_range_text.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kHost = "127.0.0.1";

std::string AppDataFolder()
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}
const std::string g_folder = AppDataFolder() + "\\PELITO";
const std::string g_ini = g_folder + "\\PELITO.INI";

bool HasJapanese(const std::wstring& text)
{
    for (wchar_t c : text) {
        if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xFF00 && c <= 0xFFEF)) {
            return true;
        }
    }
    return false;
}

std::wstring Wide(PelitoText id) { return WideFromCp932(Text(id)); }
std::wstring Wide(CommonText id) { return WideFromCp932(Text(id)); }

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::vector<std::wstring> AllTexts(HWND window)
{
    std::vector<std::wstring> texts{WindowText(window)};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts.push_back(WindowText(child));
    }
    return texts;
}

void ExpectSpeaks(Language language, const std::vector<std::wstring>& texts, const char* where)
{
    for (const std::wstring& text : texts) {
        if (language == Language::English) {
            EXPECT_FALSE(HasJapanese(text)) << where << ": a Japanese character in a text of " << text.size()
                                            << " characters";
        }
    }
}

std::string ShotPath(Language language, const char* name)
{
    return std::string("pelito_") + (language == Language::Japanese ? "ja" : "en") + std::to_string(DisplayDpi()) +
           "_" + name;
}

// The tray menu, read inside its modal loop.
struct MenuLook {
    static inline std::vector<std::wstring> items;
    static inline std::string shot;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        HWND menuWindow = FindWindowA("#32768", nullptr);
        while (menuWindow && !IsWindowVisible(menuWindow)) {
            menuWindow = FindWindowExA(nullptr, menuWindow, "#32768", nullptr);
        }
        if (!menuWindow || !items.empty()) return;
        KillTimer(nullptr, timer);
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.push_back(text);
        }
        RedrawWindow(menuWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_TRUE(SaveWindowPicture(menuWindow, shot.c_str()));
        EndMenu();
    }
};

// The balloon texts the shell was handed, in UTF-16.
struct BalloonLook {
    static inline std::vector<std::wstring> texts;
    static BOOL WINAPI Keep(DWORD action, PNOTIFYICONDATAW record)
    {
        if ((record->uFlags & NIF_INFO) && record->szInfo[0] != L'\0') {
            texts.push_back(record->szInfo);
        }
        return Shell_NotifyIconW(action, record);
    }
};

class PelitoLanguage : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteFileA(g_ini.c_str());
        CreateDirectoryA(g_folder.c_str(), nullptr);
        BalloonLook::texts.clear();
        SetShellNotifyCall(BalloonLook::Keep);
    }

    void TearDown() override
    {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        Pump(50);
        if (client_) UnregisterClassA(kClientClassName, client_->instance);
        client_.reset();
        SetClient(nullptr);
        SetShellNotifyCall(nullptr);
        DeleteFileA(g_ini.c_str());
    }

    void Start()
    {
        client_ = std::make_unique<ClientState>(GetModuleHandleA(nullptr), "");
        SetClient(client_.get());
        ASSERT_TRUE(RegisterWindowClass(client_->instance, kClientClassName, ClientWindowProc, IDI_PELITO, false, 0));
        window_ = CreateHiddenWindow(client_->instance, kClientClassName, kClientTitle);
        ASSERT_NE(window_, nullptr);
        Pump(100);
    }

    void ExpectEveryWindowIn(Language language);

    std::unique_ptr<ClientState> client_;
    HWND window_ = nullptr;
};

void PelitoLanguage::ExpectEveryWindowIn(Language language)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}});
    WriteIni(g_ini.c_str(), kHost, "Port", server.Port());
    WriteIni(g_ini.c_str(), kHost, "TimeOut", 1u);
    Start();
    ASSERT_EQ(ProgramLanguage(), language);

    // The drive's balloon text.
    SendMessageA(window_, kFirstTrayCallback, 0, WM_LBUTTONDOWN);
    ASSERT_FALSE(BalloonLook::texts.empty());
    const std::wstring& details = BalloonLook::texts.back();
    EXPECT_EQ(details.rfind(language == Language::Japanese ? L"アドレス   : 127.0.0.1:" : L"Address  : 127.0.0.1:", 0), 0u);
    ExpectSpeaks(language, {details}, "balloon");

    // The tray menu.
    MenuLook::items.clear();
    MenuLook::shot = ShotPath(language, "menu.png");
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, MenuLook::Tick);
    SendMessageA(window_, kFirstTrayCallback, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);
    const std::vector<std::wstring> expectedMenu = {Wide(CommonText::MenuSettings), Wide(CommonText::MenuAbout), L"",
                                                    Wide(CommonText::MenuExit)};
    EXPECT_EQ(MenuLook::items, expectedMenu);
    EXPECT_EQ(MenuLook::items.front(), language == Language::Japanese ? L"設定画面" : L"Settings");

    // The settings dialog, over a hand-written port its spin cannot show (the longest note).
    std::vector<std::wstring> settings;
    std::wstring hostLabel, timerUnit, note, port;
    const std::uint32_t savedPort = client_->settings.Port;
    client_->settings.Port = 70000;
    ModalScript settingsScript({[&](HWND dialog) {
        settings = AllTexts(dialog);
        hostLabel = WindowText(GetDlgItem(dialog, IDC_HOST_LABEL));
        timerUnit = WindowText(GetDlgItem(dialog, IDC_TIMER_UNIT));
        note = WindowText(GetDlgItem(dialog, IDC_START_PROBLEM));
        port = WindowText(GetDlgItem(dialog, IDC_PORT_EDIT));
        EXPECT_EQ(CutTextReport(dialog), "") << "settings dialog";
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(language, "settings.png").c_str()));
        ModalScript::Click(dialog, IDCANCEL);
    }});
    SendMessageA(window_, WM_COMMAND, CMD_PELITO_SETTINGS, 0);
    EXPECT_TRUE(settingsScript.Finished());
    client_->settings.Port = savedPort;
    EXPECT_FALSE(note.empty()) << "the fit check measured the note";
    EXPECT_EQ(port, L"65535") << "not wrapped into the range";
    ASSERT_FALSE(settings.empty());
    EXPECT_EQ(settings[0], Wide(CommonText::MenuSettings));
    EXPECT_EQ(hostLabel, Wide(PelitoText::LabelHost));
    EXPECT_EQ(timerUnit, WideFromCp932(UnitRangeText(PelitoText::UnitTimer, "Timer").c_str()));
    ExpectSpeaks(language, settings, "settings dialog");

    // The about dialog.
    std::vector<std::wstring> about;
    std::wstring description;
    ModalScript aboutScript({[&](HWND dialog) {
        about = AllTexts(dialog);
        description = WindowText(GetDlgItem(dialog, IDC_ABOUT_DESCRIPTION));
        EXPECT_EQ(CutTextReport(dialog), "") << "about dialog";
        EXPECT_TRUE(SaveWindowPicture(dialog, ShotPath(language, "about.png").c_str()));
        ModalScript::Click(dialog, IDOK);
    }});
    SendMessageA(window_, WM_COMMAND, CMD_PELITO_ABOUT, 0);
    EXPECT_TRUE(aboutScript.Finished());
    EXPECT_EQ(description, Wide(PelitoText::AboutDescription));
    ASSERT_FALSE(about.empty());
    EXPECT_EQ(about[0], Wide(CommonText::MenuAbout));
    ExpectSpeaks(language, about, "about dialog");

    // An error box.
    std::wstring caption, text;
    ModalScript boxScript({[&](HWND box) {
        caption = WindowText(box);
        text = WindowText(GetDlgItem(box, 0xFFFF));
        EXPECT_TRUE(SaveWindowPicture(box, ShotPath(language, "error_box.png").c_str()));
        ModalScript::Click(box, IDOK);
    }});
    SendMessageA(window_, WM_TIMER, 0x1234, 0);
    EXPECT_TRUE(boxScript.Finished());
    EXPECT_EQ(caption, Wide(CommonText::CaptionError));
    EXPECT_EQ(text, Wide(CommonText::UnknownTimerEvent));
    ExpectSpeaks(language, {caption, text}, "error box");
}

TEST_F(PelitoLanguage, EveryWindowSpeaksTheLanguageOfWindows)
{
    ExpectEveryWindowIn(GetACP() == 932 ? Language::Japanese : Language::English);
}

TEST_F(PelitoLanguage, TheSettingForcesTheOtherLanguage)
{
    const bool japanese = GetACP() == 932;
    WriteIni(g_ini.c_str(), "Common", "Language", japanese ? "en" : "ja");
    ExpectEveryWindowIn(japanese ? Language::English : Language::Japanese);
}

}  // namespace
