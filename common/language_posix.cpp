#include "language.h"

// No Windows language off Windows: the programs speak English unless told otherwise.
std::uint16_t SystemUiLanguage()
{
    return 0;
}

bool CanShowJapanese()
{
    return false;
}
