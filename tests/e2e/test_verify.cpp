#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Screenshot.h"
#include "Driver.h"
#include "res/resource.h"

namespace {
// One disk whose second file takes long enough to copy for the user to
// meddle with the floppy meanwhile; with eraseUsed, the erase box starts
// checked.
void WriteOneDiskSet(ProgramDir& dir, bool eraseUsed = false)
{
    if (eraseUsed)
        dir.Write("Quorvane.ini", "[Options]\r\nEraseUsed=1\r\n");
    dir.Write("disk1\\setup.exe", SampleBytes(40000, 1));
    dir.Write("disk1\\big.bin", SampleBytes(1300000, 2));
    dir.Write("packlist.ini", PackageList({{"disk1\\setup.exe", "disk1\\big.bin"}}));
}

const Floppy kWritten = {{"setup.exe", SampleBytes(40000, 1)}, {"big.bin", SampleBytes(1300000, 2)}};

// A used floppy: files, a read-only one, and a folder with a file inside;
// or, with onlyANote, one small note and nothing else.
const Floppy kUsed = {{"setup.exe", "the user's own"}, {"notes.txt", SampleBytes(30000, 3)}};
const Floppy kNote = {{"NOTES.TXT", SampleBytes(400, 5)}};
void PutUsedFloppy(const std::string& root, bool onlyANote = false)
{
    for (const auto& file : onlyANote ? kNote : kUsed)
        WriteFileBytes(root + "\\" + file.first, file.second);
    if (onlyANote)
        return;
    SetFileAttributesA((root + "\\notes.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((root + "\\letters").c_str(), NULL);
    WriteFileBytes(root + "\\letters\\1998.txt", SampleBytes(5000, 4));
}
bool StillUsed(const std::string& root, bool onlyANote = false)
{
    return onlyANote ? FilesIn(root) == kNote
                     : FilesIn(root) == kUsed && FileExists(root + "\\letters\\1998.txt");
}

bool IsEraseQuestion(const std::string& text)
{
    return text.rfind("The floppy disk in drive", 0) == 0;
}
bool IsNotBlankBox(const std::string& text)
{
    return text.rfind("The destination disk is not blank.", 0) == 0;
}
}  // namespace

// What a blind copy would call a good disk: a written file changed later.
// The disk is read back, the floppy emptied, and Retry writes it again.
TEST(Verify, AFloppyThatDoesNotHoldItsDiskIsEmptiedAndWrittenAgain)
{
    const std::string setup = SampleBytes(40000, 1);
    const struct {
        const char* name;
        std::function<void()> whileBigCopies;
        std::string found;
    } cases[] = {
        {"a byte changed", [&] { PatchFileByte("A:\\setup.exe", 12345, static_cast<char>(~setup[12345])); },
         "setup.exe differs from its source at byte 12,345"},
        {"a file deleted", [] { DeleteFileA("A:\\setup.exe"); }, "setup.exe is missing from the floppy"},
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

// A used floppy at the first prompt. With the box checked (Quorvane.ini
// EraseUsed=1) Yes erases it and the set is written and verified; No, and
// the box unchecked, give the not-blank box and leave the floppy as it was.
TEST(UsedFloppy, OnlyAYesErasesIt)
{
    const struct {
        const char* name;
        bool eraseUsed;
        int answer;
        bool onlyANote;  // a floppy with one small file of the user's is not blank either
    } cases[] = {{"Yes", true, IDYES, false},          {"No", true, IDNO, false},
                 {"box unchecked", false, IDYES, false}, {"a note, Yes", true, IDYES, true},
                 {"a note, box unchecked", false, IDYES, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramDir dir;
        WriteOneDiskSet(dir, c.eraseUsed);
        Program program(dir);
        Wizard wizard = WizardAtBuildPage(program);
        ASSERT_NE(nullptr, wizard.hwnd());
        EXPECT_EQ(c.eraseUsed ? BST_CHECKED : BST_UNCHECKED,
                  SendMessageA(GetDlgItem(wizard.Page(), IDC_ERASE_USED), BM_GETCHECK, 0, 0));
        if (c.eraseUsed && c.answer == IDYES)
            SaveScreenshot("5h-get-disks-erase-checked");
        PutUsedFloppy("A:", c.onlyANote);
        wizard.Press(PSBTN_NEXT);
        std::vector<std::string> problems;
        BuildRun run = RunBuild(
            program, "A:",
            [&](HWND box) {
                std::string text = MessageBoxText(box);
                problems.push_back(text);
                if (IsEraseQuestion(text) && c.answer == IDYES)
                    SaveScreenshot(c.onlyANote ? "5m-erase-question-one-note" : "5i-erase-question");
                if (!IsEraseQuestion(text)) {
                    if (c.onlyANote)
                        SaveScreenshot("5n-not-blank-one-note");
                    EXPECT_TRUE(StillUsed("A:", c.onlyANote)) << "nothing went without a Yes";
                }
                return IsEraseQuestion(text) ? c.answer : IDCANCEL;
            },
            nullptr, [](int) { return true; });
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(c.eraseUsed, IsEraseQuestion(problems[0])) << problems[0];
        if (c.answer == IDYES && c.eraseUsed) {
            EXPECT_EQ(1u, problems.size()) << problems.back();
            EXPECT_EQ(kWritten, FilesIn("A:"));
            EXPECT_FALSE(FileExists("A:\\letters"));
            EXPECT_TRUE(wizard.WaitForPage("Pellandor's disk maker")) << "written and verified";
        } else {
            EXPECT_TRUE(IsNotBlankBox(problems.back())) << problems.back();
            EXPECT_TRUE(StillUsed("A:", c.onlyANote));
        }
        RemoveContents("A:");
    }
}

// "The disk is full" while the second file copies: the user swaps floppies
// and presses Retry. An empty floppy gets the disk from its first file with
// no detour through a failed verification; the user's own floppy keeps its
// files and gets the not-blank box, or the question when the box is checked.
TEST(UsedFloppy, AFloppySwappedAtTheDiskFullBoxIsCheckedLikeANewOne)
{
    // The user's floppy with a file of the disk's first file's name and
    // length, but other bytes and another time.
    const Floppy lookalike = {{"setup.exe", SampleBytes(40000, 7)}};
    const struct {
        const char* name;
        bool usersFloppy, eraseUsed, lookalike;
    } cases[] = {{"an empty floppy", false, false, false},
                 {"the user's floppy", true, false, false},
                 {"the user's floppy, erasing allowed", true, true, false},
                 {"a floppy with a file like the disk's first", true, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramDir dir;
        WriteOneDiskSet(dir, c.eraseUsed);
        Program program(dir);
        Wizard wizard = WizardAtBuildPage(program);
        ASSERT_NE(nullptr, wizard.hwnd());
        wizard.Press(PSBTN_NEXT);
        std::vector<std::string> problems;
        BuildRun run = RunBuild(
            program, "A:",
            [&](HWND box) {
                std::string text = MessageBoxText(box);
                problems.push_back(text);
                if (text.rfind("The disk is full", 0) == 0) {
                    RemoveContents("A:");  // the user puts in another floppy
                    if (c.lookalike) {
                        WriteFileBytes("A:\\setup.exe", lookalike.at("setup.exe"));
                        SetLastWriteTime("A:\\setup.exe", LocalTime(1998, 5, 1));
                    } else if (c.usersFloppy) {
                        PutUsedFloppy("A:");
                    }
                    return IDRETRY;
                }
                return IsEraseQuestion(text) ? IDNO : IDCANCEL;
            },
            [&](int prompt) {
                if (prompt != 1)
                    return;
                HWND line = GetDlgItem(program.WaitForCaption("Copying Files"), IDC_FILE_LINE);
                ASSERT_TRUE(WaitUntil([&] { return Text(line) == "Copying disk1\\big.bin"; }));
                program.WhileFrozen([] { FillDisk("A:\\filler.bin"); });
            });
        ASSERT_EQ(c.usersFloppy ? 2u + c.eraseUsed : 1u, problems.size()) << problems.back();
        EXPECT_EQ(0u, problems[0].find("The disk is full")) << problems[0];
        for (const std::string& text : problems)
            EXPECT_EQ(std::string::npos, text.find("did not verify")) << text;
        if (!c.usersFloppy) {
            EXPECT_EQ(1u, run.prompts.size());
            EXPECT_EQ(kWritten, FilesIn("A:"));
            EXPECT_TRUE(wizard.WaitForPage("Pellandor's disk maker")) << "written again and verified";
        } else {
            EXPECT_EQ(c.eraseUsed, IsEraseQuestion(problems[1])) << problems[1];
            EXPECT_TRUE(IsNotBlankBox(problems.back())) << problems.back();
            EXPECT_TRUE(c.lookalike ? FilesIn("A:") == lookalike : StillUsed("A:")) << "the user's files are untouched";
        }
        RemoveContents("A:");
    }
}

// Run in a prefix whose drive A: is a medium larger than 2.88 MB: a USB
// stick picked by mistake is never offered for erasing.
TEST(BigMedium, AUsedMediumLargerThanAFloppyIsNeverErased)
{
    ProgramDir dir;
    WriteOneDiskSet(dir, true);
    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());
    PutUsedFloppy("A:");
    wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(program, "A:", [](HWND) { return IDCANCEL; }, nullptr, [](int) { return true; });
    ASSERT_EQ(1u, run.problems.size());
    EXPECT_TRUE(IsNotBlankBox(run.problems[0])) << run.problems[0];
    EXPECT_TRUE(StillUsed("A:"));
    RemoveContents("A:");
}
