#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Screenshot.h"
#include "Driver.h"
#include "res/resource.h"

namespace {
// One disk whose second file takes long enough to copy for the user to
// meddle with the floppy meanwhile.
void WriteOneDiskSet(ProgramDir& dir)
{
    dir.Write("disk1\\setup.exe", SampleBytes(40000, 1));
    dir.Write("disk1\\big.bin", SampleBytes(1300000, 2));
    dir.Write("packlist.ini", PackageList({{"disk1\\setup.exe", "disk1\\big.bin"}}));
}
}  // namespace

// What a blind copy would call a good disk: the floppy swapped at a Retry,
// or a written file changed later. The disk is read back, the floppy
// emptied, and Retry writes it again.
TEST(Verify, AFloppyThatDoesNotHoldItsDiskIsEmptiedAndWrittenAgain)
{
    const std::string setup = SampleBytes(40000, 1);
    const struct {
        const char* name;
        std::function<void()> whileBigCopies;
        std::string found;
    } cases[] = {
        {"floppy swapped at Retry", [] { FillDisk("A:\\filler.bin"); }, "setup.exe is missing from the floppy"},
        {"a byte changed", [&] { PatchFileByte("A:\\setup.exe", 12345, static_cast<char>(~setup[12345])); },
         "setup.exe differs from its source at byte 12,345"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramDir dir;
        WriteOneDiskSet(dir);
        Program program(dir);
        Wizard wizard = WizardAtBuildPage(program);
        ASSERT_NE(nullptr, wizard.hwnd());
        EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(wizard.Page(), IDC_VERIFY), BM_GETCHECK, 0, 0));
        wizard.Press(PSBTN_NEXT);

        std::vector<Floppy> atVerifyBox;
        std::vector<std::string> verifyTexts;
        BuildRun run = RunBuild(
            program, "A:",
            [&](HWND box) {
                std::string text = MessageBoxText(box);
                if (text.rfind("The disk is full", 0) == 0) {
                    RemoveContents("A:");  // the user puts in another floppy
                    return IDRETRY;
                }
                verifyTexts.push_back(text);
                atVerifyBox.push_back(FilesIn("A:"));
                if (verifyTexts.size() == 1 && c.found.find("differs") != std::string::npos)
                    SaveScreenshot("5g-verify-failed");
                return IDRETRY;
            },
            [&](int prompt) {
                if (prompt != 1)
                    return;
                HWND line = GetDlgItem(program.WaitForCaption("Copying Files"), IDC_FILE_LINE);
                ASSERT_TRUE(WaitUntil([&] { return Text(line) == "Copying disk1\\big.bin"; }));
                program.WhileFrozen(c.whileBigCopies);
            });
        ASSERT_EQ(1u, verifyTexts.size());
        EXPECT_EQ("Disk 1 - Corvela did not verify: " + c.found + ".",
                  verifyTexts[0].substr(0, verifyTexts[0].find(".\n") + 1));
        EXPECT_TRUE(atVerifyBox[0].empty()) << "the floppy that failed holds nothing";
        EXPECT_EQ(2u, run.prompts.size());
        ASSERT_FALSE(run.floppies.empty());
        EXPECT_EQ((Floppy{{"setup.exe", setup}, {"big.bin", SampleBytes(1300000, 2)}}), run.floppies.back());
        EXPECT_TRUE(wizard.WaitForPage("Pellandor's disk maker")) << "verified, the set is complete";
    }
}
