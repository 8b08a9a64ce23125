// The programs keep their texts as code page 932 bytes (settings files, the log and the
// network protocol hold exactly those bytes) and hand them to Windows as UTF-16, so that
// they read right whatever the system's ANSI code page is.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>

// Code page 932 bytes to UTF-16; null gives an empty text. A byte sequence that is not
// code page 932 becomes the replacement character rather than being dropped.
std::wstring WideFromCp932(const char* text);

// UTF-16 back to code page 932 bytes; a character that code page lacks becomes '?'.
std::string Cp932FromWide(const wchar_t* text);

// A control's text as code page 932 bytes, cut to fit `size` bytes with the terminating
// zero and never in the middle of a double-byte character. Returns the byte length.
std::size_t GetDlgItemTextCp932(HWND dialog, int control, char* out, std::size_t size);

// The W calls the programs make with their own texts.
BOOL SetDlgItemTextCp932(HWND dialog, int control, const char* text);
BOOL AppendMenuCp932(HMENU menu, UINT flags, UINT_PTR id, const char* text);
int MessageBoxCp932(HWND owner, const char* text, const char* caption, UINT style);

// List views: a new row with its first cell (the row's index, or -1), another cell, and
// a left-aligned column `width` pixels wide at 96 dpi (scaled to the display).
int InsertListRowCp932(HWND list, int index, const char* text);
void SetListCellCp932(HWND list, int row, int column, const char* text);
void InsertListColumnCp932(HWND list, int index, int width, const char* title);
