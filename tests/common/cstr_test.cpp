#include "cstr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Counts every block CSTR asks for, so tests can prove that nothing was allocated.
int g_allocations = 0;
void* CountingCalloc(std::size_t count, std::size_t size)
{
    ++g_allocations;
    return std::calloc(count, size);
}
void* FailingCalloc(std::size_t, std::size_t)
{
    return nullptr;
}

class CstrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_allocations = 0;
        previous_ = CSTR::SetAllocator(CountingCalloc);
    }
    void TearDown() override { CSTR::SetAllocator(previous_); }

private:
    CSTR::Allocator previous_ = nullptr;
};

std::string Text(const CSTR& s)
{
    return s.String() ? std::string(s.String()) : std::string("<null>");
}

TEST_F(CstrTest, EmptyStringsOwnNoBlock)
{
    const char* const empties[] = {nullptr, ""};
    for (const char* text : empties) {
        CSTR s(text);
        EXPECT_EQ(s.Length(), 0u);
        EXPECT_EQ(s.String(), nullptr);
        EXPECT_EQ(s.Upper(), nullptr);
        EXPECT_EQ(s.Trim(), nullptr);
        EXPECT_EQ(s.Append(""), nullptr);
        EXPECT_EQ(s.Append(nullptr), nullptr);
        EXPECT_EQ(s.Insert("x", 0), nullptr);
        s = "";
        EXPECT_EQ(s.String(), nullptr);
    }
    EXPECT_EQ(g_allocations, 0);
}

TEST_F(CstrTest, NonEmptyStringOwnsExactBlock)
{
    CSTR s("abc");
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_EQ(Text(s), "abc");
    EXPECT_EQ(g_allocations, 1);
    s.Remove();
    EXPECT_EQ(s.String(), nullptr);
    EXPECT_EQ(s.Length(), 0u);
    s.Remove();  // removing an empty string is harmless
    EXPECT_EQ(s.Length(), 0u);
}

TEST_F(CstrTest, SelfOperationsLeaveTheStringUnchanged)
{
    CSTR s("abc");
    const char* before = s.String();
    s += s;
    EXPECT_EQ(Text(s), "abc");
    EXPECT_EQ(s.Insert(s.String(), 1), before);
    EXPECT_EQ(Text(s), "abc");
    CSTR& same = s;
    s = same;
    EXPECT_EQ(s.String(), before);
    s = s.String();
    EXPECT_EQ(s.String(), before);
    EXPECT_EQ(Text(s), "abc");
}

TEST_F(CstrTest, AssigningATailOfItsOwnText)
{
    CSTR s("hello world");
    s = s.String(6);
    EXPECT_EQ(Text(s), "world");
    EXPECT_EQ(s.Length(), 5u);
}

TEST_F(CstrTest, CopiesOwnTheirBlocks)
{
    CSTR a("abc");
    CSTR b(a);
    CSTR c;
    c = a;
    EXPECT_NE(a.String(), b.String());
    EXPECT_NE(a.String(), c.String());
    a.Upper();
    EXPECT_EQ(Text(b), "abc");
    EXPECT_EQ(Text(c), "abc");
}

TEST_F(CstrTest, AppendAndConcatenate)
{
    CSTR s;
    s += "ab";
    s += CSTR("cd");
    EXPECT_STREQ(s.Append("e"), "abcde");
    EXPECT_EQ(s.Length(), 5u);
    CSTR empty;
    s += empty;
    EXPECT_EQ(Text(s), "abcde");
}

struct InsertCase {
    const char* start;
    const char* text;
    unsigned position;
    const char* expected;
};

TEST_F(CstrTest, InsertTable)
{
    const InsertCase cases[] = {
        {"ab", "x", 0, "xab"},
        {"ab", "x", 1, "axb"},
        {"ab", "x", 2, "ab"},     // behind the last byte: refused
        {"ab", "x", 99, "ab"},
        {"ab", "", 0, "ab"},
        {"ab", nullptr, 0, "ab"},
        {"", "x", 0, "<null>"},   // nothing goes into an empty string
        {"hello", "--", 3, "hel--lo"},
    };
    for (const auto& c : cases) {
        CSTR s(c.start);
        s.Insert(c.text, c.position);
        EXPECT_EQ(Text(s), c.expected) << c.start << " @" << c.position;
        EXPECT_EQ(s.Length(), std::string(c.expected == std::string("<null>") ? "" : c.expected).size());
    }
}

struct CompareCase {
    const char* mine;
    const char* theirs;
    unsigned count;
    bool expected;
};

TEST_F(CstrTest, CompareTable)
{
    const CompareCase cases[] = {
        {"abc", "abcdef", 0, true},   // own text is a prefix of the argument
        {"abcdef", "abc", 0, false},
        {"abc", "abX", 2, true},
        {"abc", "abX", 3, false},
        {"abc", "ABC", 0, false},     // case matters
        {"abc", "abc", 0, true},
        {"abc", nullptr, 0, false},
        {"abc", "", 0, false},
        {"", "", 0, false},           // two distinct empty texts
        {"", "abc", 0, false},
        {nullptr, nullptr, 0, true},  // empty string against null: same pointer
    };
    for (const auto& c : cases) {
        CSTR s(c.mine);
        EXPECT_EQ(s.Compare(c.theirs, c.count), c.expected)
            << (c.mine ? c.mine : "null") << " vs " << (c.theirs ? c.theirs : "null");
    }
    EXPECT_TRUE(CSTR("abc") == "abcdef");
    EXPECT_FALSE(CSTR("abcdef") == "abc");
    EXPECT_TRUE(CSTR("abc") == CSTR("abc"));
    EXPECT_TRUE(CSTR() == nullptr);
}

struct IntegerCase {
    std::int32_t value;
    const char* text;
};

TEST_F(CstrTest, IntegerTextTable)
{
    const IntegerCase cases[] = {
        {0, "0"},
        {-7, "-7"},
        {-15, "-15"},
        {1000000, "1000000"},
        {std::numeric_limits<std::int32_t>::max(), "2147483647"},
        {std::numeric_limits<std::int32_t>::min(), "-2147483648"},
    };
    for (const auto& c : cases) {
        CSTR constructed(c.value);
        CSTR assigned("old text");
        assigned = c.value;
        EXPECT_EQ(Text(constructed), c.text);
        EXPECT_EQ(Text(assigned), c.text);
        EXPECT_EQ(assigned.Length(), std::string(c.text).size());
    }
}

struct NumberCase {
    const char* text;
    int base;
    std::int32_t expected;
};

TEST_F(CstrTest, NumberConversionTable)
{
    const NumberCase cases[] = {
        {"0x1F", 16, 31},
        {"1f", 16, 31},
        {"0X1f", 16, 31},
        {"12ab", 10, 12},
        {"abc", 10, 0},
        {"101", 2, 5},
        {"1012", 2, 5},
        {"777", 8, 511},
        {"778", 8, 63},
        {" \t\r\n-42", 10, -42},
        {"+42", 10, 42},
        {"-0x10", 16, -16},
        {"0x", 16, 0},
        {"-", 10, 0},
        {"", 10, 0},
        {nullptr, 10, 0},
        {"2147483647", 10, 2147483647},
        {"2147483648", 10, 2147483647},
        {"99999999999999999999", 10, 2147483647},
        {"-2147483648", 10, std::numeric_limits<std::int32_t>::min()},
        {"-99999999999999999999", 10, std::numeric_limits<std::int32_t>::min()},
        {"ffffffff", 16, 2147483647},
    };
    for (const auto& c : cases) {
        const CSTR s(c.text);  // const: Convert(bool) would compete
        EXPECT_EQ(s.Convert(c.base), c.expected) << (c.text ? c.text : "null") << " base " << c.base;
    }
    EXPECT_EQ(CSTR("0x1F").Hex(), 31);
    EXPECT_EQ(CSTR("12ab").Dec(), 12);
    EXPECT_EQ(CSTR("101").Bit(), 5);
    EXPECT_EQ(CSTR("17").Oct(), 15);
}

TEST_F(CstrTest, CaseConversionInPlace)
{
    CSTR s("abc-Def");
    const char* before = s.String();
    EXPECT_EQ(s.Upper(), before);
    EXPECT_EQ(Text(s), "ABC-DEF");
    EXPECT_EQ(s.Lower(), before);
    EXPECT_EQ(Text(s), "abc-def");
    // Only ASCII letters change; bytes above 0x7F stay.
    CSTR bytes("\x83\x41z");
    bytes.Upper();
    EXPECT_EQ(Text(bytes), "\x83\x41Z");
}

struct TrimCase {
    const char* text;
    const char* set;
    int which;  // 0 Trim, 1 TrimLeft, 2 TrimRight
    const char* expected;
};

TEST_F(CstrTest, TrimTable)
{
    const TrimCase cases[] = {
        {" \t ab c \r\n", nullptr, 0, "ab c"},
        {"   ", " ", 0, "<null>"},
        {"1200", "0", 2, "12"},
        {"0012", "0", 1, "12"},
        {"0012", "0", 2, "0012"},
        {" \v\fx\v\f ", nullptr, 0, "x"},
        {"  ab  ", "", 0, "  ab  "},     // empty set trims nothing
        {"xxabxx", "x", 1, "abxx"},
        {"xxabxx", "x", 2, "xxab"},
        {"\xA0" "ab\xA0", nullptr, 0, "\xA0" "ab\xA0"},  // high bytes are not white space
        {"\t\t", nullptr, 1, "<null>"},
        {"\t\t", nullptr, 2, "<null>"},
    };
    for (const auto& c : cases) {
        CSTR s(c.text);
        const char* result = c.which == 0 ? s.Trim(c.set) : c.which == 1 ? s.TrimLeft(c.set) : s.TrimRight(c.set);
        EXPECT_EQ(result, s.String());
        EXPECT_EQ(Text(s), c.expected) << "case " << c.text;
        const std::string expected = c.expected == std::string("<null>") ? "" : c.expected;
        EXPECT_EQ(s.Length(), expected.size());
    }
}

TEST_F(CstrTest, RegisteredTrapIsStoredButNotCalled)
{
    static int calls = 0;
    CSTR s("abc");
    s.RegisterErrorTrap([] { ++calls; });
    s += "def";
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(Text(s), "abcdef");
}

using CstrDeathTest = CstrTest;

TEST_F(CstrDeathTest, OutOfMemoryEndsTheProcessWithFailureStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto append = [] {
        CSTR s("abc");
        CSTR::SetAllocator(FailingCalloc);
        s.Append("def");
    };
    const auto assignNumber = [] {
        CSTR s;
        CSTR::SetAllocator(FailingCalloc);
        s = 12;
    };
    const auto insert = [] {
        CSTR s("abc");
        CSTR::SetAllocator(FailingCalloc);
        s.Insert("x", 1);
    };
    EXPECT_EXIT(append(), ::testing::ExitedWithCode(EXIT_FAILURE), "^$");
    EXPECT_EXIT(assignNumber(), ::testing::ExitedWithCode(EXIT_FAILURE), "^$");
    EXPECT_EXIT(insert(), ::testing::ExitedWithCode(EXIT_FAILURE), "^$");
}

}  // namespace
