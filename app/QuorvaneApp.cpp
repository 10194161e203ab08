#include "QuorvaneApp.h"

#include "QuorvaneDlg.h"
#include "package/ProgramDirectory.h"
#include "pages/WelcomePage.h"

CQuorvaneApp theApp;

BOOL CQuorvaneApp::InitInstance()
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
    CString strProductName = m_package.GetName();
    CWelcomePage welcomePage(strProductName);
    sheet.AddPage(&welcomePage);

    m_pMainWnd = &sheet;
    sheet.DoModal();
    m_pMainWnd = NULL;
    return FALSE;
}
