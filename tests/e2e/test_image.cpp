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
    for (int disk = 0; disk < 2; ++disk) {
        Floppy image = ImageFilesByMtools(dir / ("Disk " + std::to_string(disk + 1) + " - Corvela.img"));
        EXPECT_EQ(run.floppies[disk].size(), image.size()) << "Disk " << disk + 1;
        for (const auto& file : run.floppies[disk])
            EXPECT_TRUE(image.count(file.first) && image[file.first] == file.second) << file.first;
    }
    RemoveContents("A:");
}
