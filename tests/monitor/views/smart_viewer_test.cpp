// The S.M.A.R.T. viewer in-process: the monitor's main window on simulated drives opens
// and closes it through its tray-menu command; the test reads the selector and both lists
// as the user would see them and leaves a picture in smart_viewer.png.
#include "app_state_win.h"
#include "driveset_file.h"
#include "ini_file.h"
#include "main_window_win.h"
#include "message_pump.h"
#include "monitor_ids.h"
#include "monitor_fixture.h"
#include "monitor_session.h"
#include "smart_viewer_win.h"
#include "viewer_trends_win.h"
#include "viewer_text.h"
#include "window_helpers_win.h"
#include "window_picture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> SelectorLines(HWND viewer)
{
    std::vector<std::string> lines;
    const LRESULT count = SendDlgItemMessageA(viewer, IDC_SMART_DRIVES, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendDlgItemMessageA(viewer, IDC_SMART_DRIVES, CB_GETLBTEXT, static_cast<WPARAM>(i),
            reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

using Row = std::vector<std::string>;

// Every row of a list view, each with the cells of its columns.
std::vector<Row> ListRows(HWND viewer, int control, int columns)
{
    HWND list = GetDlgItem(viewer, control);
    std::vector<Row> rows;
    const LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        Row row;
        for (int column = 0; column < columns; ++column) {
            char text[256] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
            row.push_back(text);
        }
        rows.push_back(row);
    }
    return rows;
}

struct Column {
    std::string title;
    int width;
    bool operator==(const Column& other) const { return title == other.title && width == other.width; }
};

std::vector<Column> ListColumns(HWND viewer, int control)
{
    HWND list = GetDlgItem(viewer, control);
    std::vector<Column> columns;
    for (int index = 0;; ++index) {
        char title[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) {
            break;
        }
        columns.push_back({title, column.cx});
    }
    return columns;
}

// Drive 1 with three attributes, the first of which is then made unused; drive 3 whose
// attribute reads fail from the first measurement on; drives 0 and 2 absent.
constexpr char kTwoDrives[] =
    "drive 1\n"
    "model SIM ONE\n"
    "attribute 1 0x000F 117 099 A1 B2 03\n"
    "temperature 194 41\n"
    "attribute 100 0x0033 253 000 2D 00 1E 00 37 00\n"
    "threshold 9 50\n"
    "threshold 194 2\n"
    "threshold 1 6\n"
    "drive 3\n"
    "model SIM THREE\n"
    "sectors 2000000\n"
    "mwdma 2\n"
    "attribute 194 0x0022 100 100 2A\n"
    "fail attributes from 2\n";

class SmartViewer : public MonitorFixture {
protected:
    SmartViewer() : MonitorFixture("VIEWTEST.CFG") {}

    void SetUp() override
    {
        MonitorFixture::SetUp();
        WriteIni(kKelvixIni, "Threshold", "UseBalloon", "0");
    }

    void TearDown() override
    {
        if (app_ && app_->smartWindow && IsWindow(app_->smartWindow)) {
            DestroyWindow(app_->smartWindow);  // it has no owner: it would outlive the app state
        }
        MonitorFixture::TearDown();
    }

    void Start(const char* driveSet, bool gapBeforeFirstAttribute)
    {
        DriveSet set;
        std::string error;
        ASSERT_TRUE(ParseDriveSet(driveSet, ".", ReadSectorFile, set, error)) << error;
        if (gapBeforeFirstAttribute) {
            set.drives[1].smartData[kSmartTableOffset] = 0;  // entry 0 unused, entries 1 and 2 used
        }
        StartOn(set);
    }

    // The tray menu's "S.M.A.R.T.画面" entry.
    void ToggleViewer()
    {
        SendMessageA(window_, WM_COMMAND, CMD_SMART_WINDOW, 0);
        Pump(100);
    }

    void Select(int position)
    {
        HWND viewer = app_->smartWindow;
        HWND selector = GetDlgItem(viewer, IDC_SMART_DRIVES);
        SendMessageA(selector, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
        SendMessageA(viewer, WM_COMMAND, MAKEWPARAM(IDC_SMART_DRIVES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(selector));
    }

    std::string InfoValue(int row)
    {
        return ListRows(app_->smartWindow, IDC_SMART_INFO, 2).at(static_cast<std::size_t>(row)).at(1);
    }
};

TEST_F(SmartViewer, OpensOnTheFirstPresentDriveWithBothLists)
{
    Start(kTwoDrives, true);
    ASSERT_EQ(app_->drives.presentCount, 2u);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(IsWindowVisible(viewer));
    char caption[64] = {};
    GetWindowTextA(viewer, caption, sizeof caption);
    EXPECT_STREQ(caption, "S.M.A.R.T.");
    EXPECT_NE(SendMessageA(viewer, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(viewer, WM_GETICON, ICON_SMALL, 0), 0);
    RECT client{0, 0, 334, 216};  // dialog units
    MapDialogRect(viewer, &client);
    RECT shown;
    GetClientRect(viewer, &shown);
    EXPECT_EQ(shown.right, client.right);
    // The trends below the lists take what the dialog grew by.
    RECT attributes, buttons, trends;
    GetWindowRect(GetDlgItem(viewer, IDC_SMART_ATTRIBUTES), &attributes);
    GetWindowRect(GetDlgItem(viewer, IDC_SMART_SHORT_TEST), &buttons);
    GetWindowRect(GetDlgItem(viewer, IDC_SMART_TRENDS), &trends);
    EXPECT_GT(buttons.top, attributes.bottom);
    EXPECT_GT(trends.top, buttons.bottom);
    EXPECT_EQ(shown.bottom - client.bottom, trends.bottom - buttons.bottom);
    // The self-test buttons' texts come from the text table; this drive has no self-tests.
    char text[64] = {};
    GetDlgItemTextA(viewer, IDC_SMART_SHORT_TEST, text, sizeof text);
    EXPECT_STREQ(text, "ショート自己診断");
    GetDlgItemTextA(viewer, IDC_SMART_EXTENDED_TEST, text, sizeof text);
    EXPECT_STREQ(text, "拡張自己診断");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(viewer, IDC_SMART_SHORT_TEST)));
    GetDlgItemTextA(viewer, IDC_SMART_TEST_STATUS, text, sizeof text);
    EXPECT_STREQ(text, "このドライブの自己診断は開始できません");
    RECT frame;
    GetWindowRect(viewer, &frame);  // centred on the screen
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
    const LONG_PTR selectorStyle = GetWindowLongPtrA(GetDlgItem(viewer, IDC_SMART_DRIVES), GWL_STYLE);
    EXPECT_EQ(selectorStyle & 3, CBS_DROPDOWNLIST);
    EXPECT_FALSE(selectorStyle & CBS_SORT);  // lines stay in drive order

    EXPECT_EQ(SelectorLines(viewer), (std::vector<std::string>{"#1  SIM ONE 1.00 SIM00000001 78.15GB UltraDMA-5",
                                         "#3  SIM THREE 1.00 SIM00000003 1.00GB MultiWordDMA-2"}));
    EXPECT_EQ(SendDlgItemMessageA(viewer, IDC_SMART_DRIVES, CB_GETCURSEL, 0, 0), 0);

    EXPECT_EQ(ListColumns(viewer, IDC_SMART_INFO), (std::vector<Column>{{"Item", 220}, {"Value", 220}}));
    EXPECT_EQ(ListColumns(viewer, IDC_SMART_ATTRIBUTES),
        (std::vector<Column>{{"ID", 30}, {"Attribute", 240}, {"Value", 46}, {"Worst", 46}, {"Warn", 44},
            {"Raw", 114}, {"Flag", 108}}));  // widened to their texts
    const LRESULT wanted = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT;
    for (int list : {IDC_SMART_INFO, IDC_SMART_ATTRIBUTES}) {
        EXPECT_EQ(SendDlgItemMessageA(viewer, list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & wanted, wanted);
        const LONG_PTR style = GetWindowLongPtrA(GetDlgItem(viewer, list), GWL_STYLE);
        EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
        EXPECT_TRUE(style & LVS_SINGLESEL);
    }

    const std::vector<Row> info = ListRows(viewer, IDC_SMART_INFO, 2);
    ASSERT_EQ(info.size(), kDriveInfoRowCount);
    EXPECT_EQ(info[0], (Row{"Version", "1"}));
    EXPECT_EQ(info[3], (Row{"Capabilities", "0000 0000 0000 0111  (0x0007)"}));
    EXPECT_EQ(info[4], (Row{"Version Status", "24"}));
    EXPECT_EQ(info[5], (Row{"IDSector Status", "528"}));
    EXPECT_EQ(info[8], (Row{"Model Number", "SIM ONE"}));
    EXPECT_EQ(info[9], (Row{"Firmware Rev", "1.00"}));
    EXPECT_EQ(info[10], (Row{"Serial Number", "SIM00000001"}));
    EXPECT_EQ(info[31], (Row{"Total Addressable Sectors", "156301488"}));
    EXPECT_EQ(info[48].at(0), "Automatic Acoustic Management");

    // Entry 0 unused: the rows of entries 1 and 2, each with all seven cells.
    EXPECT_EQ(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7),
        (std::vector<Row>{
            {"194", "Temperature", "100", "100", "  2", "00 00 00 00 00 29", "OC SP "},
            {"100", "Unknown", "253", "  0", "  6", "00 37 00 1E 00 2D", "CR OC EC SP "},
        }));

    Pump(500);
    EXPECT_TRUE(SaveWindowPicture(viewer, "smart_viewer.png"));
}

TEST_F(SmartViewer, SelectingTheSecondLineShowsDriveThreeWithoutAttributeRows)
{
    Start(kTwoDrives, false);
    // The measurement at start took enumeration's reading: this one is drive 3's read 2.
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7).size(), 3u);
    EXPECT_EQ(ListRows(viewer, IDC_SMART_ATTRIBUTES, 1)[0][0], "  1");

    Select(1);
    EXPECT_EQ(InfoValue(8), "SIM THREE");
    EXPECT_EQ(InfoValue(31), "2000000");
    EXPECT_EQ(ListRows(viewer, IDC_SMART_INFO, 2).size(), kDriveInfoRowCount);
    EXPECT_TRUE(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7).empty());  // its last read failed

    Select(0);
    EXPECT_EQ(InfoValue(8), "SIM ONE");
    EXPECT_EQ(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7).size(), 3u);
}

TEST_F(SmartViewer, MenuCommandClosesAndReopensOnTheFirstDrive)
{
    Start(kTwoDrives, false);
    ToggleViewer();
    HWND first = app_->smartWindow;
    ASSERT_NE(first, nullptr);
    Select(1);
    EXPECT_EQ(InfoValue(8), "SIM THREE");

    ToggleViewer();
    EXPECT_EQ(app_->smartWindow, nullptr);
    EXPECT_FALSE(IsWindow(first));

    ToggleViewer();
    HWND second = app_->smartWindow;
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(IsWindowVisible(second));
    EXPECT_EQ(SendDlgItemMessageA(second, IDC_SMART_DRIVES, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(InfoValue(8), "SIM ONE");
}

TEST_F(SmartViewer, CloseBoxAndCloseCommandClearTheHandle)
{
    Start(kTwoDrives, false);
    for (UINT close : {static_cast<UINT>(IDCANCEL), static_cast<UINT>(CMD_CLOSE)}) {
        SCOPED_TRACE(close);
        ToggleViewer();
        HWND viewer = app_->smartWindow;
        ASSERT_NE(viewer, nullptr);
        if (close == IDCANCEL) {
            SendMessageA(viewer, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
        } else {
            SendMessageA(viewer, WM_COMMAND, CMD_CLOSE, 0);
        }
        Pump(50);
        EXPECT_EQ(app_->smartWindow, nullptr);
        EXPECT_FALSE(IsWindow(viewer));
    }
    EXPECT_TRUE(IsWindow(window_));  // the program goes on
}

// Two ATA and two NVMe drives; drive 3's health reads fail from the third (the measure-now).
constexpr char kMixedDrives[] =
    "drive 0\nmodel SIM ATA ZERO\ntemperature 194 40\n"
    "drive 1\nnvme\nmodel Samsung SSD 980 PRO 1TB\nserial S5GXNF0R\ncapacity 1000204886016\n"
    "temperature 43 44 45\nhealth used 3\nhealth power-on-hours 1234\nhealth sensor1 319\n"
    "drive 2\nmodel SIM ATA TWO\ntemperature 194 38\n"
    "drive 3\nnvme\nmodel WD_BLACK SN850X 2000GB\ntemperature 50\nfail health from 3\n";

TEST_F(SmartViewer, NvmeDrivesShowTheirInformationAndHealthRows)
{
    Start(kMixedDrives, false);
    ASSERT_EQ(app_->drives.presentCount, 4u);
    // The measurement at start took enumeration's reading: these are reads 2 and 3.
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    SendMessageA(window_, WM_COMMAND, CMD_MEASURE_NOW, 0);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(SelectorLines(viewer).at(1), "#1  Samsung SSD 980 PRO 1TB 1.00 S5GXNF0R 1.00TB NVMe");

    Select(1);
    EXPECT_EQ(ListColumns(viewer, IDC_SMART_ATTRIBUTES),
              (std::vector<Column>{{"Health", 198}, {"Value", 130}, {"Unit", 140}}));  // widened to its texts
    const std::vector<Row> info = ListRows(viewer, IDC_SMART_INFO, 2);
    ASSERT_EQ(info.size(), 12u);
    EXPECT_EQ(info[6], (Row{"NVMe Version", "1.4.0"}));
    EXPECT_EQ(info[11], (Row{"Connection", "storage query"}));
    const std::vector<Row> health = ListRows(viewer, IDC_SMART_ATTRIBUTES, 3);
    ASSERT_EQ(health.size(), 18u);
    EXPECT_EQ(health[1], (Row{"Composite Temperature", "45", "℃ (318 K)"}));
    EXPECT_EQ(health[11], (Row{"Power On Hours", "1234", "hours"}));
    EXPECT_EQ(health[17], (Row{"Temperature Sensor 1", "46", "℃ (319 K)"}));
    Pump(500);
    EXPECT_TRUE(SaveWindowPicture(viewer, "smart_viewer_nvme.png"));

    Select(3);
    EXPECT_EQ(app_->drives.table[3].currentTemperature, 50) << "a failed health read keeps the temperature";
    EXPECT_TRUE(ListRows(viewer, IDC_SMART_ATTRIBUTES, 3).empty()) << "its last health read failed";

    Select(2);  // back to an ATA drive: the attribute columns return
    EXPECT_EQ(ListColumns(viewer, IDC_SMART_ATTRIBUTES).size(), 7u);
    EXPECT_EQ(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7).at(0).at(1), "Temperature");
}

// One pixel of the screen in a cell of a list row: near the right end of column `column`.
COLORREF CellPixel(HWND viewer, int row, int column)
{
    HWND list = GetDlgItem(viewer, IDC_SMART_ATTRIBUTES);
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    POINT at{cell.right - 4, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return pixel;
}

// A drive in caution for its pending sectors: the selector line ends in the health word, the
// 197 row is painted in the caution colour and the temperature row as the list paints it.
TEST_F(SmartViewer, ACautiousDriveShowsItsWordAndTheRowBehindIt)
{
    Start("drive 0\nmodel SIM SICK\ntemperature 194 40\nattribute 197 0x0012 100 100 08\nthreshold 197 0\n", false);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    const std::string line = SelectorLines(viewer).at(0);
    EXPECT_EQ(line.substr(line.size() - 7), " [注意]") << line;
    const std::vector<Row> rows = ListRows(viewer, IDC_SMART_ATTRIBUTES, 1);
    ASSERT_EQ(rows, (std::vector<Row>{{"194"}, {"197"}}));
    SetForegroundWindow(viewer);
    RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(300);
    EXPECT_EQ(CellPixel(viewer, 1, 1), RGB(255, 230, 140)) << "the pending sectors' row";
    EXPECT_NE(CellPixel(viewer, 0, 1), RGB(255, 230, 140)) << "the temperature row";
    EXPECT_NE(CellPixel(viewer, 0, 1), CLR_INVALID);
    EXPECT_TRUE(SaveWindowPicture(viewer, "smart_viewer_caution.png"));
}

// A drive whose newest self-test failed: bad, its last tests below its information rows,
// newest first; an offline-uncorrectable count beyond the drive's sectors is painted grey
// (not judged). The picture is smart_viewer_self_tests.png.
TEST_F(SmartViewer, TheLastSelfTestsAndACountThatCannotBe)
{
    Start("drive 0\nmodel SIM WORN\nsectors 2000000\ntemperature 194 40\n"
          "attribute 198 0x0010 100 100 02 00 22 FD\nthreshold 198 0\n"
          "self-test short passed 100\nself-test extended read 250 123456\n",
          false);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    const std::string line = SelectorLines(viewer).at(0);
    EXPECT_EQ(line.substr(line.size() - 7), " [危険]") << line;
    const std::vector<Row> info = ListRows(viewer, IDC_SMART_INFO, 2);
    ASSERT_EQ(info.size(), kDriveInfoRowCount + 2);
    EXPECT_NE(info[kDriveInfoRowCount].at(1).find("LBA 123456"), std::string::npos) << info[kDriveInfoRowCount].at(1);
    EXPECT_NE(info[kDriveInfoRowCount].at(1).find("250"), std::string::npos);
    EXPECT_NE(info[kDriveInfoRowCount + 1].at(1).find("100"), std::string::npos) << "the older test second";
    EXPECT_NE(info[kDriveInfoRowCount].at(0), info[kDriveInfoRowCount + 1].at(0));
    const std::vector<Row> rows = ListRows(viewer, IDC_SMART_ATTRIBUTES, 1);
    ASSERT_EQ(rows, (std::vector<Row>{{"194"}, {"198"}}));
    SendDlgItemMessageA(viewer, IDC_SMART_INFO, LVM_ENSUREVISIBLE, static_cast<WPARAM>(info.size() - 1), FALSE);
    SetForegroundWindow(viewer);
    RedrawWindow(viewer, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(300);
    EXPECT_EQ(CellPixel(viewer, 1, 1), RGB(224, 224, 224)) << "the count that cannot be";
    EXPECT_NE(CellPixel(viewer, 0, 1), RGB(224, 224, 224)) << "the temperature row";
    EXPECT_TRUE(SaveWindowPicture(viewer, "smart_viewer_self_tests.png"));
}

TEST_F(SmartViewer, WithoutPresentDrivesEverythingStaysEmpty)
{
    Start("drive 0\nmodel SIM GONE\nfail identify\n", false);
    EXPECT_EQ(app_->drives.presentCount, 0u);
    ToggleViewer();
    HWND viewer = app_->smartWindow;
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(SelectorLines(viewer).empty());
    EXPECT_TRUE(ListRows(viewer, IDC_SMART_INFO, 2).empty());
    EXPECT_TRUE(ListRows(viewer, IDC_SMART_ATTRIBUTES, 7).empty());
    SendMessageA(viewer, WM_COMMAND, MAKEWPARAM(IDC_SMART_DRIVES, CBN_SELCHANGE), 0);  // nothing selected
    EXPECT_TRUE(ListRows(viewer, IDC_SMART_INFO, 2).empty());
}

}  // namespace
