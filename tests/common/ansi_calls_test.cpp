// No user text passes through an ANSI call: on a Windows whose code page is not 932 it
// would turn into other characters. The programs' sources are read and every call (or
// call by name) of an ANSI function that carries a text, and every ANSI message send
// with a text message, is reported with its file and line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::regex kTextCalls(
    "\\b(SetWindowTextA|GetWindowTextA|SetDlgItemTextA|GetDlgItemTextA|MessageBoxA|MessageBoxExA|"
    "MessageBoxIndirectA|AppendMenuA|InsertMenuA|InsertMenuItemA|ModifyMenuA|SetMenuItemInfoA|"
    "Shell_NotifyIconA|DrawTextA|DrawTextExA|TextOutA|ExtTextOutA|GetOpenFileNameA|GetSaveFileNameA|"
    "DialogBoxParamA|DialogBoxIndirectParamA|CreateDialogParamA|CreateDialogIndirectParamA|"
    "LoadStringA|wsprintfA)\\b");
const std::regex kTextSends(
    "\\b(SendMessageA|SendDlgItemMessageA|PostMessageA)\\b.*\\b(WM_SETTEXT|WM_GETTEXT|CB_ADDSTRING|"
    "CB_INSERTSTRING|CB_GETLBTEXT|CB_FINDSTRING|LB_ADDSTRING|LB_INSERTSTRING|LB_GETTEXT|LVM_INSERTCOLUMNA|"
    "LVM_SETCOLUMNA|LVM_INSERTITEMA|LVM_SETITEMA|LVM_SETITEMTEXTA|LVM_GETITEMTEXTA|TTM_ADDTOOLA|"
    "TTM_UPDATETIPTEXTA|TCM_INSERTITEMA|TCM_SETITEMA|SB_SETTEXTA)\\b");

std::vector<std::string> AnsiTextCalls(const std::filesystem::path& root)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        std::ifstream file(entry.path());
        std::string line;
        for (unsigned number = 1; std::getline(file, line); ++number) {
            const std::string code = line.substr(0, line.find("//"));
            if (std::regex_search(code, kTextCalls) || std::regex_search(code, kTextSends)) {
                found.push_back(entry.path().string() + ":" + std::to_string(number) + ": " + line);
            }
        }
    }
    return found;
}

TEST(AnsiCalls, NoneCarriesAUserText)
{
    for (const char* folder : {"common", "monitor", "trayclient", "query"}) {
        for (const std::string& call : AnsiTextCalls(std::filesystem::path(KV_SOURCE_DIR) / folder)) {
            ADD_FAILURE() << call;
        }
    }
}

// The scan itself finds what it is meant to, and leaves comments alone.
TEST(AnsiCalls, TheScanSeesTheCallsItLooksFor)
{
    EXPECT_TRUE(std::regex_search("    SetDlgItemTextA(dialog, IDC_LOG_FILE, path);", kTextCalls));
    EXPECT_TRUE(std::regex_search("dialogs.Find<Call>(\"GetOpenFileNameA\");", kTextCalls));
    EXPECT_TRUE(std::regex_search("SendDlgItemMessageA(dialog, c, CB_ADDSTRING, 0, text);", kTextSends));
    EXPECT_FALSE(std::regex_search("SendDlgItemMessageA(dialog, c, CB_SETCURSEL, 0, 0);", kTextSends));
    EXPECT_FALSE(std::regex_search("SetDlgItemTextW(dialog, c, text);", kTextCalls));
}

}  // namespace
