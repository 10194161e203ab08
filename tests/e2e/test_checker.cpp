#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Screenshot.h"
#include "Driver.h"

namespace {

using CheckerRun = ConsoleRun;

CheckerRun RunChecker(const ProgramDir& dir, const std::string& args = "")
{
    return RunConsoleProgram(dir, "QvCheck.exe", args);
}

// The example package with three mistakes: a duplicate name on disk 1, a
// missing file and an overflowing file on disk 2.
void WriteFaultyCorvela(ProgramDir& dir)
{
    WriteCorvela(dir, 40000, 300, 300000);
    dir.Write("extra\\SETUP.INI", "[Setup]\r\nProduct=Corvela, the second\r\n");
    dir.Write("disk2\\huge.cab", std::string(1200000, 'h'));
    dir.Write("packlist.ini", PackageList({{"disk1\\setup.exe", "disk1\\setup.ini", "extra\\SETUP.INI"},
                                           {"disk2\\data.cab", "disk2\\missing.cab", "disk2\\huge.cab"}}));
}
}  // namespace

TEST(Checker, TheSamplePackageIsCleanAndAFaultySetShowsEveryProblem)
{
    ProgramDir dir;
    WriteCorvela(dir, 286720, 1210, 1261568);
    CheckerRun clean = RunChecker(dir);
    EXPECT_EQ(0u, clean.exitCode);
    EXPECT_EQ("Corvela\r\n"
              "  Disk 1 - Corvela: 2 files, 287,930 bytes, 288,256 on the floppy, 1,169,408 left\r\n"
              "  Disk 2 - Corvela: 1 file, 1,261,568 bytes, 1,261,568 on the floppy, 196,096 left\r\n"
              "No problems found.\r\n",
              clean.output);
    // The same list written with forward slashes, which the system takes too.
    dir.Write("packlist.ini", PackageList({{"disk1/setup.exe", "disk1/setup.ini"}, {"disk2/data.cab"}}));
    CheckerRun slashes = RunChecker(dir);
    EXPECT_EQ(0u, slashes.exitCode);
    EXPECT_EQ(clean.output, slashes.output);

    ProgramDir faulty;
    WriteFaultyCorvela(faulty);
    // A device is no file: neither counted nor dated.
    faulty.Write("packlist.ini", PackageList({{"disk1\\setup.exe", "disk1\\setup.ini", "extra\\SETUP.INI"},
                                              {"disk2\\data.cab", "disk2\\missing.cab", "disk2\\NUL",
                                               "disk2\\huge.cab"}}));
    CheckerRun problems = RunChecker(faulty);
    EXPECT_EQ(1u, problems.exitCode);
    std::string dirPath = faulty.Path();
    EXPECT_EQ("Corvela\r\n"
              "  Disk 1 - Corvela: 3 files, 40,038 bytes, 40,960 on the floppy, 1,416,704 left\r\n"
              "  Disk 2 - Corvela: 3 files, 1,500,000 bytes, 1,500,160 on the floppy, 42,496 too many\r\n"
              "4 problems:\r\n"
              "  Disk 1 - Corvela: disk1\\setup.ini and extra\\SETUP.INI both land on the floppy as setup.ini, "
              "and only the second stays.\r\n"
              "  Disk 2 - Corvela: disk2\\missing.cab is missing (there is no " + dirPath + "\\disk2\\missing.cab).\r\n"
              "  Disk 2 - Corvela: NUL is a device name on DOS and Windows and cannot be a file.\r\n"
              "  Disk 2 - Corvela: the files take 1,500,160 bytes on a 1.44MB floppy, 42,496 more than it holds.\r\n",
              problems.output);

    // Another list beside the program, and one by its full path.
    faulty.Write("other.ini", PackageList({{"disk1\\setup.exe"}}, "Other"));
    EXPECT_EQ(0u, RunChecker(faulty, "other.ini").exitCode);
    EXPECT_EQ(0u, RunChecker(dir, "\"" + (faulty / "other.ini") + "\"").exitCode);
}

TEST(Checker, ChecksForTheFloppyFormatAsked)
{
    ProgramDir dir;
    WriteCorvela(dir, 286720, 1210, 1261568);
    const struct {
        const char* args;
        DWORD exitCode;
        std::string output;  // empty: what was wrong, then the usage
    } cases[] = {
        {"/format 720", 1,
         "Corvela, on 720 KB floppies\r\n"
         "  Disk 1 - Corvela: 2 files, 287,930 bytes, 288,768 on the floppy, 441,344 left\r\n"
         "  Disk 2 - Corvela: 1 file, 1,261,568 bytes, 1,261,568 on the floppy, 531,456 too many\r\n"
         "1 problem:\r\n"
         "  Disk 2 - Corvela: the files take 1,261,568 bytes on a 720KB floppy, 531,456 more than it holds.\r\n"},
        {"/format 1680", 0,
         "Corvela, on 1.68 MB floppies\r\n"
         "  Disk 1 - Corvela: 2 files, 287,930 bytes, 288,768 on the floppy, 1,427,456 left\r\n"
         "  Disk 2 - Corvela: 1 file, 1,261,568 bytes, 1,261,568 on the floppy, 454,656 left\r\n"
         "No problems found.\r\n"},
        {"/format 360", 2, ""},
        {"/format", 2, ""},
        {"/format 720 /verify A:", 2, ""},
    };
    for (const auto& c : cases) {
        CheckerRun run = RunChecker(dir, c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << c.args;
        if (c.output.empty())
            EXPECT_NE(std::string::npos, run.output.find("\r\nUsage: QvCheck")) << c.args << ": " << run.output;
        else
            EXPECT_EQ(c.output, run.output) << c.args;
    }
}

TEST(Checker, AListThatDoesNotLoadNamesTheFirstRuleItBreaks)
{
    const std::string head = "[Global]\r\nName=Corvela\r\n[Disks]\r\n";
    const struct {
        const char* what;
        std::string list;
        const char* message;
    } cases[] = {
        {"no name", "[Global]\r\n[Disks]\r\nNumber=1\r\n", "[Global] Name is missing or empty"},
        {"empty name", "[Global]\r\nName=\r\n[Disks]\r\nNumber=1\r\n", "[Global] Name is missing or empty"},
        {"no number", head, "[Disks] Number is missing, zero, negative or not a number"},
        {"zero disks", head + "Number=0\r\n", "[Disks] Number is missing, zero, negative or not a number"},
        {"negative", head + "Number=-2\r\n", "[Disks] Number is missing, zero, negative or not a number"},
        {"not a number", head + "Number=two\r\n", "[Disks] Number is missing, zero, negative or not a number"},
        {"numbered from 1", head + "Number=1\r\n[Disk1]\r\nFiles=1\r\nFile0=a.txt\r\n", "[Disk0] is missing"},
        {"no files", head + "Number=1\r\n[Disk0]\r\nFiles=0\r\nFile0=a.txt\r\n",
         "[Disk0] Files is missing, zero, negative or not a number"},
        {"second disk incomplete", head + "Number=2\r\n[Disk0]\r\nFiles=1\r\nFile0=a.txt\r\n[Disk1]\r\nFiles=2\r\nFile1=b.txt\r\n",
         "[Disk1] File0 is missing"},
        {"empty entry", head + "Number=1\r\n[Disk0]\r\nFiles=2\r\nFile0=a.txt\r\nFile1=\r\n", "[Disk0] File1 is empty"},
        {"huge count", head + "Number=1\r\n[Disk0]\r\nFiles=2000000000\r\nFile0=a.txt\r\n", "[Disk0] File1 is missing"},
        {"not a list", "\x7f\x45\x4c\x46\x02\x01\x01\x00garbage\r\n", "[Global] Name is missing or empty"},
    };
    for (const auto& c : cases) {
        ProgramDir dir;
        dir.Write("packlist.ini", c.list);
        CheckerRun run = RunChecker(dir);
        EXPECT_EQ(2u, run.exitCode) << c.what;
        EXPECT_EQ(dir / "packlist.ini" + " does not load: " + c.message + ".\r\n", run.output) << c.what;
    }

    // No list at all, or a directory of that name: the file itself is the problem.
    ProgramDir dir;
    EXPECT_EQ(dir / "packlist.ini" + " does not load: The package list cannot be read.\r\n", RunChecker(dir).output);
    CreateDirectoryA((dir / "packlist.ini").c_str(), NULL);
    CheckerRun directory = RunChecker(dir);
    EXPECT_EQ(2u, directory.exitCode);
    EXPECT_NE(std::string::npos, directory.output.find("cannot be read")) << directory.output;

    // A value past the 259-character cut loads cut; beside any directory it
    // makes a path too long to open, which the build could not copy either.
    std::string longEntry(300, 'x');
    dir.Write("long.ini", head + "Number=1\r\n[Disk0]\r\nFiles=1\r\nFile0=" + longEntry + "\r\n");
    CheckerRun cut = RunChecker(dir, "long.ini");
    EXPECT_EQ(1u, cut.exitCode);
    EXPECT_NE(std::string::npos, cut.output.find(": " + longEntry.substr(0, 259) + " cannot be opened for reading ("))
        << cut.output;
}

TEST(Checker, TheWizardShowsTheProblemsBeforeAnyFloppyAndNoGoesBack)
{
    ProgramDir dir;
    WriteFaultyCorvela(dir);
    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());

    // Twice: No goes back and changes nothing, so the same box comes again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        wizard.Press(PSBTN_NEXT);
        HWND box = program.WaitForWindow(IsMessageBox);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ("Pellandor's disk maker", Text(box));
        std::string text = MessageBoxText(box);
        EXPECT_EQ(0u, text.find("Before any floppy is asked for, these problems were found in the disks you chose:"))
            << text;
        EXPECT_NE(std::string::npos, text.find("only the second stays")) << text;
        EXPECT_NE(std::string::npos, text.find("disk2\\missing.cab is missing")) << text;
        EXPECT_NE(std::string::npos, text.find("42,496 more than it holds")) << text;
        EXPECT_NE(std::string::npos, text.find("Do you want to build the disks anyway?")) << text;
        if (attempt == 0)
            SaveScreenshot("5f-package-problems");
        PressButton(box, IDNO);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        Sleep(200);
        EXPECT_EQ(nullptr, FindWindowA(NULL, "Copying Files")) << "no floppy was asked for";
        EXPECT_EQ("Get Needed Disks", wizard.PageTitle());
        EXPECT_TRUE(wizard.Enabled(kBack) && wizard.Enabled(kNext));
        EXPECT_TRUE(FilesIn("A:").empty());
    }

    // Yes builds anyway, exactly as the list says: the second SETUP.INI
    // stays, the missing file is skipped when the user ignores it.
    wizard.Press(PSBTN_NEXT);
    HWND box = program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    PressButton(box, IDYES);
    BuildRun run = RunBuild(program, "A:", IDIGNORE);
    ASSERT_EQ(2u, run.prompts.size());
    ASSERT_GE(run.floppies.size(), 1u);
    EXPECT_EQ(ReadFileBytes(dir / "extra\\SETUP.INI"), run.floppies[0]["SETUP.INI"].empty()
                                                            ? run.floppies[0]["setup.ini"]
                                                            : run.floppies[0]["SETUP.INI"]);
    ASSERT_GE(run.problems.size(), 2u);
    EXPECT_EQ(0u, run.problems[0].find("Unable to find a file to be copied")) << run.problems[0];
    EXPECT_EQ(0u, run.problems[1].find("The disk is full.")) << run.problems[1];
    RemoveContents("A:");
}

TEST(Checker, TheWizardListsAtMostSixProblemsAndCountsTheRest)
{
    ProgramDir dir;
    PackageDisks gone(1);
    for (int j = 0; j < 8; ++j)
        gone[0].push_back("gone" + std::to_string(j) + ".cab");
    dir.Write("packlist.ini", PackageList(gone));
    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());
    wizard.Press(PSBTN_NEXT);
    HWND box = program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    std::string text = MessageBoxText(box);
    EXPECT_NE(std::string::npos, text.find("gone5.cab is missing")) << text;
    EXPECT_EQ(std::string::npos, text.find("gone6.cab")) << text;
    EXPECT_NE(std::string::npos, text.find("\n\n... and 2 more.\n\nDo you want")) << text;
    PressButton(box, IDNO);
}

// A stack of old floppies: which disk each one is, and whether it holds
// that disk exactly.
TEST(Checker, VerifyTellsAGoodFloppyFromABadOne)
{
    ProgramDir dir;
    WriteCorvela(dir);
    auto put = [&](std::initializer_list<const char*> entries) {
        for (const char* entry : entries) {
            std::string name = std::string(entry).substr(6);
            ASSERT_TRUE(CopyFileA((dir / entry).c_str(), ("A:\\" + name).c_str(), FALSE)) << entry;
        }
    };
    auto put1HourApart = [&](int seconds) {
        put({"disk1\\setup.exe", "disk1\\setup.ini"});
        SetLastWriteTime("A:\\setup.exe", AddSeconds(LastWriteTime(dir / "disk1\\setup.exe"), 3600 + seconds));
    };
    auto put1975 = [&] {
        SetLastWriteTime(dir / "disk1\\setup.ini", LocalTime(1975, 3, 1));
        put({"disk1\\setup.exe", "disk1\\setup.ini"});
        SetLastWriteTime("A:\\setup.ini", LocalTime(1980, 1, 1));
    };
    const struct {
        const char* name;
        std::function<void()> floppy;
        std::string args;
        DWORD exitCode;
        std::vector<std::string> said;
    } cases[] = {
        {"disk 1 as written", [&] { put({"disk1\\setup.exe", "disk1\\setup.ini"}); }, "/verify A:", 0,
         {"Drive A: against Disk 1 - Corvela\r\n  setup.exe: the same\r\n  setup.ini: the same\r\n"
          "Drive A: holds Disk 1 - Corvela exactly.\r\n"}},
        {"disk 2, found by its files", [&] { put({"disk2\\data.cab"}); }, "/verify a:\\", 0,
         {"Drive A: holds Disk 2 - Corvela exactly."}},
        {"a changed byte",
         [&] {
             put({"disk1\\setup.exe", "disk1\\setup.ini"});
             PatchFileByte("A:\\setup.exe", 7, static_cast<char>(~SampleBytes(40000, 1)[7]));
         },
         "/verify A:", 1,
         {"  setup.exe differs from its source at byte 7.\r\n", "does not hold Disk 1 - Corvela: 1 difference."}},
        {"another disk's floppy", [&] { put({"disk2\\data.cab"}); }, "/verify A: /disk 1", 1,
         {"  setup.exe is missing from the floppy.\r\n  setup.ini is missing from the floppy.\r\n"
          "  data.cab is on the floppy but not on the disk.\r\n"}},
        // NT converts a FAT floppy's local times with today's offset.
        {"written under the other daylight-saving time", [&] { put1HourApart(0); }, "/verify A:", 0,
         {"  setup.exe: the same, one hour apart: written under the other daylight-saving time\r\n",
          "Drive A: holds Disk 1 - Corvela exactly."}},
        {"an hour and 3 seconds apart", [&] { put1HourApart(3); }, "/verify A:", 1,
         {"  setup.exe does not have its source's modification time.\r\n"}},
        {"a 1975 source, as a FAT floppy stores it", [&] { put1975(); }, "/verify A:", 0,
         {"  setup.ini: the same\r\n", "Drive A: holds Disk 1 - Corvela exactly."}},
        {"an empty drive", [] {}, "/verify N:", 1, {"There is no floppy in drive N:.\r\n"}},
        {"no such disk", [] {}, "/verify A: /disk 3", 2, {"The package has no disk 3."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveContents("A:");
        c.floppy();
        CheckerRun run = RunChecker(dir, c.args);
        EXPECT_EQ(c.exitCode, run.exitCode) << run.output;
        for (const std::string& said : c.said)
            EXPECT_NE(std::string::npos, run.output.find(said)) << run.output;
    }
    RemoveContents("A:");
}

// Sources dated where FAT has no time (a reproducible build's 1970, a
// date far ahead): the package report mentions them without counting them
// as problems, and the wizard writes and verifies the disks.
TEST(Checker, SourcesDatedOutsideFatsRangeAreMentionedAndBuilt)
{
    ProgramDir dir;
    WriteCorvela(dir);
    SetLastWriteTime(dir / "disk1\\setup.ini", LocalTime(1975, 3, 1, 10));
    SetLastWriteTime(dir / "disk2\\data.cab", LocalTime(2110, 5, 1));
    CheckerRun check = RunChecker(dir);
    EXPECT_EQ(0u, check.exitCode) << check.output;
    for (const char* said : {"    disk1\\setup.ini is dated 1975-03-01; floppies store 1980-01-01 00:00:00\r\n",
                             "    disk2\\data.cab is dated 2110-05-01; floppies store 2107-12-31 23:59:58\r\n",
                             "No problems found."})
        EXPECT_NE(std::string::npos, check.output.find(said)) << check.output;

    Program program(dir);
    Wizard wizard = WizardAtBuildPage(program);
    ASSERT_NE(nullptr, wizard.hwnd());
    wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(program, "A:", IDCANCEL);
    EXPECT_TRUE(run.problems.empty()) << run.problems[0];
    ASSERT_EQ(2u, run.floppies.size());
    EXPECT_EQ(ReadFileBytes(dir / "disk2\\data.cab"), run.floppies[1]["data.cab"]);
    EXPECT_TRUE(wizard.WaitForPage("Pellandor's disk maker")) << "written and verified";
    RemoveContents("A:");
}
