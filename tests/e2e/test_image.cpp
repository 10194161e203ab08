#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "image/Fat12Image.h"

namespace {
// Every file of an image: name (from its long name) to content.
Floppy ImageFiles(const std::string& path)
{
    Floppy files;
    Fat12ImageFile image(path.c_str());
    DWORD error = 0;
    if (!image.Open(&error)) {
        ADD_FAILURE() << path << " does not open: " << error;
        return files;
    }
    static BYTE block[FileComparer::kBlockSize];
    for (int i = 0; i < image.GetFiles().GetSize(); ++i) {
        const Fat12RootFile& file = image.GetFiles()[i];
        char name[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, file.name, file.nNameLength, name, sizeof(name) - 1, NULL, NULL);
        Fat12FileReader reader(image, name);
        std::string& content = files[name];
        UINT got = 0;
        EXPECT_TRUE(reader.Open(&error)) << name;
        while (content.size() < reader.GetLength() && reader.ReadBlock(block, &got, &error) && got > 0)
            content.append(reinterpret_cast<char*>(block), got);
    }
    return files;
}
}  // namespace

TEST(Image, HoldsWhatTheWizardWritesOntoTheFloppy)
{
    ProgramDir dir;
    WriteCorvela(dir, 286720, 1210, 1261568);
    dir.Write("disk1\\Read me first.txt", SampleBytes(5000, 4));
    dir.Write("packlist.ini",
              PackageList({{"disk1\\setup.exe", "disk1\\setup.ini", "disk1\\Read me first.txt"}, {"disk2\\data.cab"}}));
    ConsoleRun images = RunConsoleProgram(dir, "QvImage.exe");
    ASSERT_EQ(0u, images.exitCode) << images.output;

    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());
    wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(program, "A:", IDABORT);
    ASSERT_EQ(2u, run.floppies.size());
    EXPECT_EQ(3u, run.floppies[0].size());
    EXPECT_TRUE(run.floppies[0] == ImageFiles(dir / "Disk 1 - Corvela.img")) << "Disk 1";
    EXPECT_TRUE(run.floppies[1] == ImageFiles(dir / "Disk 2 - Corvela.img")) << "Disk 2";
    RemoveContents("A:");
}
