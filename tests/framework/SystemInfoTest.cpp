// The system's answers: the one way functions are looked up at run time.
#include "framework/SystemInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemInfoTest, FindProcGivesTheFunctionOrNull) {
    using TGetTickCount = DWORD(WINAPI*)();
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    const auto tick = FindProc<TGetTickCount>(kernel, "GetTickCount");
    ASSERT_NE(tick, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(tick),
              reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount")));
    EXPECT_EQ(FindProc<TGetTickCount>(kernel, "NoSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(FindProc<TGetTickCount>(nullptr, "GetTickCount"), nullptr)
        << "a library that did not load has no functions";
}

} // namespace
