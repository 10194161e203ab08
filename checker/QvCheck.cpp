// QvCheck: checks a package before any floppy is written. Reads the
// package list and Quorvane.ini exactly as the wizard does, prints what
// each disk will take on a 1.44 MB floppy and every problem found, and
// writes nothing.
//
//   QvCheck [LIST]      LIST beside the program (default packlist.ini),
//                       or a full path
//   QvCheck [LIST] /verify D: [/disk N]
//                       reads the floppy in drive D: and compares it with
//                       the disk it holds (found by its files), or disk N
//
// Exit code: 0 clean (or the floppy holds the disk exactly), 1 problems
// found (or it does not), 2 the list does not load, the command is wrong or
// memory ran out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/CException.h"
#include "package/FloppyFiles.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "res/resource.h"
#include "verify/FileComparer.h"

namespace {
const int kClean = 0, kProblems = 1, kNotLoaded = 2;

int Check(const CString& strListPath)
{
    PackageInfo package;
    if (!package.LoadFromFile(strListPath)) {
        printf("%s does not load: %s.\n", static_cast<LPCSTR>(strListPath),
               static_cast<LPCSTR>(package.GetLoadError()));
        return kNotLoaded;
    }

    CString strImagesDir = package.GetDiskImagesDir();
    PackageCheck check;
    check.Run(&package, strImagesDir, FALSE);

    printf("%s\n", static_cast<LPCSTR>(package.GetName()));
    for (int i = 0; i < check.m_disks.GetSize(); ++i) {
        const DiskReport& disk = check.m_disks[i];
        LONGLONG nRoom = disk.RoomLeft();
        CString strRoom = nRoom >= 0 ? FormatByteCount(nRoom) + " left"
                                     : FormatByteCount(-nRoom) + " too many";
        printf("  %s: %d file%s, %s bytes, %s on the floppy, %s\n", static_cast<LPCSTR>(disk.strLabel),
               disk.nEntries, disk.nEntries == 1 ? "" : "s",
               static_cast<LPCSTR>(FormatByteCount(disk.nBytes)),
               static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)), static_cast<LPCSTR>(strRoom));
    }
    if (check.IsClean()) {
        printf("No problems found.\n");
        return kClean;
    }
    int nProblems = check.m_problems.GetSize();
    printf("%d problem%s:\n", nProblems, nProblems == 1 ? "" : "s");
    for (int i = 0; i < nProblems; ++i)
        printf("  %s\n", static_cast<LPCSTR>(check.m_problems[i]));
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
    if (!package.LoadFromFile(strListPath)) {
        printf("%s does not load: %s.\n", static_cast<LPCSTR>(strListPath),
               static_cast<LPCSTR>(package.GetLoadError()));
        return kNotLoaded;
    }
    // An empty drive is an answer here, not a reason for the system's box.
    ::SetErrorMode(SEM_FAILCRITICALERRORS);
    CString strRoot;
    strRoot.Format("%c:\\", chDrive);
    DWORD dwSectors, dwBytes, dwFree, dwTotal;
    CStringArray names;
    if (!::GetDiskFreeSpaceA(strRoot, &dwSectors, &dwBytes, &dwFree, &dwTotal) ||
        !ListFloppyRoot(strRoot, names)) {
        DWORD dwError = ::GetLastError();
        // Windows says "not ready" for an empty drive; Wine, whose empty
        // drive is a link to nothing, "no such device" (433) or "path not found".
        if (dwError == ERROR_NOT_READY || dwError == 433 || dwError == ERROR_PATH_NOT_FOUND)
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
        files.ListDisk(pDisk, strImagesDir);
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

    CString strLabel;
    strLabel.Format(IDS_DISK_LABEL, nBest, static_cast<LPCSTR>(package.GetName()));
    printf("Drive %c: against %s\n", chDrive, static_cast<LPCSTR>(strLabel));
    for (disks.Reset(); disks.Next(&pDisk) && disks.m_nPosition != nBest;) {
    }
    files.ListDisk(pDisk, strImagesDir);
    int nProblems = 0;
    for (int i = 0; i < files.GetSize(); ++i) {
        FloppyFileReader copy(strRoot + files[i].strName);
        CompareOutcome outcome = FileComparer::Compare(files[i].strSource, copy);
        if (outcome.result == kCompareSame) {
            printf("  %s: the same\n", static_cast<LPCSTR>(files[i].strName));
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

int Usage(int nResult)
{
    printf("Usage: QvCheck [LIST] [/verify D: [/disk N]]\n"
           "Checks the package list LIST (default packlist.ini beside QvCheck, as the\n"
           "wizard finds it) and the disk image files it names, and writes nothing.\n"
           "With /verify, reads the floppy in drive D: and compares it with the disk it\n"
           "holds, found by its files, or with disk N.\n"
           "Exit code: 0 clean, 1 problems found, 2 the list does not load, the\n"
           "command is wrong or memory ran out. With /verify: 0 the floppy holds the\n"
           "disk exactly, 1 not.\n");
    return nResult;
}
}  // namespace

int main(int argc, char** argv)
{
    const char* pszList = NULL;
    char chDrive = '\0';
    int nDisk = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strcmp(arg, "/?") == 0 || strcmp(arg, "--help") == 0)
            return Usage(kClean);
        if (lstrcmpiA(arg, "/verify") == 0 && i + 1 < argc && IsDriveName(argv[i + 1])) {
            chDrive = static_cast<char>(argv[++i][0] & ~0x20);  // upper case
        } else if (lstrcmpiA(arg, "/disk") == 0 && i + 1 < argc && atoi(argv[i + 1]) > 0) {
            nDisk = atoi(argv[++i]);
        } else if (arg[0] != '/' && pszList == NULL) {
            pszList = arg;
        } else {
            return Usage(kNotLoaded);
        }
    }
    if (nDisk != 0 && chDrive == '\0')
        return Usage(kNotLoaded);
    int nResult = kNotLoaded;
    try {
        CString strListPath = PackageListPath(pszList);
        nResult = chDrive != '\0' ? Verify(strListPath, chDrive, nDisk) : Check(strListPath);
    } catch (CException* e) {
        // Whatever was printed so far stands; the rest could not be checked.
        e->Delete();
        printf("Out of memory: the check did not finish.\n");
    } catch (const std::bad_alloc&) {
        printf("Out of memory: the check did not finish.\n");
    }
    fflush(stdout);
    return nResult;
}
