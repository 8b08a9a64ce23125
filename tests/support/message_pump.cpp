#include "message_pump.h"

namespace {

void DispatchWaiting()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) DispatchMessageA(&message);
    }
}

}  // namespace

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        DispatchWaiting();
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

void PumpPaints(DWORD milliseconds)
{
    // Only paints: a timer (a modal script's next step) must not run inside the caller.
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i) {
        DispatchWaiting();
        Sleep(10);
    }
    return condition();
}
