// The binding with the real WSOCK32.DLL (Windows build, run under Wine): what is loaded
// and what is freed.
#include "ws32lib.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(Ws32LibWindowsTest, LoadsAndFreesWsock32)
{
    ASSERT_EQ(WS32LIB_GetLoadCount(), 0u);
    ASSERT_EQ(GetModuleHandleA("WSOCK32.DLL"), nullptr) << "nothing else may hold the library";
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), GetModuleHandleA("WSOCK32.DLL"));
    WS32LIB_UnloadDLL();
    EXPECT_EQ(GetModuleHandleA("WSOCK32.DLL"), nullptr) << "the last unload frees the library";
}

TEST(Ws32LibWindowsTest, LibraryWithoutTheSocketCallsFailsButStaysLoaded)
{
    ASSERT_EQ(WS32LIB_GetLoadCount(), 0u);
    EXPECT_EQ(Ws32LoadNamed("KERNEL32.DLL"), -1);
    EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), GetModuleHandleA("KERNEL32.DLL"));

    // The next load starts again from the library's name.
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), GetModuleHandleA("WSOCK32.DLL"));
    WS32LIB_UnloadDLL();
    EXPECT_EQ(WS32LIB_GetDLLHandle(), nullptr);
}

} // namespace
