#include "mqtt_dialog_win.h"

#include "app_state_win.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "mqtt_publisher.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

// Posted by the test's thread when it has a result.
constexpr UINT kTestDoneMessage = WM_APP + 1;

// The connection test on a thread of its own, so the dialog stays responsive for the
// seconds a broker may take. The dialog joins it when it closes: the test is told to
// stop and ends within its next read slice (or its bounded connect).
class ConnectionTest {
public:
    ConnectionTest() = default;
    ConnectionTest(const ConnectionTest&) = delete;
    ConnectionTest& operator=(const ConnectionTest&) = delete;
    ~ConnectionTest() { Stop(); }

    bool Running() const { return thread_.joinable(); }
    void Start(HWND dialog, MqttSettings settings, std::string clientId)
    {
        Stop();
        cancel_ = false;
        thread_ = std::thread([this, dialog, settings, clientId] {
            connected_ = TestMqttConnection(settings, clientId, result_, &cancel_);
            PostMessageW(dialog, kTestDoneMessage, 0, 0);
        });
    }
    // After the thread's message: its result, in words.
    std::string Take()
    {
        if (thread_.joinable()) {
            thread_.join();
        }
        return Text(connected_ ? KelvixText::MqttConnectedResult : KelvixText::MqttNotConnectedResult) +
               OutcomeText(result_, ProgramLanguage());
    }
    void Stop()
    {
        cancel_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    bool connected_ = false;  // written by the thread, read after the join
    MqttOutcome result_;
};

// What the dialog works on: the settings it edits and its test.
struct MqttDialogState {
    MqttSettings* settings = nullptr;
    ConnectionTest test;
};

// The text fields and the key each one sets.
struct MqttField {
    int control;
    const char* key;
};

constexpr MqttField kFields[] = {
    {IDC_MQTT_HOST, "Host"}, {IDC_MQTT_PORT, "Port"}, {IDC_MQTT_USER, "User"},
    {IDC_MQTT_PASSWORD, "Password"}, {IDC_MQTT_CA_FILE, "CaFile"}, {IDC_MQTT_BASE_TOPIC, "BaseTopic"},
    {IDC_MQTT_PREFIX, "DiscoveryPrefix"},
};

void Fill(HWND dialog, const MqttSettings& settings)
{
    for (const MqttField& field : kFields) {
        SendDlgItemMessageA(dialog, field.control, EM_LIMITTEXT, 255, 0);
        SetDlgItemTextCp932(dialog, field.control, MqttKeyText(settings, field.key).c_str());
    }
    CheckDlgButton(dialog, IDC_MQTT_TLS, settings.tls ? BST_CHECKED : BST_UNCHECKED);
}

// What the fields say, each through the key table; false with the first refusal.
bool Read(HWND dialog, MqttSettings& settings, std::string& problem)
{
    MqttSettings typed;
    for (const MqttField& field : kFields) {
        char value[257] = "";
        GetDlgItemTextCp932(dialog, field.control, value, sizeof value);
        bool known = true;
        std::string refusal;
        if (!ApplyMqttKey(typed, field.key, value, known, refusal)) {
            problem = std::string(field.key) + ": " + refusal;
            SetFocus(GetDlgItem(dialog, field.control));
            return false;
        }
    }
    typed.tls = IsDlgButtonChecked(dialog, IDC_MQTT_TLS) == BST_CHECKED;
    settings = typed;
    return true;
}

// Every text of the dialog, by control id, in the program's language.
void ShowTexts(HWND dialog)
{
    struct Label {
        int control;
        KelvixText text;
    };
    static constexpr Label kLabels[] = {
        {IDC_MQTT_HOST_LABEL, KelvixText::MqttBrokerLabel},   {IDC_MQTT_PORT_LABEL, KelvixText::LabelPort},
        {IDC_MQTT_USER_LABEL, KelvixText::MqttUserLabel},     {IDC_MQTT_PASSWORD_LABEL, KelvixText::MqttPasswordLabel},
        {IDC_MQTT_TLS, KelvixText::MqttTlsCheck},             {IDC_MQTT_CA_FILE_LABEL, KelvixText::MqttCaFileLabel},
        {IDC_MQTT_TOPIC_LABEL, KelvixText::MqttTopicLabel},   {IDC_MQTT_PREFIX_LABEL, KelvixText::MqttPrefixLabel},
        {IDC_MQTT_TEST, KelvixText::MqttTestButton},          {IDC_MQTT_SAVES_NOTE, KelvixText::SavesOnItsOwn},
    };
    for (const Label& label : kLabels) {
        SetDlgItemTextCp932(dialog, label.control, Text(label.text));
    }
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonApply));
    SetDlgItemTextCp932(dialog, IDCANCEL, Text(CommonText::ButtonCancel));
}

void Test(HWND dialog, ConnectionTest& test)
{
    MqttSettings settings;
    std::string problem;
    if (test.Running()) {
        return;
    }
    if (!Read(dialog, settings, problem)) {
        SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, (std::string(Text(KelvixText::MqttSettingsWrong)) + problem).c_str());
        return;
    }
    SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, Text(KelvixText::MqttConnecting));
    EnableWindow(GetDlgItem(dialog, IDC_MQTT_TEST), FALSE);
    char host[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof host;
    GetComputerNameA(host, &size);
    test.Start(dialog, settings, MakeMqttClientId("kelvix-test", host, GetCurrentProcessId()));
}

MqttDialogState& State(HWND dialog)
{
    return *reinterpret_cast<MqttDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK MqttDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CentreDialogWithIcon(dialog, App().instance, kProgramIconId);
        ShowTexts(dialog);
        Fill(dialog, *reinterpret_cast<MqttDialogState*>(lParam)->settings);
        return TRUE;
    case kTestDoneMessage:
        SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, State(dialog).test.Take().c_str());
        EnableWindow(GetDlgItem(dialog, IDC_MQTT_TEST), TRUE);
        return TRUE;
    case WM_DESTROY:
        State(dialog).test.Stop();
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_MQTT_TEST) {
            Test(dialog, State(dialog).test);
        } else if (LOWORD(wParam) == IDOK) {
            MqttSettings* settings = State(dialog).settings;
            std::string problem;
            if (Read(dialog, *settings, problem)) {
                EndDialog(dialog, IDOK);
            } else {
                SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, (std::string(Text(KelvixText::MqttSettingsWrong)) + problem).c_str());
            }
        } else if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

bool RunMqttDialog(HWND owner, MqttSettings& settings)
{
    MqttSettings edited = settings;
    MqttDialogState state;
    state.settings = &edited;
    const INT_PTR result = DialogBoxParamW(App().instance, MAKEINTRESOURCEW(kMqttDialogId), owner, MqttDialogProc,
                                           reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) {
        return false;
    }
    settings = edited;
    return true;
}
