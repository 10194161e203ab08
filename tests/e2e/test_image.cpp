#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"

TEST(Image, HoldsWhatTheWizardWritesOntoTheFloppy)
{
    ProgramDir dir;
    WriteCorvela(dir, 286720, 1210, 1261568);
    dir.Write("disk1\\Read me first.txt", SampleBytes(5000, 4));
    dir.Write("disk1\\na\xEFve r\xE9sum\xE9.doc", SampleBytes(700, 5));
    dir.Write("packlist.ini", PackageList({{"disk1\\setup.exe", "disk1\\setup.ini", "disk1\\Read me first.txt",
                                            "disk1\\na\xEFve r\xE9sum\xE9.doc"},
                                           {"disk2\\data.cab"}}));
    ConsoleRun images = RunConsoleProgram(dir, "QvImage.exe");
    ASSERT_EQ(0u, images.exitCode) << images.output;

    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());
    wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(program, "A:", IDABORT);
    ASSERT_EQ(2u, run.floppies.size());
    EXPECT_EQ(4u, run.floppies[0].size());
    EXPECT_TRUE(run.floppies[0] == ImageFilesByMtools(dir / "Disk 1 - Corvela.img")) << "Disk 1";
    EXPECT_TRUE(run.floppies[1] == ImageFilesByMtools(dir / "Disk 2 - Corvela.img")) << "Disk 2";
    RemoveContents("A:");
}
