#include "notify_dialog_win.h"

#include "app_state_win.h"
#include "error_box_win.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "notifier.h"
#include "settings.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <memory>
#include <string>
#include <thread>

namespace {

// The test's answer, posted by its thread with the result text on the heap.
constexpr UINT kTestDoneMessage = WM_APP + 30;

constexpr int kHeaderControls[kNotifyHeaderCount] = {IDC_NOTIFY_HEADER1, IDC_NOTIFY_HEADER2, IDC_NOTIFY_HEADER3};

// One dialog at a time: the settings shown, and the test running beside the dialog.
struct DialogState {
    NotifySettings shown;  // with the real (unmasked) values
    std::thread test;
    CancelToken cancel;
};
DialogState* g_state = nullptr;

// Every text of the dialog, by control id, in the program's language.
void ShowTexts(HWND dialog)
{
    struct Label {
        int control;
        KelvixText text;
    };
    static constexpr Label kLabels[] = {
        {IDC_NOTIFY_URL_LABEL, KelvixText::NotifyUrlLabel},     {IDC_NOTIFY_METHOD_LABEL, KelvixText::NotifyMethodLabel},
        {IDC_NOTIFY_BODY_LABEL, KelvixText::NotifyBodyLabel},   {IDC_NOTIFY_HEADERS_LABEL, KelvixText::NotifyHeadersLabel},
        {IDC_NOTIFY_COMMAND_LABEL, KelvixText::NotifyCommandLabel}, {IDC_NOTIFY_TEST, KelvixText::NotifyTestButton},
        {IDC_NOTIFY_SAVES_NOTE, KelvixText::SavesOnItsOwn},
    };
    SetWindowTextW(dialog, WideFromCp932(Text(KelvixText::NotifyCaption)).c_str());
    for (const Label& label : kLabels) {
        SetDlgItemTextCp932(dialog, label.control, Text(label.text));
    }
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonApply));
    SetDlgItemTextCp932(dialog, IDCANCEL, Text(CommonText::ButtonCancel));
}

std::string FieldText(HWND dialog, int control)
{
    char text[2048] = "";
    GetDlgItemTextCp932(dialog, control, text, sizeof text);
    return text;
}

void FillCombo(HWND dialog, int control, const char* first, const char* second, bool secondChosen)
{
    SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromCp932(first).c_str()));
    SendDlgItemMessageW(dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromCp932(second).c_str()));
    SendDlgItemMessageA(dialog, control, CB_SETCURSEL, secondChosen ? 1 : 0, 0);
}

std::string ComboText(HWND dialog, int control)
{
    const LRESULT chosen = SendDlgItemMessageA(dialog, control, CB_GETCURSEL, 0, 0);
    const WPARAM index = chosen < 0 ? 0 : static_cast<WPARAM>(chosen);
    const LRESULT length = SendDlgItemMessageW(dialog, control, CB_GETLBTEXTLEN, index, 0);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    SendDlgItemMessageW(dialog, control, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    return Cp932FromWide(text.c_str());
}

// A masked field the user left alone keeps the saved value.
std::string Unmasked(const std::string& typed, const std::string& masked, const std::string& saved)
{
    return !saved.empty() && typed == masked ? saved : typed;
}

// The fields as settings; false after telling which field is refused.
bool ReadFields(HWND dialog, NotifySettings& settings)
{
    settings = g_state->shown;
    const struct {
        const char* key;
        int control;
        std::string value;
    } fields[] = {
        {"Url", IDC_NOTIFY_URL,
         Unmasked(FieldText(dialog, IDC_NOTIFY_URL), MaskedUrl(settings.url), settings.url)},
        {"Method", IDC_NOTIFY_METHOD, ComboText(dialog, IDC_NOTIFY_METHOD)},
        {"Body", IDC_NOTIFY_BODY, ComboText(dialog, IDC_NOTIFY_BODY)},
        {"Header1", IDC_NOTIFY_HEADER1,
         Unmasked(FieldText(dialog, IDC_NOTIFY_HEADER1), MaskedHeader(settings.headers[0]), settings.headers[0])},
        {"Header2", IDC_NOTIFY_HEADER2,
         Unmasked(FieldText(dialog, IDC_NOTIFY_HEADER2), MaskedHeader(settings.headers[1]), settings.headers[1])},
        {"Header3", IDC_NOTIFY_HEADER3,
         Unmasked(FieldText(dialog, IDC_NOTIFY_HEADER3), MaskedHeader(settings.headers[2]), settings.headers[2])},
        {"Command", IDC_NOTIFY_COMMAND, FieldText(dialog, IDC_NOTIFY_COMMAND)},
    };
    for (const auto& field : fields) {
        bool known = false;
        std::string problem;
        if (!ApplyNotifyKey(settings, field.key, field.value, known, problem)) {
            ShowErrorText(dialog, ("[Notify] " + std::string(field.key) + ": " + problem).c_str());
            SetFocus(GetDlgItem(dialog, field.control));
            return false;
        }
    }
    return true;
}

void ShowFields(HWND dialog, const NotifySettings& settings)
{
    SetDlgItemTextCp932(dialog, IDC_NOTIFY_URL, MaskedUrl(settings.url).c_str());
    for (unsigned i = 0; i < kNotifyHeaderCount; ++i) {
        SetDlgItemTextCp932(dialog, kHeaderControls[i], MaskedHeader(settings.headers[i]).c_str());
    }
    SetDlgItemTextCp932(dialog, IDC_NOTIFY_COMMAND, settings.command.c_str());
    FillCombo(dialog, IDC_NOTIFY_METHOD, "POST", "PUT", settings.method == "PUT");
    FillCombo(dialog, IDC_NOTIFY_BODY, "json", "text", settings.body == BodyKind::Text);
}

void EndTest()
{
    if (g_state != nullptr && g_state->test.joinable()) {
        g_state->cancel.Cancel();
        g_state->test.join();
    }
}

// The test runs on its own thread: a server that does not answer leaves the dialog and
// the measurement free.
void StartTest(HWND dialog)
{
    NotifySettings settings;
    if (!ReadFields(dialog, settings)) {
        return;
    }
    EndTest();
    g_state->cancel.Reset();
    EnableWindow(GetDlgItem(dialog, IDC_NOTIFY_TEST), FALSE);
    SetDlgItemTextCp932(dialog, IDC_NOTIFY_RESULT, Text(KelvixText::NotifySending));
    CancelToken* cancel = &g_state->cancel;
    g_state->test = std::thread([dialog, settings, cancel]() {
        const SendResult result = SendOnce(settings, MakeTestEvent(std::time(nullptr)), ThisHostName(),
                                           NotifyTransport(), *cancel);
        const std::string verdict = Text(result.Delivered() ? KelvixText::NotifyDelivered : KelvixText::NotifyNotDelivered);
        auto text = std::make_unique<std::string>(verdict + DescribeResultAfterVerdict(result));
        if (PostMessageW(dialog, kTestDoneMessage, 0, reinterpret_cast<LPARAM>(text.get()))) {
            text.release();  // the dialog owns it now
        }
    });
}

void Confirm(HWND dialog)
{
    AppState& app = App();
    NotifySettings settings;
    if (!ReadFields(dialog, settings)) {
        return;
    }
    EndTest();
    app.notify = settings;
    if (!SaveNotifySettings(kSettingsFile, settings)) {
        ShowWriteError(dialog, kSettingsFile);
    }
    app.notifier.Start(app.notify, ThisHostName());
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK NotifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_state = new DialogState;
        g_state->shown = App().notify;
        CentreDialogWithIcon(dialog, App().instance, kProgramIconId);
        ShowTexts(dialog);
        ShowFields(dialog, g_state->shown);
        return TRUE;
    case kTestDoneMessage: {
        const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        SetDlgItemTextCp932(dialog, IDC_NOTIFY_RESULT, text->c_str());
        EnableWindow(GetDlgItem(dialog, IDC_NOTIFY_TEST), TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return FALSE;
        }
        if (LOWORD(wParam) == IDC_NOTIFY_TEST) {
            StartTest(dialog);
        } else if (LOWORD(wParam) == IDOK) {
            Confirm(dialog);
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndTest();
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case WM_DESTROY: {
        EndTest();
        // A result posted after the end is never read: take it out of the queue.
        MSG left;
        while (PeekMessageW(&left, dialog, kTestDoneMessage, kTestDoneMessage, PM_REMOVE)) {
            delete reinterpret_cast<std::string*>(left.lParam);
        }
        delete g_state;
        g_state = nullptr;
        return FALSE;
    }
    default:
        return FALSE;
    }
}
