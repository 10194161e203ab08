#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Screenshot.h"
#include "Driver.h"
#include "res/resource.h"

namespace {
const char* const kLicense = "CORVELA LICENSE\r\n\r\nYou may copy these disks for backup only.\r\n";

// The example with a cabinet of 1.2 MB, long enough to copy for a test to
// act meanwhile, and by default a license.
struct WizardSession : Session {
    explicit WizardSession(bool withLicense = true, const std::string& packlist = "",
                           const std::vector<std::string>& environment = {})
        : Session(1200000, withLicense ? kLicense : "", packlist, environment)
    {
    }
    // Next, then waits for the page of that title.
    void Next(const std::string& title)
    {
        ASSERT_TRUE(wizard.Next(title)) << "now on " << wizard.PageTitle();
    }
};
}  // namespace

TEST(Wizard, AUserBuildsBothDisksThroughAllSixPages)
{
    WizardSession s;
    ASSERT_NE(nullptr, s.wizard.hwnd());
    SaveScreenshot("1-welcome");

    s.Next("License Agreement");
    EXPECT_EQ(kLicense, Text(s.Item(IDC_LICENSE_TEXT)));
    EXPECT_TRUE(s.wizard.Visible(kBack) && s.wizard.Enabled(kBack));
    EXPECT_EQ(GetDlgItem(s.wizard.hwnd(), IDCANCEL), FocusOf(s.wizard.hwnd()));
    DWORD_PTR selection = Ask(s.Item(IDC_LICENSE_TEXT), EM_GETSEL);
    EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "no text is selected";
    SaveScreenshot("2-license");

    s.Next("Select Disks");
    HWND disks = s.Item(IDC_DISK_LIST);
    ASSERT_EQ(2, ListCount(disks));
    EXPECT_EQ(" Disk1: Corvela", ListText(disks, 0));
    EXPECT_EQ(" Disk2: Corvela", ListText(disks, 1));
    EXPECT_EQ(1, ListData(disks, 0) & ListData(disks, 1)) << "every disk starts checked";
    SaveScreenshot("3-select-disks");

    s.Next("Select Drive");
    HWND drives = s.Item(IDC_DRIVE_LIST);
    ASSERT_EQ(2, ListCount(drives));
    EXPECT_EQ(0, ListSelection(drives)) << "A: is chosen first";
    EXPECT_NE(std::string::npos, ListText(drives, 0).find("A:"));
    SaveScreenshot("4-select-drive");

    s.Next("Get Needed Disks");
    EXPECT_EQ("You will need 2 blank, formatted disks.", Text(s.Item(IDC_DISK_COUNT)));
    EXPECT_TRUE(s.wizard.Enabled(kBack) && s.wizard.Enabled(kNext));
    SaveScreenshot("5-get-disks");

    s.wizard.Press(PSBTN_NEXT);
    ASSERT_NE(nullptr, s.program.WaitForWindow(IsMessageBox));
    SaveScreenshot("5a-insert-disk");
    BuildRun run = RunBuild(s.program, "A:", [](HWND) { return IDABORT; }, [&](int prompt) {
        HWND bar = GetDlgItem(s.program.WaitForCaption("Copying Files"), IDC_PROGRESS_BAR);
        if (prompt == 2 && WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) >= 25; }, 3000))
            SaveScreenshot("5b-copying-files", 0);  // inside the copy of the 1.2 MB cabinet
    });
    ASSERT_EQ(2u, run.prompts.size());
    EXPECT_NE(std::string::npos, run.prompts[0].find("'Disk 1 - Corvela' and place it in drive A:"));
    EXPECT_NE(std::string::npos, run.prompts[1].find("'Disk 2 - Corvela'"));
    EXPECT_TRUE(run.problems.empty());
    ASSERT_EQ(2u, run.floppies.size());
    EXPECT_EQ((Floppy{{"setup.exe", SampleBytes(40000, 1)}, {"setup.ini", SampleBytes(300, 2)}}),
              run.floppies[0]);
    EXPECT_EQ((Floppy{{"data.cab", SampleBytes(1200000, 3)}}), run.floppies[1]);

    ASSERT_TRUE(s.wizard.WaitForPage("Pellandor's disk maker"));
    EXPECT_EQ("You have successfully created the Corvela setup disks.  To install Corvela, run "
              "SETUP.EXE, located on Disk 1.",
              Text(s.Item(IDC_COMPLETE_TEXT)));
    EXPECT_TRUE(WaitUntil([&] { return !s.wizard.Visible(IDCANCEL); }));
    EXPECT_FALSE(s.wizard.Visible(kBack) || s.wizard.Visible(kNext));
    HWND done = GetDlgItem(s.wizard.hwnd(), kFinish);
    EXPECT_TRUE(IsWindowVisible(done) && IsWindowEnabled(done));
    EXPECT_EQ("Done", Text(done));
    RECT doneRect, cancelRect;
    GetWindowRect(done, &doneRect);
    GetWindowRect(GetDlgItem(s.wizard.hwnd(), IDCANCEL), &cancelRect);
    EXPECT_TRUE(EqualRect(&doneRect, &cancelRect)) << "Done stands where Cancel stood";
    SaveScreenshot("6-complete");

    s.wizard.Press(PSBTN_FINISH);
    EXPECT_TRUE(s.program.WaitForExit());
    EXPECT_EQ(0u, s.program.ExitCode()) << "ended on the completion page";
}

TEST(Wizard, WithoutALicenseTheWelcomePageLeadsToTheDisks)
{
    WizardSession s(false);
    ASSERT_NE(nullptr, s.wizard.hwnd());
    s.Next("Select Disks");
    s.wizard.Press(PSBTN_BACK);
    EXPECT_TRUE(s.wizard.WaitForPage("Welcome to Pellandor's disk maker"));
    EXPECT_TRUE(WaitUntil([&] { return !s.wizard.Visible(kBack); }));
}

TEST(Wizard, Disk2AloneOntoB)
{
    WizardSession s(false);
    s.Next("Select Disks");
    ClickCheckBox(s.Item(IDC_DISK_LIST), 0);
    EXPECT_EQ(0, ListData(s.Item(IDC_DISK_LIST), 0));
    s.Next("Select Drive");
    ClickItem(s.Item(IDC_DRIVE_LIST), 1);
    EXPECT_EQ(1, ListSelection(s.Item(IDC_DRIVE_LIST)));
    s.Next("Get Needed Disks");
    EXPECT_EQ("You will need 1 blank, formatted disk.", Text(s.Item(IDC_DISK_COUNT)));
    s.wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(s.program, "B:", IDABORT);
    ASSERT_EQ(1u, run.prompts.size());
    EXPECT_NE(std::string::npos, run.prompts[0].find("'Disk 2 - Corvela' and place it in drive B:"));
    ASSERT_EQ(1u, run.floppies.size());
    EXPECT_EQ((Floppy{{"data.cab", SampleBytes(1200000, 3)}}), run.floppies[0]);
    EXPECT_TRUE(FilesIn("A:").empty());
    EXPECT_TRUE(s.wizard.WaitForPage("Pellandor's disk maker"));
}

TEST(Wizard, NextWithoutADiskIsRefusedAndChoicesSurviveGoingBack)
{
    WizardSession s(false);
    s.Next("Select Disks");
    PressButton(s.wizard.Page(), IDC_CLEAR_SELECTIONS);
    s.wizard.Press(PSBTN_NEXT);
    HWND box = s.program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("You have not selected any disks to be built.  Please check the disks you wish built "
              "and then press Next.",
              MessageBoxText(box));
    EXPECT_EQ("Pellandor's disk maker", Text(box));
    SaveScreenshot("3a-no-disk-selected");
    PressButton(box, IDOK);
    WaitUntil([&] { return !IsWindow(box); });
    EXPECT_EQ("Select Disks", s.wizard.PageTitle());

    ClickCheckBox(s.Item(IDC_DISK_LIST), 1);
    s.Next("Select Drive");
    ClickItem(s.Item(IDC_DRIVE_LIST), 1);
    s.Next("Get Needed Disks");
    EXPECT_EQ("You will need 1 blank, formatted disk.", Text(s.Item(IDC_DISK_COUNT)));

    // Back to the disks: check all again; the drive page keeps B: selected.
    s.wizard.Press(PSBTN_BACK);
    ASSERT_TRUE(s.wizard.WaitForPage("Select Drive"));
    s.wizard.Press(PSBTN_BACK);
    ASSERT_TRUE(s.wizard.WaitForPage("Select Disks"));
    EXPECT_EQ(0, ListData(s.Item(IDC_DISK_LIST), 0));
    EXPECT_EQ(1, ListData(s.Item(IDC_DISK_LIST), 1));
    PressButton(s.wizard.Page(), IDC_SELECT_ALL);
    s.Next("Select Drive");
    EXPECT_EQ(1, ListSelection(s.Item(IDC_DRIVE_LIST)));
    s.Next("Get Needed Disks");
    EXPECT_EQ("You will need 2 blank, formatted disks.", Text(s.Item(IDC_DISK_COUNT)));
}

TEST(Wizard, CancelAsksOnEveryPageAndNoStays)
{
    WizardSession s;
    const char* pages[] = {"License Agreement", "Select Disks", "Select Drive", "Get Needed Disks"};
    for (int i = 0; i <= 4; ++i) {
        std::string title = s.wizard.PageTitle();
        s.wizard.Press(PSBTN_CANCEL);
        HWND box = s.program.WaitForWindow(IsMessageBox);
        ASSERT_NE(nullptr, box) << title;
        EXPECT_EQ("Are you sure you want to quit Pellandor's disk maker?", MessageBoxText(box));
        PressButton(box, i < 4 ? IDNO : IDYES);
        WaitUntil([&] { return !IsWindow(box); });
        if (i < 4) {
            Sleep(200);
            EXPECT_EQ(title, s.wizard.PageTitle());
            s.Next(pages[i]);
        }
    }
    EXPECT_TRUE(s.program.WaitForExit());
}

TEST(Wizard, ACancelledBuildStaysOnItsPageAndNextBuildsAgain)
{
    WizardSession s(false);
    ASSERT_TRUE(s.wizard.NextThrough(kToBuild)) << "now on " << s.wizard.PageTitle();
    s.wizard.Press(PSBTN_NEXT);
    HWND prompt = s.program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, prompt);
    HWND progress = GetWindow(prompt, GW_OWNER);
    PressButton(prompt, IDOK);
    PostMessageA(progress, WM_COMMAND, IDCANCEL, 0);  // Cancel while copying
    HWND confirm = s.program.WaitForWindow([&](HWND w) { return IsMessageBox(w) && w != prompt; });
    ASSERT_NE(nullptr, confirm);
    EXPECT_EQ("Are you sure you want to abort the creation of the installation disk?", MessageBoxText(confirm));
    SaveScreenshot("5c-cancel-copying");
    PressButton(confirm, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(progress); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.wizard.hwnd()) != FALSE; }));
    EXPECT_EQ("Get Needed Disks", s.wizard.PageTitle());
    EXPECT_TRUE(s.wizard.Enabled(kBack) && s.wizard.Enabled(kNext));

    RemoveContents("A:");
    s.wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(s.program, "A:", IDABORT);
    EXPECT_EQ(2u, run.floppies.size());
    EXPECT_TRUE(s.wizard.WaitForPage("Pellandor's disk maker"));

    // Closing the finished wizard asks nothing.
    PostMessageA(s.wizard.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(s.program.WaitForExit());
    EXPECT_EQ(0u, s.program.ExitCode()) << "closed on the completion page";
}

TEST(Wizard, AboutOnALaterPageReturnsToIt)
{
    WizardSession s(false);
    s.Next("Select Disks");
    s.Next("Select Drive");
    PostMessageA(s.wizard.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = s.program.WaitForCaption("About Quorvane");
    ASSERT_NE(nullptr, about);
    PressButton(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_EQ("Select Drive", s.wizard.PageTitle());
    EXPECT_EQ(0, ListSelection(s.Item(IDC_DRIVE_LIST)));
}

// Started from a command prompt after "cd a:\sub" (on a floppy since
// swapped for a blank one, which has no SUB: a name relative to the current
// directory would fail there), with entries written with forward slashes:
// every file still lands in the floppy's root.
TEST(Wizard, FilesLandInTheFloppysRootWhateverItsCurrentDirectoryAndSlashes)
{
    WizardSession s(false, PackageList({{"disk1/setup.exe", "disk1/setup.ini"}, {"disk2/data.cab"}}), {"=A:=A:\\SUB"});
    ASSERT_TRUE(s.wizard.NextThrough(kToBuild)) << "now on " << s.wizard.PageTitle();
    s.wizard.Press(PSBTN_NEXT);
    auto endBuild = [](HWND box) { return GetDlgItem(box, IDABORT) != NULL ? IDABORT : IDCANCEL; };
    BuildRun run = RunBuild(s.program, "A:", endBuild);
    EXPECT_TRUE(run.problems.empty()) << run.problems[0];
    ASSERT_EQ(2u, run.floppies.size());
    EXPECT_EQ((Floppy{{"setup.exe", SampleBytes(40000, 1)}, {"setup.ini", SampleBytes(300, 2)}}),
              run.floppies[0]);
    EXPECT_EQ((Floppy{{"data.cab", SampleBytes(1200000, 3)}}), run.floppies[1]);
    EXPECT_TRUE(s.wizard.WaitForPage("Pellandor's disk maker"));
}

// The dialog's keyboard works while a file is being copied.
TEST(Wizard, EscapeDuringACopyAsksTheCancelQuestionAndNoGoesOn)
{
    WizardSession s(false);
    ASSERT_TRUE(s.wizard.NextThrough(kToBuild)) << "now on " << s.wizard.PageTitle();
    s.wizard.Press(PSBTN_NEXT);
    BuildRun run = RunBuild(s.program, "A:", [](HWND) { return IDNO; }, [&](int prompt) {
        if (prompt != 2)
            return;
        // Once the prompt is gone, the next loop to take a message is the
        // pump of the 1.2 MB cabinet's copy.
        WaitUntil([&] { return s.program.WaitForWindow(IsMessageBox, 0) == NULL; });
        HWND progress = s.program.WaitForCaption("Copying Files");
        HWND focus = FocusOf(progress) != NULL ? FocusOf(progress) : progress;
        PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    });
    EXPECT_EQ(std::vector<std::string>{"Are you sure you want to abort the creation of the installation disk?"},
              run.problems);
    EXPECT_EQ(2u, run.floppies.size());
    EXPECT_TRUE(s.wizard.WaitForPage("Pellandor's disk maker"));
}
