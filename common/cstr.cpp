#include "cstr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

CSTR::Allocator g_allocator = std::calloc;

}  // namespace

CSTR::Allocator CSTR::SetAllocator(Allocator allocator)
{
    Allocator previous = g_allocator;
    g_allocator = allocator ? allocator : std::calloc;
    return previous;
}

CSTR::CSTR(const char* text)
{
    Append(text);
}

CSTR::CSTR(std::int32_t number)
{
    *this = number;
}

CSTR::CSTR(const CSTR& other)
{
    Append(other.text_);
}

CSTR::~CSTR()
{
    Remove();
}

CSTR& CSTR::operator=(const CSTR& other)
{
    if (&other != this) {
        *this = other.text_;
    }
    return *this;
}

CSTR& CSTR::operator=(const char* text)
{
    if (text == text_) {
        return *this;
    }
    // The new block is built before the old one goes, so a text pointing into our own
    // block (as TrimLeft passes) is still readable while it is copied.
    const std::size_t length = text ? std::strlen(text) : 0;
    if (length == 0) {
        Remove();
        return *this;
    }
    if (length >= std::numeric_limits<std::uint32_t>::max()) {
        ErrorTrap();
    }
    char* block = Allocate(static_cast<std::uint32_t>(length));
    std::memcpy(block, text, length);
    Adopt(block, static_cast<std::uint32_t>(length));
    return *this;
}

CSTR& CSTR::operator=(std::int32_t number)
{
    char digits[16];
    const int written = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
    const auto length = static_cast<std::uint32_t>(written);
    char* block = Allocate(length);
    std::memcpy(block, digits, length);
    Adopt(block, length);
    return *this;
}

CSTR& CSTR::operator+=(const CSTR& other)
{
    Append(other.text_);
    return *this;
}

CSTR& CSTR::operator+=(const char* text)
{
    Append(text);
    return *this;
}

bool CSTR::operator==(const CSTR& other) const
{
    return Compare(other.text_, 0);
}

bool CSTR::operator==(const char* text) const
{
    return Compare(text, 0);
}

const char* CSTR::Append(const char* text)
{
    if (text == nullptr || *text == '\0' || text == text_) {
        return text_;
    }
    const std::size_t added = std::strlen(text);
    if (added >= std::numeric_limits<std::uint32_t>::max() - length_) {
        ErrorTrap();
    }
    const auto length = static_cast<std::uint32_t>(length_ + added);
    char* block = Allocate(length);
    if (text_) {
        std::memcpy(block, text_, length_);
    }
    std::memcpy(block + length_, text, added);
    Adopt(block, length);
    return text_;
}

const char* CSTR::Insert(const char* text, unsigned position)
{
    if (text == nullptr || *text == '\0' || text == text_ || position >= length_) {
        return text_;
    }
    const std::size_t added = std::strlen(text);
    if (added >= std::numeric_limits<std::uint32_t>::max() - length_) {
        ErrorTrap();
    }
    const auto length = static_cast<std::uint32_t>(length_ + added);
    char* block = Allocate(length);
    std::memcpy(block, text_, position);
    std::memcpy(block + position, text, added);
    std::memcpy(block + position + added, text_ + position, length_ - position);
    Adopt(block, length);
    return text_;
}

void CSTR::Remove()
{
    if (text_) {
        std::free(text_);
        text_ = nullptr;
    }
    length_ = 0;
}

bool CSTR::Compare(const char* text, unsigned count) const
{
    if (text == text_) {
        return true;
    }
    if (text_ == nullptr || text == nullptr || *text == '\0') {
        return false;
    }
    const std::size_t limit = count ? count : length_;
    return std::strncmp(text_, text, limit) == 0;
}

const char* CSTR::Convert(bool upper)
{
    for (std::uint32_t i = 0; i < length_; ++i) {
        const char c = text_[i];
        if (upper && c >= 'a' && c <= 'z') {
            text_[i] = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            text_[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text_;
}

std::int32_t CSTR::Convert(int base) const
{
    if (text_ == nullptr || base < 2 || base > 36) {
        return 0;
    }
    const char* p = text_;
    while (*p != '\0' && IsTrim(*p, nullptr)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (base == 16 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
    }
    // The magnitude saturates just past the 32-bit range, so it never overflows.
    const std::int64_t ceiling = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (;; ++p) {
        int digit;
        if (*p >= '0' && *p <= '9') {
            digit = *p - '0';
        } else if (*p >= 'a' && *p <= 'z') {
            digit = *p - 'a' + 10;
        } else if (*p >= 'A' && *p <= 'Z') {
            digit = *p - 'A' + 10;
        } else {
            break;
        }
        if (digit >= base) {
            break;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > ceiling) {
            magnitude = ceiling;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    if (magnitude >= ceiling) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(magnitude);
}

const char* CSTR::Trim(const char* set)
{
    TrimLeft(set);
    return TrimRight(set);
}

const char* CSTR::TrimLeft(const char* set)
{
    if (text_ == nullptr) {
        return text_;
    }
    const char* p = text_;
    while (*p != '\0' && IsTrim(*p, set)) {
        ++p;
    }
    if (p != text_) {
        *this = p;
    }
    return text_;
}

const char* CSTR::TrimRight(const char* set)
{
    if (text_ == nullptr) {
        return text_;
    }
    std::uint32_t kept = length_;
    while (kept > 0 && IsTrim(text_[kept - 1], set)) {
        --kept;
    }
    if (kept == 0) {
        Remove();
    } else if (kept != length_) {
        char* block = Allocate(kept);
        std::memcpy(block, text_, kept);
        Adopt(block, kept);
    }
    return text_;
}

bool CSTR::IsTrim(char c, const char* set)
{
    if (set == nullptr) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }
    return c != '\0' && std::strchr(set, c) != nullptr;
}

void CSTR::ErrorTrap()
{
    // Out of memory: nothing sensible is left to do, and nothing may be shown. The status
    // says the run failed.
    std::_Exit(EXIT_FAILURE);
}

char* CSTR::Allocate(std::uint32_t length) const
{
    void* block = g_allocator(std::size_t{length} + 1, 1);
    if (block == nullptr) {
        ErrorTrap();
    }
    return static_cast<char*>(block);
}

void CSTR::Adopt(char* block, std::uint32_t length)
{
    std::free(text_);
    text_ = block;
    length_ = length;
}
