// QvCheck: checks a package before any floppy is written. Reads the
// package list and Quorvane.ini exactly as the wizard does, prints what
// each disk will take on a 1.44 MB floppy and every problem found, and
// writes nothing.
//
//   QvCheck [LIST]      LIST beside the program (default packlist.ini),
//                       or a full path
//
// Exit code: 0 clean, 1 problems found, 2 the list does not load or memory
// ran out.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "framework/CException.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"

namespace {
const int kClean = 0, kProblems = 1, kNotLoaded = 2;

bool IsFullPath(const char* path)
{
    return (path[0] != '\0' && path[1] == ':') || path[0] == '\\';
}

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
}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && (strcmp(argv[1], "/?") == 0 || strcmp(argv[1], "--help") == 0))) {
        printf("Usage: QvCheck [LIST]\n"
               "Checks the package list LIST (default packlist.ini beside QvCheck, as the\n"
               "wizard finds it) and the disk image files it names, and writes nothing.\n"
               "Exit code: 0 clean, 1 problems found, 2 the list does not load or memory\n"
               "ran out.\n");
        return argc > 2 ? kNotLoaded : kClean;
    }
    int nResult = kNotLoaded;
    try {
        CString strListPath;
        if (argc == 2 && IsFullPath(argv[1]))
            strListPath = argv[1];
        else
            strListPath = GetProgramDirectory() + "\\" + (argc == 2 ? argv[1] : "packlist.ini");
        nResult = Check(strListPath);
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
