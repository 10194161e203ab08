// QvCheck: checks a package before any floppy is written. Reads the
// package list and Quorvane.ini exactly as the wizard does, prints what
// each disk will take on a 1.44 MB floppy (or one of another format) and
// every problem found, and writes nothing.
//
//   QvCheck [LIST] [/format F]
//                       LIST beside the program (default packlist.ini),
//                       or a full path; F a format of QvImage's, 1440 if none
//   QvCheck [LIST] /verify D: [/disk N]
//                       reads the floppy in drive D: and compares it with
//                       the disk it holds (found by its files), or disk N
//
// Exit code: 0 clean (or the floppy holds the disk exactly), 1 problems
// found (or it does not), 2 the list does not load, the command is wrong,
// the package has no disk N, or memory ran out.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ConsoleTool.h"
#include "drives/DriveError.h"
#include "fat/FloppyFormat.h"
#include "fat/FatTime.h"
#include "fat/FloppyFiles.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "verify/FileComparer.h"
#include "verify/FloppyFileReader.h"

namespace {
const int kClean = kToolClean, kProblems = kToolProblems, kNotLoaded = kToolNotLoaded;

CString FormatLocalTime(const FILETIME& utc, BOOL bWithTime)
{
    FILETIME local;
    SYSTEMTIME time;
    CString strTime;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time))
        return strTime;
    strTime.Format("%04u-%02u-%02u", time.wYear, time.wMonth, time.wDay);
    if (bWithTime) {
        CString strClock;
        strClock.Format(" %02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
        strTime += strClock;
    }
    return strTime;
}

// Sources dated outside what a FAT floppy holds: worth knowing, not a
// problem, since every floppy stores the nearest time it can.
void PrintTimesOutOfRange(DiskInfo* pDisk, const CString& strImagesDir)
{
    FileCursor files(pDisk);
    CString strEntry;
    while (files.Next(strEntry)) {
        WIN32_FIND_DATAA found;
        HANDLE hFind = ::FindFirstFileA(strImagesDir + "\\" + strEntry, &found);
        if (hFind == INVALID_HANDLE_VALUE)
            continue;
        ::FindClose(hFind);
        // A device answers with no time of its own: it is no file.
        if (FloppyFiles::CanLand(FloppyFiles::LandingName(strEntry)) == FloppyFiles::kDeviceName)
            continue;
        FILETIME stored;
        if (!FatTime::Clamp(found.ftLastWriteTime, &stored))
            printf("    %s is dated %s; floppies store %s\n", static_cast<LPCSTR>(strEntry),
                   static_cast<LPCSTR>(FormatLocalTime(found.ftLastWriteTime, FALSE)),
                   static_cast<LPCSTR>(FormatLocalTime(stored, TRUE)));
    }
}

int Check(const CString& strListPath, const FloppyFormat* pFormat)
{
    PackageInfo package;
    if (!LoadPackageList(strListPath, &package))
        return kNotLoaded;

    CString strImagesDir = package.GetDiskImagesDir();
    PackageCheck check(pFormat != NULL ? *pFormat : FloppyFormat::Standard());
    check.Run(&package, strImagesDir, FALSE);

    if (pFormat != NULL)
        printf("%s, on %s floppies\n", static_cast<LPCSTR>(package.GetName()), pFormat->lpszName);
    else
        printf("%s\n", static_cast<LPCSTR>(package.GetName()));
    DiskCursor disks(&package);
    DiskInfo* pDisk = NULL;
    for (int i = 0; i < check.m_disks.GetSize() && disks.Next(&pDisk); ++i) {
        const DiskReport& disk = check.m_disks[i];
        LONGLONG nRoom = disk.RoomLeft();
        CString strRoom = nRoom >= 0 ? FormatByteCount(nRoom) + " left"
                                     : FormatByteCount(-nRoom) + " too many";
        printf("  %s: %d file%s, %s bytes, %s on the floppy, %s\n", static_cast<LPCSTR>(disk.strLabel),
               disk.nEntries, disk.nEntries == 1 ? "" : "s",
               static_cast<LPCSTR>(FormatByteCount(disk.nBytes)),
               static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)), static_cast<LPCSTR>(strRoom));
        PrintTimesOutOfRange(pDisk, strImagesDir);
    }
    if (check.IsClean()) {
        printf("No problems found.\n");
        return kClean;
    }
    PrintProblems(check.m_problems);
    return kProblems;
}

// The names in the floppy's root, directories left out.
BOOL ListFloppyRoot(const CString& strRoot, CStringArray& names)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strRoot + "*.*", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_NO_MORE_FILES;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.Add(found.cFileName);
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    return TRUE;
}

int CountPresent(const FloppyFiles& files, const CStringArray& names)
{
    int nPresent = 0;
    for (int i = 0; i < names.GetSize(); ++i)
        nPresent += files.Find(names[i]) >= 0;
    return nPresent;
}

int Verify(const CString& strListPath, char chDrive, int nDisk)
{
    PackageInfo package;
    if (!LoadPackageList(strListPath, &package))
        return kNotLoaded;
    // An empty drive is an answer here, not a reason for the system's box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    CString strRoot;
    strRoot.Format("%c:\\", chDrive);
    DWORD dwSectors, dwBytes, dwFree, dwTotal;
    CStringArray names;
    if (!::GetDiskFreeSpaceA(strRoot, &dwSectors, &dwBytes, &dwFree, &dwTotal) ||
        !ListFloppyRoot(strRoot, names)) {
        DWORD dwError = ::GetLastError();
        if (IsNoFloppyError(dwError))
            printf("There is no floppy in drive %c:.\n", chDrive);
        else
            printf("Drive %c: cannot be read: %s.\n", chDrive, static_cast<LPCSTR>(SystemErrorText(dwError)));
        return kProblems;
    }

    // The disk it holds is the one whose files are most of what is there.
    CString strImagesDir = package.GetDiskImagesDir();
    FloppyFiles files;
    int nBest = -1, nBestPresent = 0, nBestMissing = 0;
    DiskCursor disks(&package);
    DiskInfo* pDisk = NULL;
    while (disks.Next(&pDisk)) {
        files.ListDisk(pDisk->m_files, strImagesDir);
        int nPresent = CountPresent(files, names), nMissing = files.GetSize() - nPresent;
        BOOL bBetter = nPresent > nBestPresent || (nPresent > 0 && nPresent == nBestPresent && nMissing < nBestMissing);
        if (disks.m_nPosition == nDisk || (nDisk == 0 && bBetter)) {
            nBest = disks.m_nPosition;
            nBestPresent = nPresent;
            nBestMissing = nMissing;
        }
    }
    if (nBest < 0) {
        if (nDisk != 0)
            printf("The package has no disk %d.\n", nDisk);
        else
            printf("The floppy in drive %c: holds none of the files of %s.\n", chDrive,
                   static_cast<LPCSTR>(package.GetName()));
        return nDisk != 0 ? kNotLoaded : kProblems;
    }

    CString strLabel = package.GetDiskLabel(nBest);
    printf("Drive %c: against %s\n", chDrive, static_cast<LPCSTR>(strLabel));
    for (disks.Reset(); disks.Next(&pDisk) && disks.m_nPosition != nBest;) {
    }
    files.ListDisk(pDisk->m_files, strImagesDir);
    int nProblems = 0;
    for (int i = 0; i < files.GetSize(); ++i) {
        FloppyFileReader copy(strRoot + files[i].strName);
        CompareOutcome outcome = FileComparer::Compare(files[i].strSource, copy);
        if (outcome.result == kCompareSame) {
            printf("  %s: the same\n", static_cast<LPCSTR>(files[i].strName));
        } else if (outcome.result == kCompareWrongTime && outcome.bHourApart) {
            // NT converts a FAT floppy's local times with today's offset.
            printf("  %s: the same, one hour apart: written under the other daylight-saving time\n",
                   static_cast<LPCSTR>(files[i].strName));
        } else {
            printf("  %s %s.\n", static_cast<LPCSTR>(files[i].strName),
                   static_cast<LPCSTR>(DescribeMismatch(outcome)));
            ++nProblems;
        }
    }
    for (int i = 0; i < names.GetSize(); ++i) {
        if (files.Find(names[i]) < 0) {
            printf("  %s is on the floppy but not on the disk.\n", static_cast<LPCSTR>(names[i]));
            ++nProblems;
        }
    }
    if (nProblems == 0) {
        printf("Drive %c: holds %s exactly.\n", chDrive, static_cast<LPCSTR>(strLabel));
        return kClean;
    }
    printf("Drive %c: does not hold %s: %d difference%s.\n", chDrive, static_cast<LPCSTR>(strLabel),
           nProblems, nProblems == 1 ? "" : "s");
    return kProblems;
}

// "a:" or "A:\"
bool IsDriveName(const char* arg)
{
    char chUpper = static_cast<char>(arg[0] & ~0x20);
    return chUpper >= 'A' && chUpper <= 'Z' && arg[1] == ':' && (arg[2] == '\0' || strcmp(arg + 2, "\\") == 0);
}

const char kUsage[] =
    "Usage: QvCheck [LIST] [/format F | /verify D: [/disk N]]\n"
    "Checks the package list LIST (default packlist.ini beside QvCheck, as the\n"
    "wizard finds it) and the disk image files it names, and writes nothing.\n"
    "With /format, checks for floppies of F KB, one of 720, 1200, 1440, 1680 or\n"
    "2880 (the wizard writes 1440 only).\n"
    "With /verify, reads the floppy in drive D: and compares it with the disk it\n"
    "holds, found by its files, or with disk N.\n"
    "Exit code: 0 clean, 1 problems found, 2 the list does not load, the\n"
    "command is wrong or memory ran out. With /verify: 0 the floppy holds the\n"
    "disk exactly, 1 not, 2 also for a disk the package does not have.\n";

class CheckCommandLine : public ToolCommandLine {
public:
    char m_chDrive = '\0';  // upper case; none: check the package
    const FloppyFormat* m_pFormat = NULL;  // none: the wizard's 1.44 MB

protected:
    int OnSwitch(LPCSTR lpszSwitch, LPCSTR lpszValue, CString* pError) override
    {
        if (lstrcmpiA(lpszSwitch, "/format") == 0) {
            m_pFormat = lpszValue != NULL ? FloppyFormat::Find(lpszValue) : NULL;
            if (m_pFormat == NULL) {
                pError->Format("/format %s: not one of %s.", lpszValue != NULL ? lpszValue : "",
                               FloppyFormat::Choices());
                return -1;
            }
            return 1;
        }
        if (lstrcmpiA(lpszSwitch, "/verify") != 0)
            return -1;
        if (lpszValue == NULL || !IsDriveName(lpszValue)) {
            pError->Format("/verify %s: not a drive.", lpszValue != NULL ? lpszValue : "");
            return -1;
        }
        m_chDrive = static_cast<char>(lpszValue[0] & ~0x20);
        return 1;
    }
};
}  // namespace

int main(int argc, char** argv)
{
    CheckCommandLine command;
    CString strError;
    if (!command.Parse(argc, argv, &strError))
        return CommandLineWrong(strError, kUsage);
    if (command.m_bHelp) {
        printf("%s", kUsage);
        return kClean;
    }
    if (!command.m_disks.IsEmpty() && command.m_chDrive == '\0')
        return CommandLineWrong("/disk goes with /verify.", kUsage);
    if (command.m_disks.GetSize() > 1)
        return CommandLineWrong("/verify reads one disk: one /disk at most.", kUsage);
    // A floppy in a drive has the format it has.
    if (command.m_pFormat != NULL && command.m_chDrive != '\0')
        return CommandLineWrong("/format does not go with /verify.", kUsage);
    int nDisk = command.m_disks.IsEmpty() ? 0 : command.m_disks[0];
    int nResult = RunTool([&] {
        CString strListPath = PackageListPath(command.m_strList);
        return command.m_chDrive != '\0' ? Verify(strListPath, command.m_chDrive, nDisk)
                                          : Check(strListPath, command.m_pFormat);
    });
    fflush(stdout);
    return nResult;
}
