// GDIFONT: one font object and the record it was made from. The record outlives the
// handle, so a dialog can delete the font when it closes and make it again next time.
#pragma once

#include <windows.h>

class GDIFONT {
public:
    GDIFONT();
    virtual ~GDIFONT();
    GDIFONT(const GDIFONT&) = delete;
    GDIFONT& operator=(const GDIFONT&) = delete;

    // The field-wise creates refuse a face name of more than 31 bytes and change nothing.
    virtual BOOL Create(int height, int width, BYTE charSet, const char* face, int weight, BYTE italic,
        BYTE underline, BYTE strikeOut);
    virtual BOOL Create(int height, int width, BYTE charSet, const char* face, int weight);
    virtual BOOL Create(int height, int width, BYTE charSet, const char* face);
    virtual BOOL Create(const LOGFONTA& font);
    virtual void Delete();
    // Gives the control the font (without redraw) when there is one.
    virtual void Apply(HWND dialog, int controlId) const;
    virtual void GetLogFont(LOGFONTA* out) const;

    HFONT Handle() const { return handle_; }

private:
    bool SetFace(const char* face);
    BOOL Make();

    HFONT handle_ = nullptr;
    LOGFONTA font_;
};
