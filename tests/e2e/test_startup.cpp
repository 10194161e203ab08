#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "Driver.h"
#include "../unit/Screenshot.h"

namespace {
const char* const kQuit = "Are you sure you want to quit Pellandor's disk maker?";
const char* const kCaption = "Pellandor's disk maker";

void ExpectNoWindowAndExit(Program& program)
{
    EXPECT_TRUE(program.WaitForExit()) << "the program should end by itself";
    EXPECT_FALSE(program.SawWindow()) << "no window may appear";
    EXPECT_EQ(2u, program.ExitCode()) << "could not start";
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
    dir.WriteCorvela();
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
// anything else happened.
TEST(StartUp, AListClaimingTwoBillionEntriesEndsSilentlyAndSoon)
{
    ProgramDir dir;
    dir.Write("packlist.ini", "[Global]\r\nName=Corvela\r\n[Disks]\r\nNumber=1\r\n"
                              "[Disk0]\r\nFiles=2000000000\r\nFile0=a.txt\r\n");
    DWORD start = GetTickCount();
    Program program(dir);
    EXPECT_TRUE(program.WaitForExit(5000)) << "the program should end by itself, and soon";
    EXPECT_FALSE(program.SawWindow()) << "no window may appear";
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST(StartUp, AnArgumentNamesAnotherListBesideTheProgram)
{
    ProgramDir dir;
    dir.WriteCorvela();
    dir.Write("other.ini", "[Global]\r\nName=Halvard\r\n[Disks]\r\nNumber=1\r\n"
                           "[Disk0]\r\nFiles=1\r\nFile0=a.txt\r\n");
    TempDir elsewhere;  // the current directory plays no part
    Program program(dir, "other.ini", elsewhere.Path());
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());
    EXPECT_EQ("You can use the disks to install Halvard.", wizard.PageText(1017));
}

TEST(StartUp, TheListBesideTheProgramWinsOverTheCurrentDirectory)
{
    ProgramDir dir;
    dir.WriteCorvela();
    TempDir elsewhere;
    elsewhere.Write("packlist.ini", "[Global]\r\nName=Wrong\r\n[Disks]\r\nNumber=1\r\n"
                                    "[Disk0]\r\nFiles=1\r\nFile0=a.txt\r\n");
    Program program(dir, "", elsewhere.Path());
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());
    EXPECT_EQ("You can use the disks to install Corvela.", wizard.PageText(1017));
}

TEST(StartUp, TheWizardOpensOnItsWelcomePage)
{
    ProgramDir dir;
    dir.WriteCorvela();
    Program program(dir);
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());
    ASSERT_TRUE(wizard.WaitForPage("Welcome to Pellandor's disk maker"));
    EXPECT_EQ("Welcome to Pellandor's disk maker.  This application will lead you through the "
              "steps necessary to create a set of Corvela installation disks.",
              wizard.PageText(1011));
    EXPECT_EQ("You can use the disks to install Corvela.", wizard.PageText(1017));
    EXPECT_TRUE(WaitUntil([&] { return !wizard.Visible(0x3023); })) << "Back is hidden";
    EXPECT_TRUE(wizard.Visible(0x3024) && wizard.Enabled(0x3024)) << "Next";
    EXPECT_TRUE(wizard.Visible(IDCANCEL));
    EXPECT_FALSE(wizard.Visible(IDHELP));
    EXPECT_FALSE(wizard.Visible(0x3025)) << "Finish";

    LONG style = GetWindowLongA(wizard.hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST(StartUp, AboutOpensFromTheSystemMenuAndReturnsToThePage)
{
    ProgramDir dir;
    dir.WriteCorvela();
    Program program(dir);
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());
    PostMessageA(wizard.hwnd(), WM_SYSCOMMAND, 0x0010, 0);
    HWND about = program.WaitForCaption("About Quorvane");
    ASSERT_NE(nullptr, about);
    EXPECT_FALSE(IsWindowEnabled(wizard.hwnd())) << "the About box is modal";
    SaveScreenshot("about");
    PressButton(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(wizard.hwnd()) != FALSE; }));
    EXPECT_EQ("Welcome to Pellandor's disk maker", wizard.PageTitle());
}

TEST(StartUp, CancelAsksAndOnlyYesEndsTheProgram)
{
    ProgramDir dir;
    dir.WriteCorvela();
    Program program(dir);
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());

    wizard.Press(PSBTN_CANCEL);
    HWND box = program.WaitForWindow(IsMessageBox);
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
    EXPECT_TRUE(program.Running());
    EXPECT_EQ("Welcome to Pellandor's disk maker", wizard.PageTitle());

    wizard.Press(PSBTN_CANCEL);
    box = program.WaitForWindow(IsMessageBox);
    ASSERT_NE(nullptr, box);
    PressButton(box, IDYES);
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(1u, program.ExitCode()) << "the user quit";
}

TEST(StartUp, F1DoesNothing)
{
    ProgramDir dir;
    dir.WriteCorvela();
    Program program(dir);
    Wizard wizard(WaitForWizard(program));
    ASSERT_NE(nullptr, wizard.hwnd());
    SetForegroundWindow(wizard.hwnd());
    keybd_event(VK_F1, 0, 0, 0);
    keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
    Sleep(1000);
    EXPECT_EQ(1u, program.VisibleWindows().size());
    EXPECT_TRUE(program.Running());
    EXPECT_EQ("Welcome to Pellandor's disk maker", wizard.PageTitle());
}

// Runs in the prefix without removable drives.
TEST(NoRemovableDrive, TheProgramEndsSilently)
{
    ProgramDir dir;
    dir.WriteCorvela();
    Program program(dir);
    ExpectNoWindowAndExit(program);
}
