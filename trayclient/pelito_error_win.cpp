#include "pelito_error_win.h"

#include "pelito_messages.h"

void ShowPelitoError(HWND owner, unsigned index)
{
    MessageBoxA(owner, PelitoMessage(index), "エラー情報", MB_OK | MB_ICONHAND | MB_SETFOREGROUND | MB_TOPMOST);
}
