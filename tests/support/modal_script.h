// Drives modal dialogs and message boxes of the test's own thread: a thread timer ticks
// inside their modal loops and runs one scripted step on the active dialog per tick.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
public:
    using Step = std::function<void(HWND dialog)>;

    explicit ModalScript(std::vector<Step> steps);
    ~ModalScript();

    bool Finished() const;

    // The text of a message box (its static 0xFFFF), empty for other dialogs.
    static std::string BoxText(HWND dialog);
    static std::string Text(HWND dialog, int control);
    static void Click(HWND dialog, int control);

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
};
