// The facts the uninstall entry records about this program and the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/SystemInfo.h"

// GetSetupVersion is checked by tests/system/registration_test.py: it needs the program
// started from a drive path, which the unit test programs are not.

// A 32-bit process sees a 64-bit system exactly when it runs inside WOW64.
TEST(GetSystemBitness, FollowsTheNativeSystemNotThisProcess) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
    EXPECT_EQ(wow64 ? "64" : "32", GetSystemBitness());
}
