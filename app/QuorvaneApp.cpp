#include "QuorvaneApp.h"

#include "QuorvaneDlg.h"
#include "framework/CException.h"
#include "package/ProgramDirectory.h"
#include "pages/CompletePage.h"
#include "pages/DiskSelectPage.h"
#include "pages/DriveSelectPage.h"
#include "pages/GetDisksPage.h"
#include "pages/LicensePage.h"
#include "pages/WelcomePage.h"

CQuorvaneApp theApp;

BOOL CQuorvaneApp::InitInstance()
{
    try {
        return RunWizard();
    } catch (CException* e) {
        // Out of memory before the wizard was up: as silent as any other
        // failed start.
        e->Delete();
        m_nExitCode = kExitNotStarted;
        return FALSE;
    }
}

BOOL CQuorvaneApp::RunWizard()
{
    // The argument names a file beside the program, exactly as typed.
    CString strListName = m_lpCmdLine;
    if (strListName.IsEmpty())
        strListName = "packlist.ini";
    CString strListPath = GetProgramDirectory() + "\\" + strListName;

    if (!m_package.LoadFromFile(strListPath))
        return FALSE;
    if (!m_driveList.FindRemovableDrives())
        return FALSE;

    CQuorvaneDlg sheet;
    CWelcomePage welcomePage(m_package.GetName());
    CLicensePage licensePage;
    CDiskSelectPage diskSelectPage(m_package.GetName(), &m_package);
    CDriveSelectPage driveSelectPage(&m_driveList);
    CGetDisksPage getDisksPage(&m_package, &m_driveList);
    CCompletePage completePage(m_package.GetName());

    sheet.AddPage(&welcomePage);
    if (!GetLicenseFilePath().IsEmpty())
        sheet.AddPage(&licensePage);
    sheet.AddPage(&diskSelectPage);
    sheet.AddPage(&driveSelectPage);
    sheet.AddPage(&getDisksPage);
    sheet.AddPage(&completePage);

    m_pMainWnd = &sheet;
    sheet.DoModal();
    m_pMainWnd = NULL;
    m_nExitCode = completePage.m_bReached ? kExitCompleted : kExitQuit;
    return FALSE;
}
