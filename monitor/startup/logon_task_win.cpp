#include "logon_task_win.h"

#include "logon_task_xml.h"

#include <windows.h>
#include <oleauto.h>
#include <sddl.h>
#include <taskschd.h>

#include <vector>

namespace {

// One COM interface pointer, released when it goes.
template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ~ComPointer()
    {
        if (pointer_) {
            pointer_->Release();
        }
    }
    Interface** Out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }
    Interface& operator*() const { return *pointer_; }

private:
    Interface* pointer_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }
    BSTR Get() const { return text_; }
    BSTR* Out() { return &text_; }

private:
    BSTR text_ = nullptr;
};

// An empty VARIANT: what the optional arguments take to mean "none".
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }
    VARIANT Get() const { return value_; }

private:
    VARIANT value_;
};

// COM for this thread for one call; a thread already in another apartment keeps it.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope()
    {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }

private:
    HRESULT result_;
};

std::wstring WideFromUtf8(const std::string& text)
{
    if (text.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], static_cast<int>(wide.size()));
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t length)
{
    if (length == 0) {
        return std::string();
    }
    const int size = static_cast<int>(length);
    std::string narrow(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, size, &narrow[0], static_cast<int>(narrow.size()), nullptr, nullptr);
    return narrow;
}

// The signed-in user's SID: a logon trigger and a principal both take it, and unlike a
// name it needs no domain.
std::string CurrentUserSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return std::string();
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::string sid;
    if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        LPWSTR text = nullptr;
        if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
            sid = Utf8FromWide(text, wcslen(text));
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sid;
}

// The root folder of a connected Task Scheduler.
HRESULT RootFolder(ComPointer<ITaskService>& service, ComPointer<ITaskFolder>& folder)
{
    HRESULT result = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
        reinterpret_cast<void**>(service.Out()));
    if (FAILED(result)) {
        return result;
    }
    const Variant none;
    result = service->Connect(none.Get(), none.Get(), none.Get(), none.Get());
    if (FAILED(result)) {
        return result;
    }
    const Bstr root(L"\\");
    return service->GetFolder(root.Get(), folder.Out());
}

const std::wstring& TaskName()
{
    static const std::wstring name = WideFromUtf8(kLogonTaskName);
    return name;
}

HRESULT Register(ITaskFolder& folder)
{
    const std::string xml = LogonTaskXml({ThisProgramPath(), CurrentUserSid()});
    const Bstr name(TaskName());
    const Bstr text(WideFromUtf8(xml));
    const Variant none;
    ComPointer<IRegisteredTask> task;
    return folder.RegisterTask(name.Get(), text.Get(), TASK_CREATE_OR_UPDATE, none.Get(), none.Get(),
        TASK_LOGON_INTERACTIVE_TOKEN, none.Get(), task.Out());
}

HRESULT Remove(ITaskFolder& folder)
{
    const Bstr name(TaskName());
    return folder.DeleteTask(name.Get(), 0);
}

}  // namespace

std::string ThisProgramPath()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            return Utf8FromWide(path.data(), length);
        }
        path.resize(path.size() * 2);
    }
}

LogonTaskState CurrentLogonTaskState()
{
    const ComScope com;
    ComPointer<ITaskService> service;
    ComPointer<ITaskFolder> folder;
    if (FAILED(RootFolder(service, folder))) {
        return LogonTaskState::Absent;
    }
    const Bstr name(TaskName());
    ComPointer<IRegisteredTask> task;
    if (FAILED(folder->GetTask(name.Get(), task.Out()))) {
        return LogonTaskState::Absent;
    }
    Bstr xml;
    const std::string program =
        SUCCEEDED(task->get_Xml(xml.Out())) && xml.Get() ? LogonTaskProgram(Utf8FromWide(xml.Get(), SysStringLen(xml.Get()))) : "";
    return LogonTaskStateOf(true, program, ThisProgramPath());
}

std::uint32_t ApplyLogonTaskStep(LogonTaskStep step)
{
    if (step == LogonTaskStep::None) {
        return 0;
    }
    const ComScope com;
    ComPointer<ITaskService> service;
    ComPointer<ITaskFolder> folder;
    HRESULT result = RootFolder(service, folder);
    if (SUCCEEDED(result)) {
        result = step == LogonTaskStep::Register ? Register(*folder) : Remove(*folder);
    }
    return SUCCEEDED(result) ? 0 : static_cast<std::uint32_t>(result);
}
