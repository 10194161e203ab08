#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "Cursors.h"
#include "GuiTest.h"
#include "TestFiles.h"
#include "app/QuorvaneDlg.h"
#include "pages/CompletePage.h"
#include "pages/DiskSelectPage.h"
#include "pages/DriveSelectPage.h"
#include "pages/GetDisksPage.h"
#include "pages/LicensePage.h"
#include "pages/WelcomePage.h"
#include "res/resource.h"

namespace {
class Pages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(package.LoadFromFile(dir.Write("packlist.ini", PackageList({{"a"}, {"b"}, {"c"}})).c_str()));
        ASSERT_TRUE(drives.FindRemovableDrives());
    }
    std::vector<BOOL> Chosen()
    {
        std::vector<BOOL> chosen;
        for (DiskInfo* disk : Items<DiskInfo>(DiskCursor(&package)))
            chosen.push_back(disk->m_bChosen);
        return chosen;
    }

    TempDir dir;
    PackageInfo package;
    DriveList drives;
};
}  // namespace

TEST_F(Pages, DiskCountIsSingularBelowTwo)
{
    for (int count = 0; count <= 3; ++count) {
        DiskCursor disks(&package);
        DiskInfo* disk;
        for (int k = 0; disks.Next(&disk); ++k)
            disk->m_bChosen = k < count;
        CGetDisksPage page(&package, &drives);
        std::string text;
        RunWizard({&page}, {[&](HWND sheet) { text = Text(GetDlgItem(Page(sheet), IDC_DISK_COUNT)); }});
        EXPECT_EQ(count < 2 ? std::string("You will need 1 blank, formatted disk.")
                            : "You will need " + std::to_string(count) + " blank, formatted disks.",
                  text);
    }
}

TEST_F(Pages, DiskChoiceIsStoredOnNextAndNoneIsRefused)
{
    CDiskSelectPage select("Corvela", &package);
    CGetDisksPage count(&package, &drives);
    std::vector<std::string> lines;
    std::string title, countText;
    MessageBoxCall refusal = {};
    RunWizard({&select, &count}, {
        [&](HWND sheet) {
            HWND list = GetDlgItem(Page(sheet), IDC_DISK_LIST);
            for (int i = 0; i < ListCount(list); ++i)
                lines.push_back(ListText(list, i));
            SendMessageA(Page(sheet), WM_COMMAND, MAKEWPARAM(IDC_CLEAR_SELECTIONS, BN_CLICKED), 0);
            Press(sheet, PSBTN_NEXT);
            title = Text(Page(sheet));
        },
        [&](HWND sheet) {
            EXPECT_EQ(std::vector<BOOL>(3, FALSE), Chosen()) << "flags are written before the refusal";
            HWND list = GetDlgItem(Page(sheet), IDC_DISK_LIST);
            ClickCheckBox(list, 0);  // the mouse on the box checks ...
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);  // ... and the space bar unchecks
            SendMessageA(list, LB_SETCURSEL, 1, 0);
            SendMessageA(list, WM_KEYDOWN, VK_SPACE, 0);
            Press(sheet, PSBTN_NEXT);
        },
        [&](HWND sheet) { countText = Text(GetDlgItem(Page(sheet), IDC_DISK_COUNT)); },
    });
    EXPECT_EQ((std::vector<std::string>{" Disk1: Corvela", " Disk2: Corvela", " Disk3: Corvela"}), lines);
    EXPECT_EQ("Select Disks", title);
    EXPECT_EQ((std::vector<BOOL>{FALSE, TRUE, FALSE}), Chosen());
    EXPECT_EQ("You will need 1 blank, formatted disk.", countText);
}

TEST_F(Pages, RefusalNamesTheProblem)
{
    CDiskSelectPage select("Corvela", &package);
    CGetDisksPage count(&package, &drives);
    std::vector<MessageBoxCall> boxes = RunWizard({&select, &count}, {[&](HWND sheet) {
        SendMessageA(Page(sheet), WM_COMMAND, MAKEWPARAM(IDC_CLEAR_SELECTIONS, BN_CLICKED), 0);
        Press(sheet, PSBTN_NEXT);
    }});
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ("You have not selected any disks to be built.  Please check the disks you wish built and "
              "then press Next.",
              boxes[0].text);
    EXPECT_EQ("Pellandor's disk maker", boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes[0].type);
}

TEST_F(Pages, DriveChoiceIsStoredOnlyByNext)
{
    CWelcomePage welcome("Corvela");
    CDriveSelectPage select(&drives);
    CGetDisksPage count(&package, &drives);
    DriveInfo* chosen = NULL;
    int selection = -1;
    RunWizard({&welcome, &select, &count}, {
        [&](HWND sheet) { Press(sheet, PSBTN_NEXT); },
        [&](HWND sheet) {
            SendMessageA(GetDlgItem(Page(sheet), IDC_DRIVE_LIST), LB_SETCURSEL, 1, 0);
            Press(sheet, PSBTN_BACK);
            drives.GetChosenDrive(&chosen);
            EXPECT_EQ('A', chosen->m_chLetter) << "Back stores nothing";
            Press(sheet, PSBTN_NEXT);
            selection = ListSelection(GetDlgItem(Page(sheet), IDC_DRIVE_LIST));
            Press(sheet, PSBTN_NEXT);
        },
    });
    EXPECT_EQ(1, selection) << "the list keeps the user's selection";
    ASSERT_TRUE(drives.GetChosenDrive(&chosen));
    EXPECT_EQ('B', chosen->m_chLetter);
}

TEST_F(Pages, MemoryRunningOutUnderNextKeepsTheWizardOnItsPageAndSaysSoOnce)
{
    CGetDisksPage count(&package, &drives);
    CCompletePage complete("Corvela");
    bool failed = false, nextEnabled = false;
    std::string title;
    std::vector<MessageBoxCall> boxes = RunWizard({&count, &complete}, {[&](HWND sheet) {
        {
            AllocationFailure failure(0);
            Press(sheet, PSBTN_NEXT);
            failed = failure.Happened();
        }
        title = Text(Page(sheet));
        nextEnabled = IsWindowEnabled(GetDlgItem(sheet, kNext)) != FALSE;
    }});
    ASSERT_TRUE(failed);
    EXPECT_EQ("Get Needed Disks", title);
    EXPECT_TRUE(nextEnabled);
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ("There is not enough memory to carry out this step.  Please close some applications and try again.",
              boxes[0].text);
    EXPECT_EQ(2u, boxes.size()) << "then only the quit question";
}

// license.txt beside the test program, as it would lie beside Quorvane.exe.
class LicenseText : public ::testing::Test {
protected:
    void TearDown() override { DeleteFileA(path.c_str()); }
    std::string Shown(std::string* selected = NULL, COLORREF* background = NULL)
    {
        CLicensePage page;
        std::string text;
        RunWizard({&page}, {[&](HWND sheet) {
            HWND edit = GetDlgItem(Page(sheet), IDC_LICENSE_TEXT);
            text = Text(edit);
            DWORD start = 0, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (selected)
                *selected = text.substr(start, end - start);
            HDC dc = GetDC(edit);
            SendMessageA(Page(sheet), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
            if (background)
                *background = GetBkColor(dc);
            ReleaseDC(edit, dc);
        }});
        return text;
    }
    std::string path = TestProgramDirectory() + "\\license.txt";
};

TEST_F(LicenseText, IsShownAsWrittenUpToAZeroByte)
{
    WriteFileBytes(path, "Line one\r\nLine two\r\n");
    std::string selected = "?";
    COLORREF background = 0;
    EXPECT_EQ("Line one\r\nLine two\r\n", Shown(&selected, &background));
    EXPECT_EQ("", selected);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), background);
    EXPECT_FALSE(GetLicenseFilePath().IsEmpty());

    WriteFileBytes(path, std::string("Before\0after", 12));
    EXPECT_EQ("Before", Shown());
    WriteFileBytes(path, "");
    EXPECT_EQ("", Shown());
    EXPECT_FALSE(GetLicenseFilePath().IsEmpty()) << "an empty file still counts";
    DeleteFileA(path.c_str());
    EXPECT_TRUE(GetLicenseFilePath().IsEmpty());
    EXPECT_EQ("", Shown());
}

// The check box starts from Quorvane.ini beside the program.
TEST_F(Pages, VerifyCheckBoxStartsFromTheSettings)
{
    const std::string settings = TestProgramDirectory() + "\\Quorvane.ini";
    const struct {
        const char* content;  // NULL: no settings file
        LRESULT state;
    } cases[] = {
        {NULL, BST_CHECKED},
        {"[Options]\r\nVerify=0\r\n", BST_UNCHECKED},
        {"[Options]\r\nVerify=1\r\n", BST_CHECKED},
        {"[Paths]\r\nDiskImages=\r\n", BST_CHECKED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "no file");
        DeleteFileA(settings.c_str());
        if (c.content != NULL)
            WriteFileBytes(settings, c.content);
        CGetDisksPage page(&package, &drives);
        LRESULT state = -1;
        RunWizard({&page}, {[&](HWND sheet) { state = SendDlgItemMessageA(Page(sheet), IDC_VERIFY, BM_GETCHECK, 0, 0); }});
        EXPECT_EQ(c.state, state);
    }
    DeleteFileA(settings.c_str());
}
