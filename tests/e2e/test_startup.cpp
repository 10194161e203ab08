#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "res/resource.h"
#include "Screenshot.h"

namespace {
const char* const kQuit = "Are you sure you want to quit Pellandor's disk maker?";
const char* const kCaption = "Pellandor's disk maker";

void ExpectNoWindowAndExit(Program& program)
{
    EXPECT_TRUE(program.WaitForExit()) << "the program should end by itself";
    EXPECT_FALSE(program.SawWindow()) << "no window may appear";
    EXPECT_EQ(2u, program.ExitCode()) << "could not start";
}

// The line of the welcome page that names the product, with the program
// started in dir with these arguments in that current directory.
std::string WelcomeName(const ProgramDir& dir, const std::string& args, const std::string& currentDir)
{
    Program program(dir, args, currentDir);
    Wizard wizard(WaitForWizard(program));
    return wizard.hwnd() != NULL ? wizard.PageText(IDC_WELCOME_NAME) : "no wizard";
}
}  // namespace

TEST(StartUp, WithoutAPackageListNothingAppears)
{
    ProgramDir dir;
    Program program(dir);
    ExpectNoWindowAndExit(program);
}

TEST(StartUp, AQuotedArgumentKeepsItsQuotesAndFindsNothing)
{
    ProgramDir dir;
    WriteCorvela(dir);
    Program program(dir, "\"packlist.ini\"");
    ExpectNoWindowAndExit(program);
}

TEST(StartUp, AnIncompleteListEndsSilently)
{
    ProgramDir dir;
    dir.Write("packlist.ini", "[Global]\r\nName=Corvela\r\n[Disks]\r\nNumber=2\r\n"
                              "[Disk0]\r\nFiles=1\r\nFile0=a.txt\r\n");
    Program program(dir);
    ExpectNoWindowAndExit(program);
}

// Once it sized its arrays from this count and filled gigabytes before
// anything else happened. How soon it ends is scripts/bench.sh's figure.
TEST(StartUp, AListClaimingTwoBillionEntriesEndsSilently)
{
    ProgramDir dir;
    dir.Write("packlist.ini", "[Global]\r\nName=Corvela\r\n[Disks]\r\nNumber=1\r\n"
                              "[Disk0]\r\nFiles=2000000000\r\nFile0=a.txt\r\n");
    Program program(dir);
    ExpectNoWindowAndExit(program);
}

TEST(StartUp, AnArgumentNamesAnotherListBesideTheProgram)
{
    ProgramDir dir;
    WriteCorvela(dir);
    dir.Write("other.ini", PackageList({{"a.txt"}}, "Halvard"));
    TempDir elsewhere;  // the current directory plays no part
    EXPECT_EQ("You can use the disks to install Halvard.", WelcomeName(dir, "other.ini", elsewhere.Path()));
}

TEST(StartUp, TheListBesideTheProgramWinsOverTheCurrentDirectory)
{
    ProgramDir dir;
    WriteCorvela(dir);
    TempDir elsewhere;
    elsewhere.Write("packlist.ini", PackageList({{"a.txt"}}, "Wrong"));
    EXPECT_EQ("You can use the disks to install Corvela.", WelcomeName(dir, "", elsewhere.Path()));
}

TEST(StartUp, TheWizardOpensOnItsWelcomePage)
{
    Session s;
    ASSERT_NE(nullptr, s.wizard.hwnd());
    ASSERT_TRUE(s.wizard.WaitForPage("Welcome to Pellandor's disk maker"));
    EXPECT_EQ("Welcome to Pellandor's disk maker.  This application will lead you through the "
              "steps necessary to create a set of Corvela installation disks.",
              s.wizard.PageText(IDC_WELCOME_TEXT));
    EXPECT_EQ("You can use the disks to install Corvela.", s.wizard.PageText(IDC_WELCOME_NAME));
    EXPECT_TRUE(WaitUntil([&] { return !s.wizard.Visible(kBack); })) << "Back is hidden";
    EXPECT_TRUE(s.wizard.Visible(kNext) && s.wizard.Enabled(kNext)) << "Next";
    EXPECT_TRUE(s.wizard.Visible(IDCANCEL));
    EXPECT_FALSE(s.wizard.Visible(IDHELP));
    EXPECT_FALSE(s.wizard.Visible(kFinish)) << "Finish";

    LONG style = GetWindowLongA(s.wizard.hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(StartUp, AboutOpensFromTheSystemMenuAndReturnsToThePage)
{
    Session s;
    ASSERT_NE(nullptr, s.wizard.hwnd());
    PostMessageA(s.wizard.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND about = s.program.WaitForCaption("About Quorvane");
    ASSERT_NE(nullptr, about);
    EXPECT_FALSE(IsWindowEnabled(s.wizard.hwnd())) << "the About box is modal";
    SaveScreenshot("about");
    PressButton(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.wizard.hwnd()) != FALSE; }));
    EXPECT_EQ("Welcome to Pellandor's disk maker", s.wizard.PageTitle());
}

TEST(StartUp, CancelAsksAndOnlyYesEndsTheProgram)
{
    Session s;
    ASSERT_NE(nullptr, s.wizard.hwnd());

    s.wizard.Press(PSBTN_CANCEL);
    HWND box = s.program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(kCaption, Text(box));
    EXPECT_EQ(kQuit, MessageBoxText(box));
    EXPECT_NE(nullptr, GetDlgItem(box, IDYES));
    EXPECT_NE(nullptr, GetDlgItem(box, IDNO));
    EXPECT_EQ(nullptr, GetDlgItem(box, IDCANCEL));
    SaveScreenshot("quit-question");
    PressButton(box, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    Sleep(300);
    EXPECT_TRUE(s.program.Running());
    EXPECT_EQ("Welcome to Pellandor's disk maker", s.wizard.PageTitle());

    s.wizard.Press(PSBTN_CANCEL);
    box = s.program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    PressButton(box, IDYES);
    EXPECT_TRUE(s.program.WaitForExit());
    EXPECT_EQ(1u, s.program.ExitCode()) << "the user quit";
}

TEST(StartUp, F1DoesNothing)
{
    Session s;
    ASSERT_NE(nullptr, s.wizard.hwnd());
    SetForegroundWindow(s.wizard.hwnd());
    keybd_event(VK_F1, 0, 0, 0);
    keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
    Sleep(1000);
    EXPECT_EQ(1u, s.program.VisibleWindows().size());
    EXPECT_TRUE(s.program.Running());
    EXPECT_EQ("Welcome to Pellandor's disk maker", s.wizard.PageTitle());
}

// Runs in the prefix without removable drives.
TEST(NoRemovableDrive, TheProgramEndsSilently)
{
    ProgramDir dir;
    WriteCorvela(dir);
    Program program(dir);
    ExpectNoWindowAndExit(program);
}
