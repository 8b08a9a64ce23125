// PELITO in-process: the main window is created against a report server of the test's
// own, then driven by timers, tray callbacks, commands and its dialogs.
#include "client_ids.h"
#include "client_state_win.h"
#include "client_window_win.h"
#include "fake_report_server.h"
#include "glyphs_win.h"
#include "ini_file.h"
#include "kv_version.h"
#include "message_pump.h"
#include "modal_script.h"
#include "pelito_messages.h"
#include "pelito_resources.h"
#include "report_query_win.h"
#include "window_helpers_win.h"
#include "window_picture.h"
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kHost = "127.0.0.1";
// Where PELITO keeps its settings: the user's application-data folder, found here on
// its own; and the file older PELITOs kept in the Windows folder.
std::string AppDataFolder(int csidl)
{
    char path[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}
const std::string g_userIniFolder = AppDataFolder(CSIDL_APPDATA) + "\\PELITO";
const std::string g_userIni = g_userIniFolder + "\\PELITO.INI";
const char* const kPelitoIni = g_userIni.c_str();
constexpr const char* kOldPelitoIni = "PELITO.INI";

void RemoveSettingsFiles()
{
    DeleteFileA(g_userIni.c_str());
    RemoveDirectoryA(g_userIniFolder.c_str());
    DeleteFileA(IniPath(kOldPelitoIni).c_str());
}

int RedPixels(HICON icon)
{
    int count = 0;
    for (std::uint32_t pixel : RenderIcon(icon)) {
        const unsigned r = pixel >> 16 & 0xFF, g = pixel >> 8 & 0xFF, b = pixel & 0xFF;
        count += (pixel != 0xFF00FF && r > 150 && g < 90 && b < 90) ? 1 : 0;
    }
    return count;
}

TEST(DigitIconSet, DistinctPicturesWithTheWarningBankInRedAndNoTemperature)
{
    DigitIconSet set;
    ASSERT_TRUE(set.Build("7SEG_G.KVX"));
    std::set<std::vector<std::uint32_t>> pictures;
    std::vector<HICON> icons;
    for (unsigned i = 0; i < kClientPictureCount; ++i) {
        ASSERT_NE(set.Icon(i), nullptr) << i;
        pictures.insert(RenderIcon(set.Icon(i)));
        icons.push_back(set.Icon(i));
    }
    EXPECT_EQ(pictures.size(), 201u) << "the no-temperature picture is none of the digits";
    EXPECT_EQ(set.Icon(kClientPictureCount), nullptr);
    EXPECT_EQ(RedPixels(set.Icon(46)), 0);
    EXPECT_GT(RedPixels(set.Icon(146)), 40);
    SaveIconSheet(icons, 20, 2, "pelito_digit_icons.png");

    // No icon 543 needed; a file that is no glyph file changes nothing.
    HICON before = set.Icon(0);
    std::FILE* text = std::fopen("NOTGLYPH.KVX", "wb");
    std::fputs("not a module", text);
    std::fclose(text);
    EXPECT_FALSE(set.Build("NOTGLYPH.KVX"));
    EXPECT_EQ(set.Icon(0), before);
    ASSERT_TRUE(set.Build("NO543.KVX"));
    GlyphIcons glyphs;
    ASSERT_TRUE(glyphs.Load("NO543.KVX", GlyphSet::TrayClient));
    for (unsigned i = 0; i < kDigitIconCount; ++i) {
        HICON reference = ComposeDigitIcon(glyphs, static_cast<int>(i), GlyphIcons::Route::ImageList);
        ASSERT_NE(reference, nullptr) << i;
        EXPECT_TRUE(IconsLookAlike(set.Icon(i), reference)) << "picture " << i << " is not what the image lists make";
        DestroyIcon(reference);
    }
}

class PelitoApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveSettingsFiles();
        CreateDirectoryA(g_userIniFolder.c_str(), nullptr);
    }

    void TearDown() override
    {
        Close();
        RemoveSettingsFiles();
    }

    void UsePort(unsigned port, unsigned timeOut = 1)
    {
        WriteIni(kPelitoIni, kHost, "Port", port);
        WriteIni(kPelitoIni, kHost, "TimeOut", timeOut);
    }

    void Start(const char* commandLine = "")
    {
        client_ = std::make_unique<ClientState>(GetModuleHandleA(nullptr), commandLine);
        SetClient(client_.get());
        ASSERT_TRUE(RegisterWindowClass(client_->instance, kClientClassName, ClientWindowProc, IDI_PELITO, false, 0));
        window_ = CreateHiddenWindow(client_->instance, kClientClassName, kClientTitle);
        ASSERT_NE(window_, nullptr);
        Pump(100);
    }

    void Close()
    {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        window_ = nullptr;
        Pump(50);
        if (client_) UnregisterClassA(kClientClassName, client_->instance);
        client_.reset();
        SetClient(nullptr);
    }

    void Command(UINT id) { SendMessageA(window_, WM_COMMAND, id, 0); }
    void Tick() { SendMessageA(window_, WM_TIMER, client_->pollTimer, 0); }
    const NOTIFYICONDATAA& Record(unsigned slot) const { return client_->trayIcons[slot].Record(); }
    unsigned Shown(unsigned slot) const { return client_->trayIcons[slot].CurrentSlot(); }

    std::unique_ptr<ClientState> client_;
    HWND window_ = nullptr;
};

TEST_F(PelitoApp, DrivesInSlots0And2GetTwoIconsWithTheirDigitsAndTexts)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}, {2, 46, 52, "WDC WD800JB", "05.01C05", "WMAJ9"}});
    UsePort(server.Port());
    Start();
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(client_->pollTimer, kPollTimerId);
    EXPECT_EQ(Shown(0), 38u);
    EXPECT_EQ(Shown(2), 146u);
    EXPECT_EQ(Record(0).hIcon, client_->digits.Icon(38));
    EXPECT_EQ(Record(2).hIcon, client_->digits.Icon(146));
    EXPECT_EQ(Record(1).hIcon, nullptr);  // never added
    EXPECT_STREQ(Record(0).szTip, "0:ST380011A");
    EXPECT_STREQ(Record(2).szTip, "2:WDC WD800JB");
    EXPECT_STREQ(Record(2).szInfoTitle, "WDC WD800JB");
    EXPECT_EQ(Record(2).dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(Record(2).uTimeout, 10000u);
    const std::string expected = "アドレス   : 127.0.0.1:" + std::to_string(server.Port()) +
        "\nデバイス   : 2\nバージョン : 05.01C05\nシリアル   : WMAJ9\n現在の温度 : 46℃\n最大の温度 : 52℃";
    EXPECT_EQ(std::string(Record(2).szInfo), expected);
    std::set<UINT> ids;
    for (const TrayIcon& icon : client_->trayIcons) {
        EXPECT_EQ(icon.SlotCount(), kClientPictureCount);
        ids.insert(icon.Record().uID);
    }
    EXPECT_EQ(ids.size(), 16u);
    EXPECT_EQ(Record(5).uCallbackMessage, kFirstTrayCallback + 5);

    // A drive at 100 degrees shows 99 in warning colours; a drive no longer reported
    // keeps its picture.
    server.Set({{0, 100, 100, "ST380011A", "3.06", "5JV3ABCD"}});
    Tick();
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_EQ(Shown(0), 199u);
    EXPECT_EQ(Shown(2), 146u);
    EXPECT_STREQ(Record(2).szTip, "2:WDC WD800JB");

    // The shell's notification area comes back: the drives' icons with their pictures.
    SendMessageA(window_, client_->taskbarCreated, 0, 0);
    EXPECT_EQ(Shown(0), 199u);
    EXPECT_EQ(Shown(2), 146u);
    EXPECT_EQ(Record(1).hIcon, nullptr);
}

// The display's scaling changed: pictures made for another size are made again and shown,
// pictures that fit are kept.
TEST_F(PelitoApp, DisplayChangeRemakesPicturesOfAnotherSize)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}});
    UsePort(server.Port());
    Start();
    const int side = TrayPictureSide();
    ASSERT_EQ(client_->digits.Side(), side);
    const HICON fitting = client_->digits.Icon(38);
    SendMessageA(window_, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(client_->digits.Icon(38), fitting) << "pictures that fit stay";

    ASSERT_TRUE(client_->digits.Build("7SEG_G.KVX", side * 2));  // as if made before the change
    const int requests = server.Requests();
    SendMessageA(window_, WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(client_->digits.Side(), side);
    EXPECT_EQ(client_->trayIcons[0].SlotIcon(38), client_->digits.Icon(38));
    EXPECT_EQ(Record(0).hIcon, client_->digits.Icon(38)) << "the drive shows a remade picture";
    EXPECT_EQ(server.Requests(), requests + 1) << "asked again to show the new pictures";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(client_->digits.Icon(38), &info));
    BITMAP bits{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bits, &bits);
    EXPECT_EQ(bits.bmWidth, side);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
}

// Windows keeps the user's "show this icon" choice by program path and icon id: each
// drive slot's icon must come back under the same id at the next start.
TEST_F(PelitoApp, EachDriveIconHasTheSameIdAtEveryStart)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}, {3, 46, 52, "WDC WD800JB", "05.01C05", "WMAJ9"}});
    UsePort(server.Port());
    UINT firstIds[kDriveSlots] = {};
    Start();
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) firstIds[slot] = Record(slot).uID;
    Close();
    Start();
    std::set<UINT> distinct;
    for (unsigned slot = 0; slot < kDriveSlots; ++slot) {
        EXPECT_EQ(Record(slot).uID, firstIds[slot]) << "slot " << slot;
        distinct.insert(Record(slot).uID);
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kDriveSlots));
    EXPECT_EQ(Shown(3), 146u);
}

// A standard user cannot write the Windows folder: PELITO keeps its settings in the
// user's application-data folder and, the first time, takes over an older PELITO's file.
TEST_F(PelitoApp, SettingsOfAnOlderPelitoAreTakenOverOnceAndTheOldFileStays)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}});
    RemoveSettingsFiles();  // as on a PC where this PELITO never ran: no folder either
    WriteIni(kOldPelitoIni, kHost, "Port", server.Port());
    WriteIni(kOldPelitoIni, kHost, "TimeOut", 1);
    WriteIni(kOldPelitoIni, kHost, "Temp", 50);
    WriteIni(kOldPelitoIni, "192.168.0.9", "Timer", 120);  // another host's PELITO
    const std::string old = ReadIniText(kOldPelitoIni);
    Start();
    EXPECT_EQ(client_->settings.Temp, 50u);
    EXPECT_EQ(server.Requests(), 1) << "polled on the port of the old file";
    EXPECT_EQ(ReadIniText(kPelitoIni), old) << "every host's section came along";

    Close();
    WriteIni(kOldPelitoIni, kHost, "Temp", 60);  // the old file changed later: not taken again
    Start();
    EXPECT_EQ(client_->settings.Temp, 50u);
    EXPECT_NE(ReadIniText(kOldPelitoIni).find("Temp=60"), std::string::npos) << "the old file stays";
    EXPECT_EQ(ReadIniText(kPelitoIni), old);
}

// A 32-bit PELITO without a manifest had its writes to the Windows folder put into the
// user's virtual store by Windows: those are the settings its user saw.
TEST_F(PelitoApp, SettingsInTheVirtualStoreWinOverTheWindowsFolders)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}});
    RemoveSettingsFiles();
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    const std::string store = AppDataFolder(CSIDL_LOCAL_APPDATA) + "\\VirtualStore";
    const std::string storedWindows = store + (windows + 2);  // "C:\windows" without "C:"
    const std::string stored = storedWindows + "\\PELITO.INI";
    CreateDirectoryA(store.c_str(), nullptr);
    CreateDirectoryA(storedWindows.c_str(), nullptr);
    WriteIni(kOldPelitoIni, kHost, "Temp", 50);
    WriteIni(stored.c_str(), kHost, "Port", server.Port());
    WriteIni(stored.c_str(), kHost, "TimeOut", 1);
    WriteIni(stored.c_str(), kHost, "Temp", 55);
    Start();
    EXPECT_EQ(client_->settings.Temp, 55u);
    EXPECT_EQ(ReadIniText(kPelitoIni), ReadIniText(stored.c_str()));
    Close();
    DeleteFileA(stored.c_str());
    RemoveDirectoryA(storedWindows.c_str());
    RemoveDirectoryA(store.c_str());
}

// Asked three times, seconds apart with the message loop running, then the dialog says why.
TEST_F(PelitoApp, AHostThatDoesNotAnswerOpensTheSettingsDialogAtStartAndSaysWhy)
{
    SilentPort silent;
    UsePort(silent.Port());
    std::string title, problem;
    ModalScript script({[&](HWND dialog) {
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        title = text;
        problem = ModalScript::Text(dialog, IDC_START_PROBLEM);
        EXPECT_TRUE(SaveWindowPicture(dialog, "pelito_settings_no_answer.png"));
        ModalScript::Click(dialog, IDCANCEL);
    }});
    Start();
    EXPECT_FALSE(script.Finished()) << "not before the host was asked again";
    EXPECT_TRUE(PumpUntil([&] { return script.Finished(); }));
    EXPECT_EQ(title, "設定画面");
    EXPECT_EQ(problem, "127.0.0.1:" + std::to_string(silent.Port()) + " から応答がありません (3 回)");
    EXPECT_EQ(client_->startup.Tries(), kStartupTries);
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_EQ(client_->pollTimer, kPollTimerId);
    EXPECT_EQ(client_->settingsDialog, nullptr);
    EXPECT_EQ(Poll(), PollOutcome::NoAnswer);  // later polls fail without a message
    EXPECT_EQ(Record(0).hIcon, nullptr);
}

// A host whose first answer is lost is asked again: its drives show, and no dialog opens.
TEST_F(PelitoApp, AHostThatAnswersTheSecondTimeNeedsNoDialog)
{
    FakeReportServer server;
    server.Set({{0, 38, 41, "ST380011A", "3.06", "5JV3ABCD"}});
    server.IgnoreNext(1);
    UsePort(server.Port());
    Start();
    EXPECT_EQ(Record(0).hIcon, nullptr) << "the first poll went unanswered";
    EXPECT_TRUE(PumpUntil([&] { return client_->pollTimer != 0; }));
    EXPECT_EQ(server.Requests(), 2);
    EXPECT_EQ(client_->startup.Tries(), 2u);
    EXPECT_EQ(Shown(0), 38u);
    EXPECT_EQ(client_->settingsDialog, nullptr);
}

TEST_F(PelitoApp, FirstRunShowsTheDefaultsAndOkCreatesTheSection)
{
    // Nothing answers on the default port of an address nobody serves.
    std::string host, port, timeOut, timer, temp, iconFile;
    ModalScript script({[&](HWND dialog) {
        host = ModalScript::Text(dialog, IDC_HOST_EDIT);
        port = ModalScript::Text(dialog, IDC_PORT_EDIT);
        timeOut = ModalScript::Text(dialog, IDC_TIMEOUT_EDIT);
        timer = ModalScript::Text(dialog, IDC_TIMER_EDIT);
        temp = ModalScript::Text(dialog, IDC_TEMP_EDIT);
        iconFile = ModalScript::Text(dialog, IDC_ICON_FILE);
        EXPECT_TRUE(SaveWindowPicture(dialog, "pelito_settings_dialog.png"));
        ModalScript::Click(dialog, IDOK);
    }});
    Start("  127.0.0.1 ");
    // Three tries of three seconds each and the waits between them: longer than one pump.
    EXPECT_TRUE(PumpUntil([&] { return script.Finished(); }) || PumpUntil([&] { return script.Finished(); }));
    EXPECT_STREQ(client_->host, "127.0.0.1");
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, "10008");
    EXPECT_EQ(timeOut, "3");
    EXPECT_EQ(timer, "60");
    EXPECT_EQ(temp, "45");
    EXPECT_EQ(iconFile, "7SEG_G.KVX");
    EXPECT_EQ(ReadIniText(kPelitoIni),
        "[127.0.0.1]\r\nTimer=60\r\nPort=10008\r\nTimeOut=3\r\nTemp=45\r\nIconFile=7SEG_G.KVX\r\n"
        "[Common]\r\nLanguage=auto\r\n");
}

TEST_F(PelitoApp, UnknownTimerShowsMessage3)
{
    FakeReportServer server;
    UsePort(server.Port());
    Start();
    std::string shown;
    ModalScript script({[&](HWND box) {
        shown = ModalScript::BoxText(box);
        ModalScript::Click(box, IDOK);
    }});
    SendMessageA(window_, WM_TIMER, 0x1234, 0);
    EXPECT_EQ(shown, PelitoMessage(MSG_UNKNOWN_TIMER));
    EXPECT_TRUE(IsWindow(window_));
}

BOOL CALLBACK CollectErrorBox(HWND window, LPARAM list)
{
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && std::string(caption) == "エラー情報") {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

// The open error boxes of this thread.
std::vector<HWND> OpenErrorBoxes()
{
    std::vector<HWND> boxes;
    EnumThreadWindows(GetCurrentThreadId(), CollectErrorBox, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

// Polls go on while the box of a failed poll is open, and fail silently behind it.
TEST_F(PelitoApp, AFailingPollShowsOneBoxWhileItIsOpen)
{
    FakeReportServer server;
    UsePort(server.Port());
    Start();
    std::strcpy(client_->host, "no-such-host.invalid");  // the next polls fail at the look-up
    std::string shown;
    std::size_t open = 0;
    ModalScript script({
        [&](HWND box) {
            shown = ModalScript::BoxText(box);
            PostMessageA(window_, WM_TIMER, client_->pollTimer, 0);
            PostMessageA(window_, WM_TIMER, client_->pollTimer, 0);
        },
        [&](HWND) {},
        [&](HWND) {
            const std::vector<HWND> boxes = OpenErrorBoxes();
            open = boxes.size();
            for (HWND box : boxes) {
                ModalScript::Click(box, IDOK);
            }
        },
    });
    Tick();
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(shown, PelitoMessage(MSG_CLIENT_OPEN));
    EXPECT_EQ(open, 1u);
    EXPECT_TRUE(OpenErrorBoxes().empty());
}

TEST_F(PelitoApp, ExitCommandShutsDownInOrder)
{
    FakeReportServer server;
    server.Set({{1, 30, 30, "M", "F", "S"}});
    UsePort(server.Port());
    Start();
    EXPECT_EQ(WS32LIB_IsLoadDLL(), 1);
    Command(CMD_PELITO_EXIT);
    Pump(200);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(client_->pollTimer, 0u);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), 0);
    for (const TrayIcon& icon : client_->trayIcons) EXPECT_EQ(icon.SlotCount(), 0u);
    EXPECT_TRUE(client_->digits.Empty());
}

class PelitoSettingsDialog : public PelitoApp {
protected:
    void SetUp() override
    {
        PelitoApp::SetUp();
        server_ = std::make_unique<FakeReportServer>();
        server_->Set({{0, 40, 40, "M", "F", "S"}});
        UsePort(server_->Port());
        Start();
        ASSERT_TRUE(IsWindow(window_));
        firstIcon_ = client_->digits.Icon(0);
    }
    void TearDown() override
    {
        PelitoApp::TearDown();
        server_.reset();
    }
    void Run(std::vector<ModalScript::Step> steps)
    {
        ModalScript script(std::move(steps));
        Command(CMD_PELITO_SETTINGS);
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(client_->settingsDialog, nullptr);
    }
    std::unique_ptr<FakeReportServer> server_;
    HICON firstIcon_ = nullptr;
};

TEST_F(PelitoSettingsDialog, ChangingOnlyThePortSavesAllFiveKeysWithoutNewGlyphs)
{
    const int requests = server_->Requests();
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_PORT_EDIT, "10500");
        ModalScript::Click(dialog, IDOK);
    }});
    EXPECT_EQ(client_->settings.Port, 10500u);
    EXPECT_EQ(client_->digits.Icon(0), firstIcon_);
    EXPECT_EQ(ReadIniText(kPelitoIni), "[127.0.0.1]\r\nPort=10500\r\nTimeOut=1\r\nTimer=60\r\nTemp=45\r\nIconFile=7SEG_G.KVX\r\n"
        "[Common]\r\nLanguage=auto\r\n");
    EXPECT_EQ(ReadIniText(kOldPelitoIni), "") << "nothing goes to the Windows folder";
    EXPECT_EQ(server_->Requests(), requests);  // the poll after the dialog went to the new port
    EXPECT_EQ(client_->pollTimer, kPollTimerId);
}

// A PELITO.INI that cannot be written: the box names it and the dialog stays open with
// what was entered. A folder in its place refuses the write whoever runs the test (the
// read-only attribute does not stop an administrator or root).
TEST_F(PelitoSettingsDialog, ARefusedSaveNamesTheFileAndKeepsTheDialogOpen)
{
    const std::string path = IniPath(kPelitoIni);
    ASSERT_TRUE(DeleteFileA(path.c_str()));
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    std::string shown, portAfterBox;
    Run({[&](HWND dialog) {
             SetDlgItemTextA(dialog, IDC_PORT_EDIT, "10500");
             ModalScript::Click(dialog, IDOK);
         },
         [&](HWND box) {
             shown = ModalScript::BoxText(box);
             EXPECT_TRUE(SaveWindowPicture(box, "pelito_settings_not_written.png"));
             ModalScript::Click(box, IDOK);
         },
         [&](HWND dialog) {
             portAfterBox = ModalScript::Text(dialog, IDC_PORT_EDIT);
             ModalScript::Click(dialog, IDCANCEL);
         }});
    EXPECT_TRUE(RemoveDirectoryA(path.c_str())) << "nothing was written into its place";
    EXPECT_EQ(shown, "ファイルへの書き込みに失敗しました。\r\n" + path);
    EXPECT_EQ(portAfterBox, "10500");
}

TEST_F(PelitoSettingsDialog, TheWarningArrowsStopAt10And70)
{
    std::string low, high;
    Run({[&](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_TEMP_EDIT);
        for (int i = 0; i < 80; ++i) SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
        low = ModalScript::Text(dialog, IDC_TEMP_EDIT);
        for (int i = 0; i < 80; ++i) SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
        high = ModalScript::Text(dialog, IDC_TEMP_EDIT);
        ModalScript::Click(dialog, IDOK);
    }});
    EXPECT_EQ(low, "10");
    EXPECT_EQ(high, "70");
    EXPECT_EQ(client_->settings.Temp, 70u);
}

TEST_F(PelitoSettingsDialog, GlyphFileChoices)
{
    std::FILE* text = std::fopen("NOTGLYPH.KVX", "wb");
    std::fputs("not a module", text);
    std::fclose(text);
    // The same file again: nothing is rebuilt.
    Run({[&](HWND dialog) { ModalScript::Click(dialog, IDOK); }});
    EXPECT_EQ(client_->digits.Icon(0), firstIcon_);
    // Cancel after choosing another file.
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ICON_FILE, "NO543.KVX");
        ModalScript::Click(dialog, IDCANCEL);
    }});
    EXPECT_STREQ(client_->settings.IconFile, "7SEG_G.KVX");
    EXPECT_EQ(client_->digits.Icon(0), firstIcon_);
    // Not a glyph file: message 1 over the dialog, the icons keep their pictures.
    std::string shown;
    Run({[&](HWND dialog) {
             SetDlgItemTextA(dialog, IDC_ICON_FILE, "NOTGLYPH.KVX");
             ModalScript::Click(dialog, IDOK);
         },
        [&](HWND box) {
            shown = ModalScript::BoxText(box);
            ModalScript::Click(box, IDOK);
        }});
    EXPECT_EQ(shown, PelitoMessage(MSG_GLYPHS_FAILED));
    EXPECT_STREQ(client_->settings.IconFile, "7SEG_G.KVX");
    EXPECT_EQ(client_->digits.Icon(0), firstIcon_);
    EXPECT_EQ(Record(0).hIcon, client_->digits.Icon(40));
    // Another glyph file: every icon gets the new pictures.
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_ICON_FILE, "NO543.KVX");
        ModalScript::Click(dialog, IDOK);
    }});
    EXPECT_STREQ(client_->settings.IconFile, "NO543.KVX");
    EXPECT_NE(client_->digits.Icon(0), firstIcon_);
    EXPECT_EQ(client_->trayIcons[7].SlotIcon(0), client_->digits.Icon(0));
    EXPECT_EQ(Record(0).hIcon, client_->digits.Icon(40));
}

TEST_F(PelitoSettingsDialog, ANewHostIsPolledAndSavedUnderItsOwnSection)
{
    Run({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_HOST_EDIT, "localhost");
        ModalScript::Click(dialog, IDOK);
    }});
    EXPECT_STREQ(client_->host, "localhost");
    const std::string ini = ReadIniText(kPelitoIni);
    EXPECT_NE(ini.find("[localhost]\r\nTimer=60\r\nPort=" + std::to_string(server_->Port()) +
                       "\r\nTimeOut=1\r\nTemp=45\r\nIconFile=7SEG_G.KVX\r\n"),
        std::string::npos)
        << ini;
}

TEST_F(PelitoSettingsDialog, RightClickWhileItIsOpenBringsItForwardInsteadOfTheMenu)
{
    bool menuShown = true;
    Run({[&](HWND dialog) {
        SendMessageA(window_, kFirstTrayCallback + 3, 0, WM_RBUTTONDOWN);
        menuShown = FindWindowA("#32768", nullptr) != nullptr && IsWindowVisible(FindWindowA("#32768", nullptr));
        ModalScript::Click(dialog, IDCANCEL);
    }});
    EXPECT_FALSE(menuShown);
}

TEST_F(PelitoApp, AboutDialogShowsTheVersionResource)
{
    FakeReportServer server;
    UsePort(server.Port());
    Start();
    std::string description, version, copyright;
    ModalScript script({[&](HWND dialog) {
        description = ModalScript::Text(dialog, IDC_ABOUT_DESCRIPTION);
        version = ModalScript::Text(dialog, IDC_ABOUT_VERSION);
        copyright = ModalScript::Text(dialog, IDC_ABOUT_COPYRIGHT);
        EXPECT_TRUE(SaveWindowPicture(dialog, "pelito_about_dialog.png"));
        ModalScript::Click(dialog, IDOK);
    }});
    Command(CMD_PELITO_ABOUT);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(description, "PELITO ハードディスク温度トレイクライアント");
    EXPECT_EQ(version, "Version " KV_VERSION_TEXT);
    EXPECT_EQ(copyright, KV_LEGAL_COPYRIGHT);
    EXPECT_EQ(client_->aboutDialog, nullptr);
    EXPECT_EQ(client_->titleFont.Handle(), nullptr);
}

}  // namespace
