// QvPlan: writes the package list of a folder, every file below it on the
// disks of a set, counted as QvCheck counts them, so that the list it
// writes checks clean and builds.
//
//   QvPlan [/format F] [/name PRODUCT] [/first NAME]... [/fewest] [/out FILE] [/force] DIR
//
// Exit code: 0 the list was written, 1 a file no disk holds or no file at
// all (no list is written), 2 the command or the folder is wrong or memory
// ran out, 3 the list was not written (one is there already, or it cannot be).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ConsoleTool.h"
#include "fat/FloppyFormat.h"
#include "fat/FloppyFiles.h"
#include "package/ListWriter.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "package/SetPlanner.h"
#include "res/resource.h"

namespace {
const int kWritten = kToolClean, kCannot = kToolProblems, kWrong = kToolNotLoaded, kNotWritten = 3;
const int kMostValue = 259;  // the profile reader cuts longer values; no path is longer

const char kUsage[] =
    "Usage: QvPlan [/format F] [/name PRODUCT] [/first NAME]... [/fewest]\n"
    "              [/out FILE] [/force] DIR\n"
    "Writes a package list of every file below the folder DIR, which lies in the\n"
    "disk image directory, on as few floppies as it takes in order.\n"
    "  /format F   floppies of F KB: 720, 1200, 1440 (the default), 1680, 2880\n"
    "  /name P     the product's name (default: the folder's name)\n"
    "  /first N    the files named N first, from Disk 1 on; may be repeated\n"
    "  /fewest     the fewest disks, files in any order; /first files stay first\n"
    "  /out FILE   the list to write (default packlist.ini beside QvPlan)\n"
    "  /force      replace a list that is already there\n"
    "Exit code: 0 the list was written, 1 a file too large or no file, 2 the\n"
    "command or the folder is wrong or memory ran out, 3 the list was not written.\n";

class PlanCommandLine : public ToolCommandLine {
public:
    const FloppyFormat* m_pFormat = &FloppyFormat::Standard();
    CString m_strName, m_strOut;
    CStringArray m_first;
    BOOL m_bFewest = FALSE, m_bForce = FALSE;

protected:
    int OnSwitch(LPCSTR lpszSwitch, LPCSTR lpszValue, CString* pError) override
    {
        if (lstrcmpiA(lpszSwitch, "/fewest") == 0 || lstrcmpiA(lpszSwitch, "/force") == 0) {
            (lstrcmpiA(lpszSwitch, "/fewest") == 0 ? m_bFewest : m_bForce) = TRUE;
            return 0;
        }
        BOOL bFormat = lstrcmpiA(lpszSwitch, "/format") == 0, bName = lstrcmpiA(lpszSwitch, "/name") == 0;
        BOOL bFirst = lstrcmpiA(lpszSwitch, "/first") == 0, bOut = lstrcmpiA(lpszSwitch, "/out") == 0;
        if (!bFormat && !bName && !bFirst && !bOut)
            return -1;
        if (lpszValue == NULL || *lpszValue == '\0') {
            pError->Format("%s needs a value.", lpszSwitch);
            return -1;
        }
        if (strlen(lpszValue) > static_cast<size_t>(kMostValue)) {
            pError->Format("%s: at most %d characters.", lpszSwitch, kMostValue);
            return -1;
        }
        if (bFormat) {
            m_pFormat = FloppyFormat::Find(lpszValue);
            if (m_pFormat == NULL) {
                pError->Format("/format %s: not a floppy format; one of %s.", lpszValue, FloppyFormat::Choices());
                return -1;
            }
        } else if (bFirst) {
            m_first.Add(lpszValue);
        } else {
            (bName ? m_strName : m_strOut) = lpszValue;
        }
        return 1;
    }
};

CString FullPath(LPCSTR lpszPath)
{
    // "Q:" is Q:'s root here, as everywhere, not its current directory.
    CString strPath = CString(lpszPath).GetLength() == 2 && lpszPath[1] == ':' ? FolderPath(lpszPath)
                                                                               : CString(lpszPath);
    char szFull[MAX_PATH];
    LPSTR lpszFilePart = NULL;
    DWORD nLength = ::GetFullPathNameA(strPath, MAX_PATH, szFull, &lpszFilePart);
    CString strFull = nLength > 0 && nLength < MAX_PATH ? CString(szFull) : strPath;
    // "C:\" keeps its backslash; "C:\sets\" loses it.
    while (strFull.GetLength() > 3 && EndsInSeparator(strFull))
        strFull = strFull.Left(strFull.GetLength() - 1);
    return strFull;
}

// The part of strFolder below strParent, "" for the folder itself, with a
// trailing backslash; FALSE when it does not lie below it.
BOOL PathBelow(const CString& strFolder, const CString& strParent, CString* pstrPrefix)
{
    CString strBase = FolderPath(strParent);
    if (FloppyFiles::SameName(strFolder, strParent)) {
        pstrPrefix->Empty();
        return TRUE;
    }
    if (strFolder.GetLength() <= strBase.GetLength() ||
        !FloppyFiles::SameName(strFolder.Left(strBase.GetLength()), strBase))
        return FALSE;
    *pstrPrefix = strFolder.Mid(strBase.GetLength()) + "\\";
    return TRUE;
}

// What no disk can hold, each file named (a device name on none); FALSE
// when there is any.
BOOL SaysWhatCannotBePlanned(const SetPlanner& planner)
{
    const FloppyFormat& format = planner.GetFormat();
    CStringArray problems;
    CArray<int> tooLarge = planner.TooLarge();
    for (int i = 0; i < tooLarge.GetSize(); ++i) {
        const PlanFile& file = planner.GetFile(tooLarge[i]);
        CString strProblem;
        if (format.Rounded(file.nSize) > format.Capacity())
            strProblem.Format("%s: %s bytes, %s on a %s floppy, %s bytes too large.", static_cast<LPCSTR>(file.strEntry),
                              static_cast<LPCSTR>(FormatByteCount(file.nSize)),
                              static_cast<LPCSTR>(FormatByteCount(format.Rounded(file.nSize))), format.lpszName,
                              static_cast<LPCSTR>(FormatByteCount(format.Rounded(file.nSize) - format.Capacity())));
        else
            strProblem.Format("%s: its name takes %d root directory entries, %d more than a %s floppy has.",
                              static_cast<LPCSTR>(file.strEntry), file.nRootEntries,
                              file.nRootEntries - format.nRootEntries, format.lpszName);
        problems.Add(strProblem);
    }
    for (int i = 0; i < planner.GetFileCount(); ++i) {
        const PlanFile& file = planner.GetFile(i);
        CString strProblem;
        if (!file.bLands) {
            strProblem.Format(IDS_CHECK_DEVICE_NAME, static_cast<LPCSTR>(file.strEntry),
                              static_cast<LPCSTR>(file.strName));
            problems.Add(strProblem);
        }
    }
    if (problems.IsEmpty())
        return TRUE;
    PrintProblems(problems);
    printf("No package list was written.\n");
    return FALSE;
}

int Plan(const PlanCommandLine& command)
{
    CString strImagesDir = FullPath(PackageInfo().GetDiskImagesDir());
    CString strFolder = FullPath(command.m_strList), strPrefix;
    DWORD dwAttributes = ::GetFileAttributesA(strFolder);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        printf("%s is not a folder.\n", static_cast<LPCSTR>(strFolder));
        return kWrong;
    }
    if (!PathBelow(strFolder, strImagesDir, &strPrefix)) {
        printf("%s is not in the disk image directory: a set's files must lie in %s (the program's directory, "
               "or [Paths] DiskImages= of Quorvane.ini).\n",
               static_cast<LPCSTR>(strFolder), static_cast<LPCSTR>(strImagesDir));
        return kWrong;
    }
    CString strList = PackageListPath(command.m_strOut), strName = command.m_strName;
    if (strName.IsEmpty())
        strName = FloppyFileName(strFolder);
    if (strName.IsEmpty() || strName.Right(1) == ":") {
        printf("%s has no name of its own: give the product's with /name.\n", static_cast<LPCSTR>(strFolder));
        return kWrong;
    }

    // The programs and their files beside them are no part of a set.
    CString strProgramDir = GetProgramDirectory();
    CStringArray leftOut;
    for (LPCSTR lpszOwn : {"Quorvane.exe", "QvCheck.exe", "QvImage.exe", "QvPlan.exe", "packlist.ini", "Quorvane.ini",
                           "license.txt"})
        leftOut.Add(FolderPath(strProgramDir) + lpszOwn);
    for (LPCSTR lpszSuffix : {"", ".tmp", ".old"})
        leftOut.Add(FullPath(strList) + lpszSuffix);

    SetPlanner planner(*command.m_pFormat);
    CString strProblem;
    if (!planner.AddFolder(strFolder, strPrefix, leftOut, &strProblem)) {
        printf("%s.\n", static_cast<LPCSTR>(strProblem));
        return kWrong;
    }
    if (planner.GetFileCount() == 0) {
        printf("%s holds no files to plan.\n", static_cast<LPCSTR>(strFolder));
        return kCannot;
    }
    if (!planner.PutFirst(command.m_first, &strProblem)) {
        printf("/first %s: %s holds no file of that name.\n", static_cast<LPCSTR>(strProblem),
               static_cast<LPCSTR>(strFolder));
        return kWrong;
    }
    if (!SaysWhatCannotBePlanned(planner))
        return kCannot;

    planner.Plan(command.m_bFewest);
    printf("%s on %s floppies, %s:\n", static_cast<LPCSTR>(strName), command.m_pFormat->lpszName,
           command.m_bFewest ? "fewest disks" : "in order");
    const CArray<PlanDisk>& disks = planner.GetDisks();
    for (int d = 0; d < disks.GetSize(); ++d) {
        printf("  %s: %s\n", static_cast<LPCSTR>(FormatDiskLabel(d + 1, strName)),
               static_cast<LPCSTR>(planner.DescribeDisk(disks[d])));
    }
    printf("%d disk%s; no plan can use fewer than %d\n", disks.GetSize(), disks.GetSize() == 1 ? "" : "s",
           planner.LowerBound());

    switch (WriteListFile(strList, planner.ListText(strName), command.m_bForce, &strProblem)) {
    case kListWritten:
        printf("Written: %s\n", static_cast<LPCSTR>(strList));
        return kWritten;
    case kListKept:
        printf("%s is already there and is kept: it may be the only copy. /force replaces it.\n",
               static_cast<LPCSTR>(strList));
        return kNotWritten;
    default:
        printf("The package list is not written: %s.\n", static_cast<LPCSTR>(strProblem));
        return kNotWritten;
    }
}
}  // namespace

int main(int argc, char** argv)
{
    PlanCommandLine command;
    CString strError;
    if (!command.Parse(argc, argv, &strError))
        return CommandLineWrong(strError, kUsage);
    if (command.m_bHelp) {
        printf("%s", kUsage);
        return kWritten;
    }
    if (!command.m_disks.IsEmpty())
        return CommandLineWrong("/disk: not understood.", kUsage);
    if (command.m_strList.IsEmpty())
        return CommandLineWrong("Which folder? QvPlan needs one.", kUsage);
    int nResult = RunTool([&] { return Plan(command); });
    fflush(stdout);
    return nResult;
}
