#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "GuiTest.h"
#include "app/QuorvaneDlg.h"
#include "framework/CWinApp.h"
#include "pages/CompletePage.h"
#include "pages/LicensePage.h"
#include "pages/WelcomePage.h"
#include "res/resource.h"

namespace {
struct MenuItem {
    UINT id;
    UINT type;
    std::string text;
};

std::vector<MenuItem> MenuItems(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({info.wID, info.fType, text});
    }
    return items;
}

// Runs the wizard with its welcome page; inspect() runs once the sheet is
// up, and the sheet is cancelled with the quit question answered Yes.
void RunWelcomeWizard(const std::function<void(HWND sheet, HWND page)>& inspect)
{
    CWelcomePage page("Corvela");
    RunWizard({&page}, {[&](HWND sheet) { inspect(sheet, page.m_hWnd); }});
}
}  // namespace

TEST(WizardSheet, HeaderIsAWizardWithTheIconAndNoHelp)
{
    CQuorvaneDlg sheet;
    EXPECT_TRUE(sheet.m_psh.dwFlags & PSH_WIZARD);
    EXPECT_TRUE(sheet.m_psh.dwFlags & PSH_USEHICON);
    EXPECT_FALSE(sheet.m_psh.dwFlags & PSH_HASHELP);
    EXPECT_STREQ("Corvela for Windows Quorvane Utility", sheet.m_psh.pszCaption);
    EXPECT_EQ(0u, sheet.m_psh.nStartPage);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAINFRAME)), sheet.m_psh.hIcon);
    EXPECT_TRUE(sheet.IsKindOf(RUNTIME_CLASS(CPropertySheet)));
    EXPECT_STREQ("CQuorvaneDlg", sheet.GetRuntimeClass()->m_lpszClassName);

    CWelcomePage page("Corvela");
    EXPECT_STREQ("CWelcomePage", page.GetRuntimeClass()->m_lpszClassName);
    EXPECT_FALSE(page.m_psp.dwFlags & PSP_HASHELP);
    EXPECT_FALSE(page.m_psp.dwFlags & PSP_USETITLE);
}

// What the common controls of Windows 95 and NT 4.0 (version 4.00) read: a
// header of exactly the first layout's size, and pages found one after the
// other by each page's own size.
namespace {
struct SheetAsRead {
    DWORD headerSize = 0;
    std::vector<DWORD> pageSizes;
    std::vector<UINT_PTR> templates;
    std::vector<LPARAM> params;
};
SheetAsRead g_read;
INT_PTR WINAPI ReadLikeVersion400(LPCPROPSHEETHEADERA header)
{
    g_read.headerSize = header->dwSize;
    if (header->dwSize != PROPSHEETHEADERA_V1_SIZE)
        return -1;
    const BYTE* page = reinterpret_cast<const BYTE*>(header->ppsp);
    for (UINT i = 0; i < header->nPages; ++i) {
        auto* psp = reinterpret_cast<LPCPROPSHEETPAGEA>(page);
        g_read.pageSizes.push_back(psp->dwSize);
        g_read.templates.push_back(reinterpret_cast<UINT_PTR>(psp->pszTemplate));
        g_read.params.push_back(psp->lParam);
        page += psp->dwSize;
    }
    return 0;
}
}  // namespace

TEST(WizardSheet, HeaderAndPagesHaveTheSizesOfTheFirstCommonControls)
{
    CQuorvaneDlg sheet;
    CWelcomePage welcome("Corvela");
    CLicensePage license;
    CCompletePage complete("Corvela");
    sheet.AddPage(&welcome);
    sheet.AddPage(&license);
    sheet.AddPage(&complete);
    g_read = SheetAsRead();
    {
        ImportPatch patch("comctl32.dll", "PropertySheetA", (void*)ReadLikeVersion400);
        EXPECT_EQ(0, sheet.DoModal());
    }
    EXPECT_EQ(static_cast<DWORD>(PROPSHEETHEADERA_V1_SIZE), g_read.headerSize);
    const DWORD v1 = PROPSHEETPAGEA_V1_SIZE;
    EXPECT_EQ((std::vector<DWORD>{v1, v1, v1}), g_read.pageSizes);
    EXPECT_EQ((std::vector<UINT_PTR>{IDD_WELCOME, IDD_LICENSE, IDD_COMPLETE}), g_read.templates);
    EXPECT_EQ((std::vector<LPARAM>{reinterpret_cast<LPARAM>(&welcome), reinterpret_cast<LPARAM>(&license),
                                   reinterpret_cast<LPARAM>(&complete)}),
              g_read.params);
}

TEST(WizardSheet, SystemMenuEndsWithAboutAndCannotSizeOrMaximize)
{
    std::vector<MenuItem> items;
    LONG_PTR style = 0;
    HICON big = NULL, small = NULL;
    RunWelcomeWizard([&](HWND sheet, HWND) {
        items = MenuItems(GetSystemMenu(sheet, FALSE));
        style = GetWindowLongPtrA(sheet, GWL_STYLE);
        big = reinterpret_cast<HICON>(SendMessageA(sheet, WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(SendMessageA(sheet, WM_GETICON, ICON_SMALL, 0));
    });
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(static_cast<UINT>(MFT_SEPARATOR), items[items.size() - 2].type & MFT_SEPARATOR);
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), items.back().id);
    EXPECT_EQ("&About Quorvane...", items.back().text);
    for (const MenuItem& item : items) {
        EXPECT_NE(static_cast<UINT>(SC_MAXIMIZE), item.id);
        EXPECT_NE(static_cast<UINT>(SC_SIZE), item.id);
    }
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_MAINFRAME));
    EXPECT_EQ(icon, big);
    EXPECT_EQ(icon, small);
}

TEST(WizardSheet, WelcomePageShowsTheProductAndOnlyNext)
{
    std::string first, second, title;
    BOOL backVisible = TRUE, nextEnabled = FALSE, helpVisible = TRUE;
    RunWelcomeWizard([&](HWND sheet, HWND page) {
        first = Text(GetDlgItem(page, IDC_WELCOME_TEXT));
        second = Text(GetDlgItem(page, IDC_WELCOME_NAME));
        title = Text(page);
        backVisible = IsWindowVisible(GetDlgItem(sheet, kBack));
        nextEnabled = IsWindowEnabled(GetDlgItem(sheet, kNext));
        HWND help = GetDlgItem(sheet, IDHELP);
        helpVisible = help != NULL && IsWindowVisible(help);
    });
    EXPECT_EQ("Welcome to Pellandor's disk maker.  This application will lead you through the "
              "steps necessary to create a set of Corvela installation disks.",
              first);
    EXPECT_EQ("You can use the disks to install Corvela.", second);
    EXPECT_EQ("Welcome to Pellandor's disk maker", title);
    EXPECT_FALSE(backVisible);
    EXPECT_TRUE(nextEnabled);
    EXPECT_FALSE(helpVisible);
}

TEST(WizardSheet, QuitQuestionDecidesWhetherTheWizardEnds)
{
    CWelcomePage page("Corvela");
    int answer = IDNO;
    bool stillOpenAfterNo = false;
    std::vector<MessageBoxCall> boxes = RunWizard(
        {&page},
        {[&](HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); },
         [&](HWND sheet) {
             stillOpenAfterNo = IsWindow(sheet) && IsWindowVisible(sheet);
             answer = IDYES;  // for the runner's own Cancel
         }},
        [&](const MessageBoxCall&) { return answer; });
    EXPECT_TRUE(stillOpenAfterNo);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Are you sure you want to quit Pellandor's disk maker?", boxes[0].text);
    EXPECT_EQ("Pellandor's disk maker", boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes[0].type);
}

TEST(CommandLine, TailFollowsTheProgramNameVerbatim)
{
    EXPECT_STREQ("", AfxCommandLineTail("Quorvane.exe"));
    EXPECT_STREQ("other.ini", AfxCommandLineTail("Quorvane.exe   other.ini"));
    EXPECT_STREQ("other.ini  ", AfxCommandLineTail("Quorvane.exe\tother.ini  "));
    EXPECT_STREQ("\"my list.ini\"", AfxCommandLineTail("\"C:\\Program Files\\Q.exe\" \"my list.ini\""));
    EXPECT_STREQ("x", AfxCommandLineTail("\"C:\\Q.exe\"x"));
    EXPECT_STREQ("", AfxCommandLineTail("\"C:\\unterminated"));
    // A character above 127 is part of the name, not a separator.
    EXPECT_STREQ("other.ini", AfxCommandLineTail("C:\\\xDC""ber\\Q.exe other.ini"));
}
