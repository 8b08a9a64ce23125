#include "mqtt_dialog_win.h"

#include "app_state_win.h"
#include "kelvix_texts.h"
#include "monitor_ids.h"
#include "mqtt_publisher.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <string>

namespace {

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
        {IDC_MQTT_TEST, KelvixText::MqttTestButton},
    };
    for (const Label& label : kLabels) {
        SetDlgItemTextCp932(dialog, label.control, Text(label.text));
    }
    SetDlgItemTextCp932(dialog, IDOK, Text(CommonText::ButtonApply));
    SetDlgItemTextCp932(dialog, IDCANCEL, Text(CommonText::ButtonCancel));
}

void Test(HWND dialog)
{
    MqttSettings settings;
    std::string problem;
    if (!Read(dialog, settings, problem)) {
        SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, (std::string(Text(KelvixText::MqttSettingsWrong)) + problem).c_str());
        return;
    }
    SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT, Text(KelvixText::MqttConnecting));
    UpdateWindow(GetDlgItem(dialog, IDC_MQTT_RESULT));
    const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    char host[MAX_COMPUTERNAME_LENGTH + 1] = "";
    DWORD size = sizeof host;
    GetComputerNameA(host, &size);
    std::string result;
    const bool connected = TestMqttConnection(settings, MakeMqttClientId("kelvix-test", host, GetCurrentProcessId()),
                                              result);
    SetCursor(previous);
    SetDlgItemTextCp932(dialog, IDC_MQTT_RESULT,
                    (Text(connected ? KelvixText::MqttConnectedResult : KelvixText::MqttNotConnectedResult) + result).c_str());
}

INT_PTR CALLBACK MqttDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        CentreDialogWithIcon(dialog, App().instance, kProgramIconId);
        ShowTexts(dialog);
        Fill(dialog, *reinterpret_cast<MqttSettings*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_MQTT_TEST) {
            Test(dialog);
        } else if (LOWORD(wParam) == IDOK) {
            auto* settings = reinterpret_cast<MqttSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
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
    const INT_PTR result = DialogBoxParamW(App().instance, MAKEINTRESOURCEW(kMqttDialogId), owner, MqttDialogProc,
                                           reinterpret_cast<LPARAM>(&edited));
    if (result != IDOK) {
        return false;
    }
    settings = edited;
    return true;
}
