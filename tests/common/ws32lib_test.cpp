// Reference counting of the socket library binding (natively and with the real
// WSOCK32.DLL under Wine).
#include "ws32lib.h"

#include <gtest/gtest.h>

namespace {

enum class Step { Load, Unload };

struct CountCase {
    Step step;
    std::int32_t loadResult;  // for Load steps
    std::uint32_t count;
    bool loaded;
};

TEST(Ws32LibTest, LoadCountFollowsLoadsAndUnloads)
{
    ASSERT_EQ(WS32LIB_GetLoadCount(), 0u);
    const CountCase steps[] = {
        {Step::Unload, 0, 0, false},  // an unload at count 0 changes nothing
        {Step::Load, 0, 1, true},
        {Step::Load, 0, 2, true},
        {Step::Unload, 0, 1, true},   // two loads, one unload: still loaded
        {Step::Unload, 0, 0, false},  // the last reference frees it
        {Step::Unload, 0, 0, false},
        {Step::Load, 0, 1, true},     // and it loads again
        {Step::Unload, 0, 0, false},
    };
    Ws32Module handleWhileLoaded = nullptr;
    int index = 0;
    for (const CountCase& c : steps) {
        SCOPED_TRACE(index++);
        if (c.step == Step::Load) {
            EXPECT_EQ(WS32LIB_LoadDLL(), c.loadResult);
        } else {
            WS32LIB_UnloadDLL();
        }
        EXPECT_EQ(WS32LIB_GetLoadCount(), c.count);
        EXPECT_EQ(WS32LIB_IsLoadDLL(), c.loaded ? 1 : 0);
        if (!c.loaded) {
            EXPECT_EQ(WS32LIB_GetDLLHandle(), nullptr);
            handleWhileLoaded = nullptr;
            continue;
        }
        ASSERT_NE(WS32LIB_GetDLLHandle(), nullptr);
        if (handleWhileLoaded != nullptr) {
            EXPECT_EQ(WS32LIB_GetDLLHandle(), handleWhileLoaded) << "a second load must not reload";
        }
        handleWhileLoaded = WS32LIB_GetDLLHandle();
    }
}

TEST(Ws32LibTest, LibraryThatCannotBeLoadedLeavesCountAndHandleEmpty)
{
    ASSERT_EQ(WS32LIB_GetLoadCount(), 0u);
    EXPECT_EQ(Ws32LoadNamed("NO_SUCH_SOCKET_LIBRARY.DLL"), -1);
    EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), nullptr);

    // A later load of the real library is not hindered by the failed one.
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetLoadCount(), 1u);
    WS32LIB_UnloadDLL();
    EXPECT_EQ(WS32LIB_GetLoadCount(), 0u);
}

} // namespace
