// CQuorvaneApp: loads the package and the drives, then runs the wizard.
#pragma once
#include "drives/DriveList.h"
#include "framework/CWinApp.h"
#include "package/PackageInfo.h"

class CQuorvaneApp : public CWinApp {
public:
    CQuorvaneApp() = default;
    ~CQuorvaneApp() override = default;

    // Runs the whole wizard and always returns FALSE, so the process ends
    // when it closes. Ends at once, silently, without a package or a drive.
    BOOL InitInstance() override;
    // The exit code, for scripts: how the run ended.
    int ExitInstance() override { return m_nExitCode; }

    enum { kExitCompleted = 0, kExitQuit = 1, kExitNotStarted = 2 };

    PackageInfo m_package;
    DriveList m_driveList;
    int m_nExitCode = kExitNotStarted;

private:
    BOOL RunWizard();
};
