#include "wide_text_win.h"

#include "cp932_text.h"
#include "display_scale.h"

#include <cstring>
#include <vector>

namespace {

constexpr UINT kProgramCodePage = 932;

}  // namespace

std::wstring WideFromCp932(const char* text)
{
    if (!text || !*text) {
        return std::wstring();
    }
    const int bytes = static_cast<int>(std::strlen(text));
    const int length = MultiByteToWideChar(kProgramCodePage, 0, text, bytes, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, text, bytes, &wide[0], length);
    return wide;
}

std::string Cp932FromWide(const wchar_t* text)
{
    if (!text || !*text) {
        return std::string();
    }
    const int units = static_cast<int>(std::wcslen(text));
    const int length = WideCharToMultiByte(kProgramCodePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(kProgramCodePage, 0, text, units, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::size_t GetDlgItemTextCp932(HWND dialog, int control, char* out, std::size_t size)
{
    if (!out || size == 0) {
        return 0;
    }
    HWND item = GetDlgItem(dialog, control);
    const int units = item ? GetWindowTextLengthW(item) : 0;
    std::vector<wchar_t> wide(static_cast<std::size_t>(units) + 1, L'\0');
    if (units > 0) {
        GetWindowTextW(item, wide.data(), units + 1);
    }
    const std::string bytes = Cp932FromWide(wide.data());
    const std::size_t length = Cp932FitLength(bytes.c_str(), size - 1);
    std::memcpy(out, bytes.data(), length);
    out[length] = '\0';
    return length;
}

BOOL SetDlgItemTextCp932(HWND dialog, int control, const char* text)
{
    return SetDlgItemTextW(dialog, control, WideFromCp932(text).c_str());
}

BOOL AppendMenuCp932(HMENU menu, UINT flags, UINT_PTR id, const char* text)
{
    if (flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) {
        return AppendMenuW(menu, flags, id, nullptr);
    }
    return AppendMenuW(menu, flags, id, WideFromCp932(text).c_str());
}

int MessageBoxCp932(HWND owner, const char* text, const char* caption, UINT style)
{
    return MessageBoxW(owner, WideFromCp932(text).c_str(), WideFromCp932(caption).c_str(), style);
}

int InsertListRowCp932(HWND list, int index, const char* text)
{
    std::wstring wide = WideFromCp932(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = &wide[0];  // read only; the list keeps its own copy
    return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetListCellCp932(HWND list, int row, int column, const char* text)
{
    std::wstring wide = WideFromCp932(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = &wide[0];
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void InsertListColumnCp932(HWND list, int index, int width, const char* title)
{
    std::wstring wide = WideFromCp932(title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = ScaleToDpi(width, DisplayDpi());  // widths are given as at 96 dpi
    column.pszText = &wide[0];
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}
