// The S.M.A.R.T. viewer: a modeless dialog showing what enumeration and the latest
// measurement read from one present drive. Every selection and measurement rebuilds both
// lists from the drive table. The one command it sends a drive is the start of a
// self-test the user asked for and confirmed, from a thread of its own.
#include "smart_viewer_win.h"

#include "common_controls_win.h"
#include "list_columns_win.h"
#include "program_state_win.h"
#include "self_test_control.h"
#include "self_test_reading.h"
#include "self_test_rows.h"
#include "monitor_ids.h"
#include "monitor_views.h"
#include "nvme_viewer_text.h"
#include "verdict_marks.h"
#include "viewer_trends_win.h"
#include "viewer_text.h"
#include "wide_text_win.h"
#include "window_helpers_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>

namespace {

constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;
// The starting thread's answer: wParam the drive, lParam 1 when the drive took the command.
constexpr UINT kSelfTestAnswerMessage = WM_APP + 1;
// While a test started here runs, a measurement this often shows its progress.
constexpr UINT_PTR kSelfTestTimerId = 1;
constexpr UINT kSelfTestRefreshMs = 30000;

// Starts a self-test on its own thread and its own device: a drive may take a while to
// answer, and the measurement goes on with the drive table's device meanwhile.
class SelfTestStarter {
public:
    SelfTestStarter() = default;
    SelfTestStarter(const SelfTestStarter&) = delete;
    SelfTestStarter& operator=(const SelfTestStarter&) = delete;
    ~SelfTestStarter() { Wait(); }

    std::uint32_t Drive() const { return drive_; }
    void Start(HWND dialog, std::uint32_t driveNumber, const DriveRecord& record, bool extended)
    {
        Wait();
        drive_ = driveNumber;
        const AtaRoute route = record.device.Route();
        const bool nvme = record.kind == DriveKind::Nvme;
        worker_ = std::thread([dialog, driveNumber, route, nvme, extended] {
            SmartDevice device;
            NvmeDevice nvmeDevice;  // the inbox driver's route: the only one a test is started on
            const bool opened = device.Open(static_cast<std::uint8_t>(driveNumber));
            const bool started =
                opened && (nvme ? nvmeDevice.StartSelfTest(device.Handle(), extended)
                                : (route == AtaRoute::Smart || device.UseSatBridge()) && device.StartSelfTest(extended));
            PostMessageW(dialog, kSelfTestAnswerMessage, driveNumber, started ? 1 : 0);
        });
    }
    void Wait()
    {
        if (worker_.joinable()) {
            worker_.join();
        }
        drive_ = kNoDrive;
    }

private:
    std::thread worker_;
    std::uint32_t drive_ = kNoDrive;
};

SelfTestStarter g_starter;
std::uint32_t g_testedDrive = kNoDrive;  // the drive a test started here runs on

void InsertColumns(HWND list, const ViewerColumn* columns)
{
    // The lower list changes columns with the kind of drive shown; the same kind keeps
    // them (and the widths the user gave them).
    int wanted = 0;
    while (columns[wanted].title[0] != '\0') {
        ++wanted;
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    if (count == wanted) {
        return;
    }
    for (; count > 0; --count) {
        SendMessageA(list, LVM_DELETECOLUMN, 0, 0);
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kListStyles, kListStyles);
    for (int index = 0; columns[index].title[0] != '\0'; ++index) {
        InsertListColumnCp932(list, index, columns[index].width, columns[index].title);
    }
}

// The severity of each row of the lower list, by the list's row index, for its colour.
HealthState g_rowMarks[kSmartEntryCount > kHealthFieldCount ? kSmartEntryCount : kHealthFieldCount];

void FillDriveSelector(HWND dialog)
{
    std::uint8_t health[kMaxDrives] = {};
    for (unsigned number = 0; number < kMaxDrives; ++number) {
        health[number] = static_cast<std::uint8_t>(Program().judge.Verdict(number).health);
    }
    const SelectorLines lines = BuildSelectorLines(Program().drives, health);
    for (unsigned i = 0; i < lines.count; ++i) {
        const std::wstring line = WideFromCp932(lines.lines[i].text);
        SendDlgItemMessageW(dialog, IDC_SMART_DRIVES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

void SetupViewerColumns(HWND dialog)
{
    InsertColumns(GetDlgItem(dialog, IDC_SMART_INFO), DriveInfoColumns);
    InsertColumns(GetDlgItem(dialog, IDC_SMART_ATTRIBUTES), AttributeColumns);
}

void FillInfoRows(HWND list, const DriveInfoRow* rows, unsigned count)
{
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    for (unsigned row = 0; row < count; ++row) {
        const int index = InsertListRowCp932(list, static_cast<int>(row), rows[row].item);
        if (index >= 0) {
            SetListCellCp932(list, index, 1, rows[row].value);
        }
    }
}

// The drive's logged self-tests below its information rows.
void AppendSelfTestRows(HWND list, const SelfTestLog& log)
{
    const SelfTestRows rows = BuildSelfTestRows(log);
    const int first = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (unsigned i = 0; i < rows.count; ++i) {
        const int index = InsertListRowCp932(list, first + static_cast<int>(i), rows.rows[i].item);
        if (index >= 0) {
            SetListCellCp932(list, index, 1, rows.rows[i].value);
        }
    }
}

void ShowNvmeDrive(HWND dialog, const DriveRecord& record, const DriveVerdict& verdict)
{
    const NvmeInfoRows info = BuildNvmeInfoRows(record);
    FillInfoRows(GetDlgItem(dialog, IDC_SMART_INFO), info.rows, kNvmeInfoRowCount);
    AppendSelfTestRows(GetDlgItem(dialog, IDC_SMART_INFO), record.selfTests);

    HWND healthList = GetDlgItem(dialog, IDC_SMART_ATTRIBUTES);
    SendMessageA(healthList, LVM_DELETEALLITEMS, 0, 0);
    InsertColumns(healthList, HealthColumns);
    const HealthRows health = BuildHealthRows(record);
    const VerdictMarks marks = MarkVerdict(verdict);
    for (unsigned i = 0; i < health.count; ++i) {
        const int index = InsertListRowCp932(healthList, static_cast<int>(i), health.rows[i].cells[0]);
        if (index >= 0 && index < static_cast<int>(std::size(g_rowMarks))) {
            g_rowMarks[index] = MarkOfHealthField(marks, health.rows[i].offset);
        }
        for (unsigned column = 1; index >= 0 && column < kHealthColumnCount; ++column) {
            SetListCellCp932(healthList, index, static_cast<int>(column), health.rows[i].cells[column]);
        }
    }
}

void ShowDrive(HWND dialog, std::uint32_t driveNumber)
{
    if (driveNumber >= kMaxDrives) {
        return;
    }
    const DriveRecord& record = Program().drives.table[driveNumber];
    const DriveVerdict& verdict = Program().judge.Verdict(driveNumber);
    std::fill(std::begin(g_rowMarks), std::end(g_rowMarks), HealthState::Unknown);
    ShowViewerTrends(dialog, driveNumber);
    if (record.kind == DriveKind::Nvme) {
        ShowNvmeDrive(dialog, record, verdict);
        return;
    }

    if (record.kind == DriveKind::Property) {
        const PropertyInfoRows info = BuildPropertyInfoRows(record);
        FillInfoRows(GetDlgItem(dialog, IDC_SMART_INFO), info.rows, kPropertyInfoRowCount);
    } else {
        const DriveInfoRows info = BuildDriveInfoRows(record);
        FillInfoRows(GetDlgItem(dialog, IDC_SMART_INFO), info.rows, kDriveInfoRowCount);
        AppendSelfTestRows(GetDlgItem(dialog, IDC_SMART_INFO), record.selfTests);
    }

    HWND attributeList = GetDlgItem(dialog, IDC_SMART_ATTRIBUTES);
    SendMessageA(attributeList, LVM_DELETEALLITEMS, 0, 0);
    InsertColumns(attributeList, AttributeColumns);
    const AttributeRows attributes = BuildAttributeRows(record);
    const VerdictMarks marks = MarkVerdict(verdict);
    for (unsigned i = 0; i < attributes.count; ++i) {
        const AttributeRow& row = attributes.rows[i];
        // Asked for at the entry's position; after an unused entry the list puts the row
        // earlier, so the cells go to the index it reports.
        const int index = InsertListRowCp932(attributeList, static_cast<int>(row.position), row.cells[0]);
        if (index < 0) {
            continue;
        }
        if (index < static_cast<int>(std::size(g_rowMarks))) {
            g_rowMarks[index] = marks.attribute[static_cast<std::uint8_t>(std::atoi(row.cells[0]))];
        }
        for (unsigned column = 1; column < kAttributeColumnCount; ++column) {
            SetListCellCp932(attributeList, index, static_cast<int>(column), row.cells[column]);
        }
    }
}

// The drive's lists with every cell whole (a long model name, a Raw value's last byte).
void ShowDriveWhole(HWND dialog, std::uint32_t driveNumber)
{
    ShowDrive(dialog, driveNumber);
    WidenColumnsToText(GetDlgItem(dialog, IDC_SMART_INFO));
    WidenColumnsToText(GetDlgItem(dialog, IDC_SMART_ATTRIBUTES));
}

std::uint32_t SelectedDrive(HWND dialog)
{
    const LRESULT position = SendDlgItemMessageA(dialog, IDC_SMART_DRIVES, CB_GETCURSEL, 0, 0);
    return position < 0 ? kNoDrive : DriveAtSelectorPosition(Program().drives, static_cast<long>(position));
}

void ShowSelfTestControls(HWND dialog, std::uint32_t driveNumber)
{
    SelfTestControl control;
    if (driveNumber < kMaxDrives) {
        control = DecideSelfTestControl(Program().drives.table[driveNumber], g_starter.Drive() == driveNumber);
    }
    EnableWindow(GetDlgItem(dialog, IDC_SMART_SHORT_TEST), control.enabled);
    EnableWindow(GetDlgItem(dialog, IDC_SMART_EXTENDED_TEST), control.enabled);
    SetDlgItemTextCp932(dialog, IDC_SMART_TEST_STATUS, control.status);
}

void ShowSelectedDrive(HWND dialog)
{
    const std::uint32_t driveNumber = SelectedDrive(dialog);
    ShowDriveWhole(dialog, driveNumber);
    ShowSelfTestControls(dialog, driveNumber);
}

void MeasureNow()
{
    if (Program().mainWindow) {
        PostMessageA(Program().mainWindow, WM_COMMAND, CMD_MEASURE_NOW, 0);
    }
}

void AskAndStartSelfTest(HWND dialog, bool extended)
{
    const std::uint32_t driveNumber = SelectedDrive(dialog);
    if (driveNumber >= kMaxDrives || g_starter.Drive() != kNoDrive) {
        return;
    }
    const DriveRecord& record = Program().drives.table[driveNumber];
    if (!DecideSelfTestControl(record, false).enabled) {
        return;
    }
    const std::string question = SelfTestConfirmText(record, driveNumber, extended);
    if (MessageBoxCp932(dialog, question.c_str(), Text(KelvixText::SelfTestCaption), MB_OKCANCEL | MB_ICONQUESTION) !=
        IDOK) {
        return;
    }
    g_starter.Start(dialog, driveNumber, record, extended);
    ShowSelfTestControls(dialog, driveNumber);
}

// The drive took the test: a measurement now reads its execution status, and one every
// kSelfTestRefreshMs while it runs; the measurement that finds it ended reads the log
// again, so the result reaches the verdict, its balloon and notification.
void SelfTestAnswered(HWND dialog, std::uint32_t driveNumber, bool started)
{
    g_starter.Wait();
    if (started) {
        NoteSelfTestStarted(Program().drives.table[driveNumber]);
        g_testedDrive = driveNumber;
        SetTimer(dialog, kSelfTestTimerId, kSelfTestRefreshMs, nullptr);
        MeasureNow();
    } else {
        char text[128];
        std::snprintf(text, sizeof text, Text(KelvixText::SelfTestRefused), static_cast<unsigned>(driveNumber));
        MessageBoxCp932(dialog, text, Text(KelvixText::SelfTestCaption), MB_OK | MB_ICONEXCLAMATION);
    }
    ShowSelfTestControls(dialog, SelectedDrive(dialog));
}

void Open(HWND dialog)
{
    const ProgramState& app = Program();
    AttachViewerTrends(dialog);
    CentreDialogWithIcon(dialog, app.instance, kProgramIconId);
    FillDriveSelector(dialog);
    SetupViewerColumns(dialog);
    SetDlgItemTextCp932(dialog, IDC_SMART_SHORT_TEST, Text(KelvixText::SelfTestShortButton));
    SetDlgItemTextCp932(dialog, IDC_SMART_EXTENDED_TEST, Text(KelvixText::SelfTestExtendedButton));
    if (app.drives.presentCount > 0) {
        SendDlgItemMessageA(dialog, IDC_SMART_DRIVES, CB_SETCURSEL, 0, 0);
    }
    ShowSelectedDrive(dialog);
    ShowWindow(dialog, SW_SHOW);
}

// Rows behind a caution in yellow, behind a bad verdict in red, a count the verdict could
// not judge (its mark is Good) in grey; the others as the list draws them.
LRESULT PaintMarkedRow(NMLVCUSTOMDRAW& draw)
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) {
        return CDRF_DODEFAULT;
    }
    const DWORD_PTR row = draw.nmcd.dwItemSpec;
    const HealthState mark = row < std::size(g_rowMarks) ? g_rowMarks[row] : HealthState::Unknown;
    if (mark < HealthState::Good) {
        return CDRF_DODEFAULT;
    }
    draw.clrText = mark == HealthState::Good ? RGB(96, 96, 96) : RGB(0, 0, 0);
    draw.clrTextBk = mark == HealthState::Bad    ? RGB(255, 170, 170)
                     : mark == HealthState::Good ? RGB(224, 224, 224)
                                                 : RGB(255, 230, 140);
    return CDRF_NEWFONT;
}

void Close(HWND dialog)
{
    g_starter.Wait();  // its answer, posted to a window about to go, is dropped
    KillTimer(dialog, kSelfTestTimerId);
    g_testedDrive = kNoDrive;
    Program().smartWindow = nullptr;
    DestroyWindow(dialog);  // modeless: ending it means destroying it
}

}  // namespace

INT_PTR CALLBACK SmartViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        Open(dialog);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_SMART_ATTRIBUTES && header->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, PaintMarkedRow(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SMART_DRIVES && HIWORD(wParam) == CBN_SELCHANGE) {
            ShowSelectedDrive(dialog);
        } else if (LOWORD(wParam) == IDC_SMART_SHORT_TEST || LOWORD(wParam) == IDC_SMART_EXTENDED_TEST) {
            AskAndStartSelfTest(dialog, LOWORD(wParam) == IDC_SMART_EXTENDED_TEST);
        } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == CMD_CLOSE) {
            Close(dialog);
        }
        return TRUE;
    case kSelfTestAnswerMessage:
        SelfTestAnswered(dialog, static_cast<std::uint32_t>(wParam), lParam != 0);
        return TRUE;
    case WM_TIMER:
        if (wParam == kSelfTestTimerId) {
            MeasureNow();
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void RefreshSmartWindow(HWND smartWindow)
{
    std::uint32_t ended = kNoDrive;
    if (g_testedDrive < kMaxDrives) {
        unsigned left = 0;
        if (!SelfTestRunning(Program().drives.table[g_testedDrive], left)) {
            KillTimer(smartWindow, kSelfTestTimerId);  // ended: this measurement read its result
            ended = g_testedDrive;
            g_testedDrive = kNoDrive;
        }
    }
    // The lists are filled again only while a test started here is followed: a measurement
    // otherwise leaves the row a user chose and the scroll as they are.
    if (g_testedDrive == kNoDrive && ended == kNoDrive) {
        ShowSelfTestControls(smartWindow, SelectedDrive(smartWindow));
        return;
    }
    ShowSelectedDrive(smartWindow);
    if (ended != kNoDrive && ended == SelectedDrive(smartWindow)) {
        // Its result is the newest self-test row, below the information rows.
        const bool nvme = Program().drives.table[ended].kind == DriveKind::Nvme;
        SendDlgItemMessageA(smartWindow, IDC_SMART_INFO, LVM_ENSUREVISIBLE, nvme ? kNvmeInfoRowCount : kDriveInfoRowCount,
                            FALSE);
    }
}

HWND OpenSmartWindow()
{
    ReadyCommonControls();
    return CreateDialogParamW(Program().instance, MAKEINTRESOURCEW(kSmartDialogId), nullptr, SmartViewerProc, 0);
}
