#include <gtest/gtest.h>
#include <windows.h>

#include "FailFast.h"

int main(int argc, char** argv)
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ::testing::InitGoogleTest(&argc, argv);
    InstallFailFast();
    return RUN_ALL_TESTS();
}
