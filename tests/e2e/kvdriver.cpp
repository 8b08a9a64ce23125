// kvdriver: drives the real programs from outside, the way the shell and a user would.
// Each call does one thing and exits 0 on success, 1 on failure, 2 on bad usage:
//
//   kvdriver wait-window CLASS TITLE MS      wait until a top-level window exists
//   kvdriver wait-gone CLASS TITLE MS        wait until it is gone
//   kvdriver command ID                      post WM_COMMAND ID to the KELVIX main window
//   kvdriver command-times ID COUNT          send it COUNT times, each handled before the next
//   kvdriver message MSG WPARAM LPARAM       post a message to the KELVIX main window
//   kvdriver tray-click MSG                  post the tray callback (32770) with mouse MSG
//   kvdriver taskbar-created                 broadcast "TaskbarCreated" to KELVIX
//   kvdriver clipboard                       print the clipboard text (CF_TEXT bytes)
//   kvdriver clipboard-unicode               print the clipboard's CF_UNICODETEXT in UTF-8
//   kvdriver clear-clipboard                 empty the clipboard
//   kvdriver foreground                      print the foreground window's class<TAB>title
//   kvdriver boxes                           list visible dialog boxes: caption<TAB>text
//   kvdriver wait-box CAPTION MS             wait for a dialog box with that caption, print its text
//   kvdriver dismiss-boxes                   press OK on every visible message box
//   kvdriver process-count EXE               print how many processes run EXE
//   kvdriver dialog-get-text TITLE ID        print the text of control ID in dialog TITLE
//   kvdriver dialog-set-text TITLE ID TEXT   set it
//   kvdriver dialog-click TITLE ID           click button ID
//   kvdriver trust-ca PEM | distrust-ca PEM  add (remove) a CA to (from) the machine's ROOT store
//   kvdriver dialog-checked TITLE ID         print 1 or 0 for a check box
//   kvdriver dialog-enabled TITLE ID         print 1 or 0: whether control ID can be used
//   kvdriver windows CLASS                   print the texts of visible windows of CLASS
//   kvdriver key VK                          press and release a virtual key (27 = Escape)
//   kvdriver hold-port PORT MS               bind UDP PORT on every address, keep it MS, print "bound"
//   kvdriver post CLASS TITLE MSG WPARAM LPARAM  post a message to another program's top-level window
//                                            (TITLE "*": any title)
//   kvdriver dialog-select TITLE ID INDEX    choose line INDEX of the drop-down list ID
//   kvdriver client-rect CLASS               print "x y width height" of the window's client area
//   kvdriver mouse-move X Y                  move the mouse pointer to screen point (X, Y)
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kMonitorClass[] = "ORVALD_MONITOR";
const char kMonitorTitle[] = "ORVALD MONITOR";
const UINT kTrayCallback = 32770;

HWND Monitor() { return FindWindowA(kMonitorClass, kMonitorTitle); }

bool WaitFor(bool wantPresent, const char* cls, const char* title, DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const bool present = FindWindowA(cls, title) != nullptr;
        if (present == wantPresent)
            return true;
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(50);
    }
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

struct BoxSearch {
    const char* caption;  // null: every box
    bool print;
    bool press;
    int found;
};

// A message box is a dialog (#32770) whose static with id 0xFFFF holds the text.
BOOL CALLBACK VisitBox(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<BoxSearch*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    const std::string caption = WindowText(window);
    if (search->caption && caption != search->caption)
        return TRUE;
    HWND textControl = GetDlgItem(window, 0xFFFF);
    const std::string text = textControl ? WindowText(textControl) : "";
    ++search->found;
    if (search->print)
        std::printf("%s\t%s\n", caption.c_str(), text.c_str());
    if (search->press)
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

int Boxes(const char* caption, bool print, bool press)
{
    BoxSearch search = {caption, print, press, 0};
    EnumWindows(VisitBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Prints the clipboard's text in `format` (CF_TEXT: its bytes; CF_UNICODETEXT: in UTF-8).
int Clipboard(UINT format)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(nullptr)) {
            HANDLE data = GetClipboardData(format);
            int rc = 1;
            if (const void* text = data ? GlobalLock(data) : nullptr) {
                std::string bytes;
                if (format == CF_UNICODETEXT) {
                    const auto* wide = static_cast<const wchar_t*>(text);
                    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
                    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 1);
                    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &bytes[0], size, nullptr, nullptr);
                    bytes.resize(bytes.size() - 1);  // the terminating zero
                } else {
                    bytes = static_cast<const char*>(text);
                }
                std::fwrite(bytes.data(), 1, bytes.size(), stdout);
                GlobalUnlock(data);
                rc = 0;
            }
            CloseClipboard();
            return rc;
        }
        Sleep(50);
    }
    return 1;
}

int ClearClipboard()
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(nullptr)) {
            const bool emptied = EmptyClipboard() != 0;
            CloseClipboard();
            return emptied ? 0 : 1;
        }
        Sleep(50);
    }
    return 1;
}

int ProcessCount(const char* exe)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (lstrcmpiA(entry.szExeFile, exe) == 0)
            ++count;
    CloseHandle(snapshot);
    return count;
}

unsigned long Number(const char* text) { return std::strtoul(text, nullptr, 0); }

// The control `id` of the dialog titled `title`, once the dialog is shown: a dialog exists
// before its controls and WM_INITDIALOG, and a click posted then is lost. Waits up to 10 s.
HWND DialogItem(const char* title, const char* id)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = FindWindowA("#32770", title);
        HWND item = dialog && IsWindowVisible(dialog) ? GetDlgItem(dialog, static_cast<int>(Number(id))) : nullptr;
        if (item || GetTickCount() - start >= 10000)
            return item;
        Sleep(50);
    }
}

struct ClassSearch {
    const char* cls;
    int found;
};

BOOL CALLBACK VisitClass(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ClassSearch*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, search->cls) == 0 && IsWindowVisible(window)) {
        ++search->found;
        std::printf("%s\n", WindowText(window).c_str());
    }
    return TRUE;
}

// Keeps a UDP port taken, the way another server on the machine would.
int HoldPort(unsigned long port, DWORD ms)
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 1;
    SOCKET holder = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    const bool bound = holder != INVALID_SOCKET &&
                       bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (bound) {
        std::printf("bound\n");
        std::fflush(stdout);
        Sleep(ms);
    }
    if (holder != INVALID_SOCKET)
        closesocket(holder);
    WSACleanup();
    return bound ? 0 : 1;
}

// A test CA in the prefix's trusted roots (HKLM ROOT): Wine has no certutil.
int TrustCa(const char* path, bool trust)
{
    char pem[16384] = {};
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return 1;
    const size_t size = std::fread(pem, 1, sizeof pem - 1, file);
    std::fclose(file);
    BYTE der[8192];
    DWORD derSize = sizeof der;
    if (!CryptStringToBinaryA(pem, static_cast<DWORD>(size), CRYPT_STRING_BASE64HEADER, der, &derSize, nullptr,
                              nullptr))
        return 1;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!root)
        return 1;
    PCCERT_CONTEXT added = nullptr;
    BOOL done = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der, derSize, CERT_STORE_ADD_REPLACE_EXISTING,
                                                 &added);
    if (done && !trust)
        done = CertDeleteCertificateFromStore(added);  // frees `added`
    else if (added)
        CertFreeCertificateContext(added);
    CertCloseStore(root, 0);
    return done ? 0 : 1;
}

int Usage()
{
    std::fprintf(stderr, "kvdriver: see the comment at the top of kvdriver.cpp for the calls\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    _setmode(_fileno(stdout), _O_BINARY);  // clipboard bytes go out as they are
    const std::string call = argv[1];
    if ((call == "wait-window" || call == "wait-gone") && argc == 5)
        return WaitFor(call == "wait-window", argv[2], argv[3], Number(argv[4])) ? 0 : 1;
    if (call == "command" && argc == 3) {
        HWND monitor = Monitor();
        return monitor && PostMessageA(monitor, WM_COMMAND, Number(argv[2]), 0) ? 0 : 1;
    }
    if (call == "command-times" && argc == 4) {
        HWND monitor = Monitor();
        for (DWORD i = 0; monitor && i < Number(argv[3]); ++i) {
            if (!SendMessageTimeoutA(monitor, WM_COMMAND, Number(argv[2]), 0, SMTO_NORMAL, 10000, nullptr))
                return 1;
        }
        return monitor ? 0 : 1;
    }
    if (call == "message" && argc == 5) {
        HWND monitor = Monitor();
        return monitor && PostMessageA(monitor, Number(argv[2]), Number(argv[3]), Number(argv[4])) ? 0 : 1;
    }
    if (call == "tray-click" && argc == 3) {
        HWND monitor = Monitor();
        return monitor && PostMessageA(monitor, kTrayCallback, 0, Number(argv[2])) ? 0 : 1;
    }
    if (call == "taskbar-created" && argc == 2) {
        HWND monitor = Monitor();
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        return monitor && PostMessageA(monitor, message, 0, 0) ? 0 : 1;
    }
    if (call == "clipboard" && argc == 2)
        return Clipboard(CF_TEXT);
    if (call == "clipboard-unicode" && argc == 2)
        return Clipboard(CF_UNICODETEXT);
    if (call == "clear-clipboard" && argc == 2)
        return ClearClipboard();
    if (call == "foreground" && argc == 2) {
        HWND window = GetForegroundWindow();
        if (!window)
            return 1;
        char cls[128] = {};
        GetClassNameA(window, cls, sizeof cls);
        std::printf("%s\t%s\n", cls, WindowText(window).c_str());
        return 0;
    }
    if (call == "boxes" && argc == 2) {
        Boxes(nullptr, true, false);
        return 0;
    }
    if (call == "wait-box" && argc == 4) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < Number(argv[3])) {
            if (Boxes(argv[2], true, false) > 0)
                return 0;
            Sleep(100);
        }
        return 1;
    }
    if (call == "dismiss-boxes" && argc == 2) {
        Boxes(nullptr, false, true);
        return 0;
    }
    if (call == "process-count" && argc == 3) {
        const int count = ProcessCount(argv[2]);
        std::printf("%d\n", count);
        return count < 0 ? 1 : 0;
    }
    if (call == "dialog-get-text" && argc == 4) {
        HWND item = DialogItem(argv[2], argv[3]);
        if (!item)
            return 1;
        std::printf("%s\n", WindowText(item).c_str());
        return 0;
    }
    if (call == "dialog-set-text" && argc == 5) {
        HWND item = DialogItem(argv[2], argv[3]);
        return item && SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                                           SMTO_ABORTIFHUNG, 2000, nullptr) ? 0 : 1;
    }
    if (call == "dialog-click" && argc == 4) {
        HWND item = DialogItem(argv[2], argv[3]);
        return item && PostMessageA(item, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (call == "dialog-checked" && argc == 4) {
        HWND item = DialogItem(argv[2], argv[3]);
        if (!item)
            return 1;
        DWORD_PTR state = 0;
        SendMessageTimeoutA(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        std::printf("%d\n", state == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (call == "dialog-enabled" && argc == 4) {
        HWND item = DialogItem(argv[2], argv[3]);
        if (!item)
            return 1;
        std::printf("%d\n", IsWindowEnabled(item) ? 1 : 0);
        return 0;
    }
    if (call == "key" && argc == 3) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(Number(argv[2]));
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        return SendInput(2, input, sizeof(INPUT)) == 2 ? 0 : 1;
    }
    if ((call == "trust-ca" || call == "distrust-ca") && argc == 3)
        return TrustCa(argv[2], call == "trust-ca");
    if (call == "hold-port" && argc == 4)
        return HoldPort(Number(argv[2]), Number(argv[3]));
    if (call == "post" && argc == 7) {
        // A title of "*": the first window of the class, whatever its title.
        HWND target = FindWindowA(argv[2], std::strcmp(argv[3], "*") == 0 ? nullptr : argv[3]);
        return target && PostMessageA(target, Number(argv[4]), Number(argv[5]), Number(argv[6])) ? 0 : 1;
    }
    if (call == "dialog-select" && argc == 5) {
        // As a user's choice in a drop-down list: the line, then the dialog told of it.
        HWND item = DialogItem(argv[2], argv[3]);
        if (!item || SendMessageA(item, CB_SETCURSEL, Number(argv[4]), 0) == CB_ERR)
            return 1;
        const WPARAM notice = MAKEWPARAM(static_cast<WORD>(Number(argv[3])), CBN_SELCHANGE);
        return SendMessageTimeoutA(GetParent(item), WM_COMMAND, notice, reinterpret_cast<LPARAM>(item),
                                   SMTO_ABORTIFHUNG, 5000, nullptr) ? 0 : 1;
    }
    if (call == "client-rect" && argc == 3) {
        // The client area of the first visible window of the class, on the screen: x y w h.
        HWND target = FindWindowA(argv[2], nullptr);
        RECT rect{};
        if (!target || !IsWindowVisible(target) || !GetClientRect(target, &rect))
            return 1;
        POINT origin{0, 0};
        ClientToScreen(target, &origin);
        std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, rect.right, rect.bottom);
        return 0;
    }
    if (call == "mouse-move" && argc == 4) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>(Number(argv[2]) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
        input.mi.dy = static_cast<LONG>(Number(argv[3]) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return SendInput(1, &input, sizeof input) == 1 ? 0 : 1;
    }
    if (call == "windows" && argc == 3) {
        ClassSearch search = {argv[2], 0};
        EnumWindows(VisitClass, reinterpret_cast<LPARAM>(&search));
        return search.found > 0 ? 0 : 1;
    }
    return Usage();
}
