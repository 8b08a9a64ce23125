#include "display_scale.h"

#include <cstdint>

namespace {

int Rounded(std::int64_t numerator, std::int64_t denominator)
{
    const std::int64_t half = denominator / 2;
    return static_cast<int>(numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator));
}

int Usable(int dpi)
{
    return dpi < 1 ? kStandardDpi : dpi;
}

}  // namespace

int ScaleToDpi(int value, int dpi)
{
    return Rounded(static_cast<std::int64_t>(value) * Usable(dpi), kStandardDpi);
}

int ScaleFromDpi(int value, int dpi)
{
    return Rounded(static_cast<std::int64_t>(value) * kStandardDpi, Usable(dpi));
}
