// The Windows ways out: WinHTTP for the web request (the system's TLS and certificate
// store: certificates are always checked, and a test CA must be trusted by Windows), and
// CreateProcessW of the command shell with an environment block for the command.
#include "notify_transport.h"

#include "wide_text_win.h"

#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <cwchar>

namespace {

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty()) {
        return std::wstring();
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    }
    return wide;
}

std::string ErrorText(DWORD error)
{
    const char* what = nullptr;
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT: what = "timed out"; break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: what = "host name not found"; break;
    case ERROR_WINHTTP_CANNOT_CONNECT: what = "could not connect"; break;
    case ERROR_WINHTTP_CONNECTION_ERROR: what = "connection broken"; break;
    case ERROR_WINHTTP_SECURE_FAILURE: what = "TLS failed or the certificate is not trusted"; break;
    case ERROR_WINHTTP_OPERATION_CANCELLED: what = "stopped"; break;
    case ERROR_WINHTTP_INVALID_URL: what = "not a valid URL"; break;
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: what = "not http or https"; break;
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: what = "not an HTTP answer"; break;
    default: break;
    }
    return "WinHTTP error " + std::to_string(error) + (what != nullptr ? std::string(": ") + what : std::string());
}

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle()
    {
        if (handle_ != nullptr) {
            WinHttpCloseHandle(handle_);
        }
    }
    HINTERNET Get() const { return handle_; }
    // Closed from the stopping thread: a closed request ends the call waiting on it.
    void CloseNow()
    {
        WinHttpCloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HINTERNET handle_;
};

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    void Close()
    {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        handle_ = nullptr;
    }
    HANDLE Get() const { return handle_; }
    HANDLE* Put() { return &handle_; }

private:
    HANDLE handle_;
};

std::string FirstLine(const std::string& text)
{
    std::string line;
    for (const char c : text) {
        if (c == '\n' || c == '\r' || line.size() >= 200) {
            break;
        }
        const unsigned char byte = static_cast<unsigned char>(c);
        line += (byte >= 0x20 && byte <= 0x7E) ? c : '?';
    }
    return line;
}

void ReadAvailable(HANDLE pipe, std::string& output)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available != 0) {
        char buffer[512];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) {
            return;
        }
        if (output.size() < 4096) {
            output.append(buffer, got);
        }
    }
}

// This program's environment without older KELVIX_ values, then the event's, as the
// block CreateProcessW takes.
std::wstring EnvironmentBlock(const std::vector<std::string>& environment)
{
    std::wstring block;
    wchar_t* own = GetEnvironmentStringsW();
    for (const wchar_t* entry = own; entry != nullptr && *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        if (_wcsnicmp(entry, L"KELVIX_", 7) != 0) {
            block += entry;
            block += L'\0';
        }
    }
    if (own != nullptr) {
        FreeEnvironmentStringsW(own);
    }
    for (const std::string& entry : environment) {
        block += WideFromUtf8(entry);
        block += L'\0';
    }
    block += L'\0';
    return block;
}

}  // namespace

WebOutcome SendWebRequest(const WebRequest& request, CancelToken& cancel)
{
    WebOutcome outcome;
    std::wstring url = WideFromUtf8(request.url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
        outcome.error = ErrorText(GetLastError());
        return outcome;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) {
        path = L"/";
    }
    InternetHandle session(WinHttpOpen(L"kelvix-notify", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (session.Get() == nullptr) {
        outcome.error = ErrorText(GetLastError());
        return outcome;
    }
    const int timeout = static_cast<int>(request.timeoutMs);
    WinHttpSetTimeouts(session.Get(), timeout, timeout, timeout, timeout);
    InternetHandle connection(WinHttpConnect(session.Get(), host.c_str(), parts.nPort, 0));
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    const std::wstring method = WideFromUtf8(request.method);
    InternetHandle call(connection.Get() == nullptr
                            ? nullptr
                            : WinHttpOpenRequest(connection.Get(), method.c_str(), path.c_str(), nullptr,
                                                 WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                 secure ? WINHTTP_FLAG_SECURE : 0));
    if (call.Get() == nullptr) {
        outcome.error = ErrorText(GetLastError());
        return outcome;
    }
    std::wstring headers = L"Content-Type: " + WideFromUtf8(request.contentType) + L"\r\n";
    for (const std::string& line : request.headers) {
        headers += WideFromCp932(line.c_str()) + L"\r\n";
    }
    // Closing the request from the stopping thread ends a call that waits for the server;
    // the call's handle is read before, and the break-off cleared after, so the close
    // never meets our own.
    const HINTERNET callHandle = call.Get();
    if (!cancel.SetBreakOff([&call]() { call.CloseNow(); })) {
        outcome.error = "stopped";
        return outcome;
    }
    const BOOL sent = WinHttpSendRequest(callHandle, headers.c_str(), static_cast<DWORD>(-1L),
                                         const_cast<char*>(request.body.data()),
                                         static_cast<DWORD>(request.body.size()),
                                         static_cast<DWORD>(request.body.size()), 0)
                      && WinHttpReceiveResponse(callHandle, nullptr);
    const DWORD error = sent ? 0 : GetLastError();
    cancel.ClearBreakOff();
    if (!sent || call.Get() == nullptr) {
        outcome.error = cancel.Cancelled() ? std::string("stopped") : ErrorText(error);
        return outcome;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(call.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        outcome.error = ErrorText(GetLastError());
        return outcome;
    }
    outcome.status = static_cast<long>(status);
    outcome.delivered = status >= 200 && status < 300;
    return outcome;
}

CommandOutcome RunNotifyCommand(const std::string& command, const std::vector<std::string>& environment,
                                 unsigned timeoutMs, CancelToken& cancel)
{
    CommandOutcome outcome;
    wchar_t shell[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH) == 0 || GetEnvironmentVariableW(L"ComSpec", shell, MAX_PATH) >= MAX_PATH) {
        std::wcscpy(shell, L"cmd.exe");
    }
    std::wstring line = L"\"" + std::wstring(shell) + L"\" /d /s /c \"" + WideFromCp932(command.c_str()) + L"\"";
    std::wstring block = EnvironmentBlock(environment);

    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle readEnd;
    Handle writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0)) {
        outcome.error = "pipe: error " + std::to_string(GetLastError());
        return outcome;
    }
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr));
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = input.Get();
    start.hStdOutput = writeEnd.Get();
    start.hStdError = writeEnd.Get();
    PROCESS_INFORMATION process{};
    // A job ends whatever the command started when its time is up.
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job.Get() != nullptr) {
        SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | CREATE_SUSPENDED, &block[0], nullptr, &start,
                        &process)) {
        outcome.error = "error " + std::to_string(GetLastError());
        return outcome;
    }
    Handle processHandle(process.hProcess);
    Handle thread(process.hThread);
    if (job.Get() != nullptr) {
        AssignProcessToJobObject(job.Get(), process.hProcess);
    }
    ResumeThread(process.hThread);
    writeEnd.Close();  // the pipe ends when the command's copies close
    outcome.started = true;

    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool exited = false;
    while (!exited) {
        if (cancel.Cancelled() || std::chrono::steady_clock::now() >= deadline) {
            if (job.Get() != nullptr) {
                TerminateJobObject(job.Get(), 1);
            }
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            outcome.timedOut = !cancel.Cancelled();
            if (cancel.Cancelled()) {
                outcome.error = "stopped";
            }
            break;
        }
        exited = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
        ReadAvailable(readEnd.Get(), output);
    }
    ReadAvailable(readEnd.Get(), output);
    outcome.firstLine = FirstLine(output);
    DWORD status = 0;
    if (exited && GetExitCodeProcess(process.hProcess, &status)) {
        outcome.exitStatus = static_cast<int>(status);
        outcome.delivered = status == 0;
    }
    return outcome;
}

std::string ThisHostName()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) {
        return "localhost";
    }
    return name;
}
