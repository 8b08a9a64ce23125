#include "gdi_font_win.h"

#include "display_scale.h"

#include <cstring>

GDIFONT::GDIFONT() : font_()
{
    font_.lfWeight = FW_NORMAL;
    std::strcpy(font_.lfFaceName, "System");
}

GDIFONT::~GDIFONT()
{
    Delete();
}

bool GDIFONT::SetFace(const char* face)
{
    if (!face) return false;
    const std::size_t length = std::strlen(face);
    if (length >= sizeof font_.lfFaceName) return false;
    std::memcpy(font_.lfFaceName, face, length + 1);
    return true;
}

BOOL GDIFONT::Create(int height, int width, BYTE charSet, const char* face, int weight, BYTE italic,
    BYTE underline, BYTE strikeOut)
{
    if (!SetFace(face)) return FALSE;
    font_.lfHeight = height;
    font_.lfWidth = width;
    font_.lfCharSet = charSet;
    font_.lfWeight = weight;
    font_.lfItalic = italic;
    font_.lfUnderline = underline;
    font_.lfStrikeOut = strikeOut;
    return Make();
}

BOOL GDIFONT::Create(int height, int width, BYTE charSet, const char* face, int weight)
{
    if (!SetFace(face)) return FALSE;
    font_.lfHeight = height;
    font_.lfWidth = width;
    font_.lfCharSet = charSet;
    font_.lfWeight = weight;
    return Make();
}

BOOL GDIFONT::Create(int height, int width, BYTE charSet, const char* face)
{
    if (!SetFace(face)) return FALSE;
    font_.lfHeight = height;
    font_.lfWidth = width;
    font_.lfCharSet = charSet;
    return Make();
}

BOOL GDIFONT::Create(const LOGFONTA& font)
{
    font_ = font;
    // A record from elsewhere may lack the terminator; the face field must hold one.
    font_.lfFaceName[sizeof font_.lfFaceName - 1] = '\0';
    return Make();
}

BOOL GDIFONT::Make()
{
    Delete();
    // The record keeps the sizes at 96 dpi; the font is made for the display.
    LOGFONTA scaled = font_;
    const int dpi = DisplayDpi();
    scaled.lfHeight = ScaleToDpi(font_.lfHeight, dpi);
    scaled.lfWidth = ScaleToDpi(font_.lfWidth, dpi);
    handle_ = CreateFontIndirectA(&scaled);
    return handle_ != nullptr;
}

void GDIFONT::Delete()
{
    if (handle_) {
        DeleteObject(handle_);
        handle_ = nullptr;
    }
}

void GDIFONT::Apply(HWND dialog, int controlId) const
{
    if (handle_) {
        SendDlgItemMessageA(dialog, controlId, WM_SETFONT, reinterpret_cast<WPARAM>(handle_), FALSE);
    }
}

void GDIFONT::GetLogFont(LOGFONTA* out) const
{
    if (out) *out = font_;
}
