// The facts the uninstall entry records about this program and the machine.
#include <gtest/gtest.h>

#include <windows.h>

#include "engine/SystemInfo.h"

// GetSetupVersion is checked by tests/system/registration_test.py: it needs the program
// started from a drive path, which the unit test programs are not.

// An x86-64 program runs only on a 64-bit system, and is never inside WOW64.
TEST(GetSystemBitness, IsThatOfTheSystemThisX64ProgramRunsOn) {
    BOOL wow64 = TRUE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
    EXPECT_FALSE(wow64);
    EXPECT_EQ("64", GetSystemBitness());
}
