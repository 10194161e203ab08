#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "FailFast.h"
#include "GuiTest.h"

int main(int argc, char** argv)
{
    // Under ctest nobody is there to answer the system's own error boxes.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    InitCommonControls();
    // Photographed boxes are named after their test.
    BoxPhotoName = [] {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(test ? test->name() : "box");
    };
    ::testing::InitGoogleTest(&argc, argv);
    InstallFailFast();
    return RUN_ALL_TESTS();
}
