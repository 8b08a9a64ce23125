// CSTR: the heap byte string of the support library (code page 932 bytes; no notion of
// multi-byte characters). An empty string owns no block; a non-empty one owns exactly
// length + 1 bytes.
#pragma once

#include "support_export.h"

#include <cstddef>
#include <cstdint>

class KV_EXPORT CSTR {
public:
    CSTR(const char* text = nullptr);
    explicit CSTR(std::int32_t number);
    CSTR(const CSTR& other);
    virtual ~CSTR();

    CSTR& operator=(const CSTR& other);
    CSTR& operator=(const char* text);
    CSTR& operator=(std::int32_t number);
    CSTR& operator+=(const CSTR& other);
    CSTR& operator+=(const char* text);
    bool operator==(const CSTR& other) const;
    bool operator==(const char* text) const;

    const char* Append(const char* text);
    const char* Insert(const char* text, unsigned position);
    void Remove();
    bool Compare(const char* text, unsigned count) const;

    const char* Convert(bool upper);
    std::int32_t Convert(int base) const;
    const char* Upper() { return Convert(true); }
    const char* Lower() { return Convert(false); }
    std::int32_t Bit() const { return Convert(2); }
    std::int32_t Oct() const { return Convert(8); }
    std::int32_t Dec() const { return Convert(10); }
    std::int32_t Hex() const { return Convert(16); }

    const char* Trim(const char* set = nullptr);
    const char* TrimLeft(const char* set = nullptr);
    const char* TrimRight(const char* set = nullptr);

    // Address of the byte at index; the index is not checked.
    const char* String(unsigned index = 0) const { return text_ ? text_ + index : nullptr; }
    std::uint32_t Length() const { return length_; }

    void RegisterErrorTrap(void (*handler)()) { errorTrap_ = handler; }

    // The zero-filling allocator every CSTR block comes from (calloc by default). Tests
    // swap in one that fails to reach the error trap; returns the previous one.
    using Allocator = void* (*)(std::size_t count, std::size_t size);
    static Allocator SetAllocator(Allocator allocator);

private:
    static bool IsTrim(char c, const char* set);
    [[noreturn]] static void ErrorTrap();
    char* Allocate(std::uint32_t length) const;  // zero-filled length + 1 bytes, or ErrorTrap
    void Adopt(char* block, std::uint32_t length);  // frees the old block, keeps the new one

    std::uint32_t length_ = 0;
    char* text_ = nullptr;
    void (*errorTrap_)() = nullptr;
};
