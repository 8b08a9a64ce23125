// The few Windows types the portable core needs, with their Windows layouts.
// On Windows this is <windows.h> itself; natively it declares look-alikes.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef void* HANDLE;
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::int32_t LONG;
typedef int BOOL;
typedef DWORD COLORREF;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

#ifndef LF_FACESIZE
#define LF_FACESIZE 32
#endif

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};

inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
#define GetRValue(c) (static_cast<BYTE>((c) & 0xFF))
#define GetGValue(c) (static_cast<BYTE>(((c) >> 8) & 0xFF))
#define GetBValue(c) (static_cast<BYTE>(((c) >> 16) & 0xFF))
#endif

static_assert(sizeof(RECT) == 16, "RECT keeps its Windows layout");
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA keeps its Windows layout");
