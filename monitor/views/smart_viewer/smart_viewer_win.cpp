// The S.M.A.R.T. viewer: a modeless dialog showing what enumeration and the latest
// measurement read from one present drive. It sends nothing to the drive; every
// selection rebuilds both lists from the drive table.
#include "smart_viewer_win.h"

#include "common_controls_win.h"
#include "list_columns_win.h"
#include "program_state_win.h"
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
#include <cstdlib>
#include <iterator>

namespace {

constexpr DWORD kListStyles = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;

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

void ShowSelectedDrive(HWND dialog)
{
    const LRESULT position = SendDlgItemMessageA(dialog, IDC_SMART_DRIVES, CB_GETCURSEL, 0, 0);
    ShowDriveWhole(dialog, DriveAtSelectorPosition(Program().drives, static_cast<long>(position)));
}

void Open(HWND dialog)
{
    const ProgramState& app = Program();
    AttachViewerTrends(dialog);
    CentreDialogWithIcon(dialog, app.instance, kProgramIconId);
    FillDriveSelector(dialog);
    SetupViewerColumns(dialog);
    if (app.drives.presentCount > 0) {
        SendDlgItemMessageA(dialog, IDC_SMART_DRIVES, CB_SETCURSEL, 0, 0);
        ShowDriveWhole(dialog, DriveAtSelectorPosition(app.drives, 0));
    }
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
        } else if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == CMD_CLOSE) {
            Close(dialog);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

HWND OpenSmartWindow()
{
    ReadyCommonControls();
    return CreateDialogParamW(Program().instance, MAKEINTRESOURCEW(kSmartDialogId), nullptr, SmartViewerProc, 0);
}
