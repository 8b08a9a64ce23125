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

bool PumpUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i) {
        DispatchWaiting();
        Sleep(10);
    }
    return condition();
}
