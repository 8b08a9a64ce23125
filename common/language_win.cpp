#include "language.h"

#include <windows.h>

std::uint16_t SystemUiLanguage()
{
    return GetUserDefaultUILanguage();
}

bool CanShowJapanese()
{
    return true;
}
