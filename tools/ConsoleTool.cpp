#include "ConsoleTool.h"

#include <cstdio>
#include <cstring>

BOOL ToolCommandLine::Parse(int argc, char** argv, CString* pError)
{
    for (int i = 1; i < argc; ++i) {
        LPCSTR arg = argv[i];
        LPCSTR value = i + 1 < argc ? argv[i + 1] : NULL;
        if (strcmp(arg, "/?") == 0 || strcmp(arg, "--help") == 0) {
            m_bHelp = TRUE;
            return TRUE;
        }
        if (lstrcmpiA(arg, "/disk") == 0) {
            if (value == NULL) {
                pError->Format("%s needs a value.", arg);
                return FALSE;
            }
            // Digits only: atoi would take "2x" for 2 and "x" for nothing.
            int nDisk = 0;
            LPCSTR digit = value;
            while (*digit >= '0' && *digit <= '9' && nDisk < 1000000)
                nDisk = nDisk * 10 + (*digit++ - '0');
            if (*value == '\0' || *digit != '\0' || nDisk < 1) {
                pError->Format("/disk %s: not a disk number.", value);
                return FALSE;
            }
            m_disks.Add(nDisk);
            ++i;
        } else if (arg[0] == '/') {
            int nTaken = OnSwitch(arg, value, pError);
            if (nTaken < 0) {
                if (pError->IsEmpty())
                    pError->Format("%s: not understood.", arg);
                return FALSE;
            }
            i += nTaken;
        } else if (m_strList.IsEmpty()) {
            m_strList = arg;
        } else {
            pError->Format("%s: not understood.", arg);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL LoadPackageList(const CString& strListPath, PackageInfo* pPackage)
{
    if (pPackage->LoadFromFile(strListPath))
        return TRUE;
    printf("%s does not load: %s.\n", static_cast<LPCSTR>(strListPath),
           static_cast<LPCSTR>(pPackage->GetLoadError()));
    return FALSE;
}

void PrintProblems(const CStringArray& problems)
{
    int nProblems = problems.GetSize();
    printf("%d problem%s:\n", nProblems, nProblems == 1 ? "" : "s");
    for (int i = 0; i < nProblems; ++i)
        printf("  %s\n", static_cast<LPCSTR>(problems[i]));
}

int CommandLineWrong(const CString& strError, LPCSTR lpszUsage)
{
    printf("%s\n%s", static_cast<LPCSTR>(strError), lpszUsage);
    return kToolNotLoaded;
}

int OutOfMemory()
{
    printf("Out of memory: the work did not finish.\n");
    return kToolNotLoaded;
}
