// QvImage: writes each disk of a package as a 1.44 MB floppy image file,
// holding what the wizard would leave on a freshly formatted floppy. It
// finds the package list as QvCheck does, checks the package first, and
// writes an image only when the whole of it was read back and compared.
//
//   QvImage [LIST] [/out DIR] [/disk N]... [/force]
//
// Exit code: 0 every image written (with /force, despite the problems), 1
// problems found or a disk that does not fit, 2 the list does not load or
// the command line is wrong, 3 an image could not be written.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "image/DiskImageWriter.h"
#include "package/FloppyFiles.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"

namespace {
const int kWritten = 0, kProblems = 1, kNotLoaded = 2, kNotWritten = 3;

const char kUsage[] =
    "Usage: QvImage [LIST] [/out DIR] [/disk N]... [/force]\n"
    "Writes each disk of the package list LIST (default packlist.ini beside\n"
    "QvImage, as the wizard finds it) as a 1.44 MB floppy image file,\n"
    "\"Disk N - Name.img\", in DIR (default: the current directory).\n"
    "  /disk N   only disk N (as the wizard numbers them); may be repeated\n"
    "  /force    write the disks that fit even when the package has problems\n"
    "Exit code: 0 written, 1 problems found, 2 the list does not load,\n"
    "3 an image could not be written.\n";

struct Options {
    CString strList;
    CString strOutDir;
    CArray<int> disks;  // numbers as the user sees them; empty: every disk
    bool bForce = false;
};

// FALSE with a message when the command line is not understood.
BOOL ParseOptions(int argc, char** argv, Options* pOptions, CString* pError)
{
    bool bList = false;
    for (int i = 1; i < argc; ++i) {
        LPCSTR arg = argv[i];
        if (lstrcmpiA(arg, "/force") == 0) {
            pOptions->bForce = true;
        } else if (lstrcmpiA(arg, "/out") == 0 || lstrcmpiA(arg, "/disk") == 0) {
            if (i + 1 == argc) {
                pError->Format("%s needs a value.", arg);
                return FALSE;
            }
            LPCSTR value = argv[++i];
            if (lstrcmpiA(arg, "/out") == 0) {
                pOptions->strOutDir = value;
                continue;
            }
            int nDisk = 0;
            LPCSTR digit = value;
            while (*digit >= '0' && *digit <= '9' && nDisk < 1000000)
                nDisk = nDisk * 10 + (*digit++ - '0');
            if (*value == '\0' || *digit != '\0' || nDisk < 1) {
                pError->Format("/disk %s: not a disk number.", value);
                return FALSE;
            }
            pOptions->disks.Add(nDisk);
        } else if (arg[0] == '/' || bList) {
            pError->Format("%s: not understood.", arg);
            return FALSE;
        } else {
            pOptions->strList = arg;
            bList = true;
        }
    }
    return TRUE;
}

// The disk's label as a file name: a character no file name can hold
// becomes '_'. A double-byte character is kept whole, whatever its second byte.
CString ImageFileName(const CString& strLabel)
{
    CString strName;
    for (int i = 0; i < strLabel.GetLength(); ++i) {
        char ch = strLabel[i];
        if (::IsDBCSLeadByte(static_cast<BYTE>(ch)) && i + 1 < strLabel.GetLength()) {
            strName += ch;
            strName += strLabel[++i];
        } else {
            strName += static_cast<BYTE>(ch) < 32 || strchr("\\/:*?\"<>|", ch) != NULL ? '_' : ch;
        }
    }
    return strName + ".img";
}

int WriteImages(const Options& options)
{
    PackageInfo package;
    if (!package.LoadFromFile(options.strList)) {
        printf("%s does not load: %s.\n", static_cast<LPCSTR>(options.strList),
               static_cast<LPCSTR>(package.GetLoadError()));
        return kNotLoaded;
    }

    // The disks asked for become the chosen ones, as on the wizard's page.
    int nDisks = 0;
    DiskCursor disks(&package);
    DiskInfo* pDisk = NULL;
    while (disks.Next(&pDisk))
        ++nDisks;
    for (int i = 0; i < options.disks.GetSize(); ++i) {
        if (options.disks[i] > nDisks) {
            printf("There is no disk %d: %s has %d disk%s.\n", options.disks[i],
                   static_cast<LPCSTR>(package.GetName()), nDisks, nDisks == 1 ? "" : "s");
            return kNotLoaded;
        }
    }
    disks.Reset();
    while (disks.Next(&pDisk)) {
        pDisk->m_bChosen = options.disks.IsEmpty();
        for (int i = 0; i < options.disks.GetSize(); ++i)
            pDisk->m_bChosen |= options.disks[i] == disks.m_nPosition;
    }

    CString strImagesDir = package.GetDiskImagesDir();
    PackageCheck check;
    check.Run(&package, strImagesDir, TRUE);
    int nResult = kWritten;
    if (!check.IsClean()) {
        int nProblems = check.m_problems.GetSize();
        printf("%d problem%s:\n", nProblems, nProblems == 1 ? "" : "s");
        for (int i = 0; i < nProblems; ++i)
            printf("  %s\n", static_cast<LPCSTR>(check.m_problems[i]));
        if (!options.bForce) {
            printf("No image was written; /force writes the disks that fit anyway.\n");
            return kProblems;
        }
    }

    CString strOutDir = options.strOutDir;
    if (!strOutDir.IsEmpty() && strOutDir.Right(1) != "\\" && strOutDir.Right(1) != "/" && strOutDir.Right(1) != ":")
        strOutDir += "\\";
    int nReport = 0;
    disks.Reset();
    while (disks.Next(&pDisk)) {
        if (!pDisk->m_bChosen)
            continue;
        const DiskReport& disk = check.m_disks[nReport++];
        CString strImage = ImageFileName(disk.strLabel);
        if (disk.RoomLeft() < 0 || disk.nRootEntries > PackageCheck::kRootEntries) {
            if (disk.RoomLeft() < 0)
                printf("%s is not written: its files take %s bytes, %s more than a 1.44 MB floppy holds.\n",
                       static_cast<LPCSTR>(strImage), static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)),
                       static_cast<LPCSTR>(FormatByteCount(-disk.RoomLeft())));
            else
                printf("%s is not written: its files take %d root directory entries, %d more than a 1.44 MB floppy has.\n",
                       static_cast<LPCSTR>(strImage), disk.nRootEntries,
                       disk.nRootEntries - PackageCheck::kRootEntries);
            nResult = kProblems;
            continue;
        }

        // A source that cannot be read is left out, as the wizard leaves it
        // out when told to ignore it: only /force gets this far with one.
        FloppyFiles files;
        files.ListDisk(pDisk, strImagesDir, TRUE);
        ImageReport report;
        if (!DiskImageWriter::Write(files, strOutDir + strImage, &report)) {
            printf("%s is not written: %s.\n", static_cast<LPCSTR>(strImage),
                   static_cast<LPCSTR>(report.strProblem));
            return kNotWritten;
        }
        printf("%s: %s bytes used, %s free\n", static_cast<LPCSTR>(strImage),
               static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)),
               static_cast<LPCSTR>(FormatByteCount(report.nFreeBytes)));
        for (int i = 0; i < report.names.GetSize(); ++i)
            printf("  %s  %s bytes\n", static_cast<LPCSTR>(report.names[i]),
                   static_cast<LPCSTR>(FormatByteCount(report.sizes[i])));
        // The image and the check must count alike, or one of them is wrong.
        if (report.nUsedBytes != disk.nFloppyBytes || report.nRootEntries != disk.nRootEntries) {
            printf("%s does not agree with the package check: %s bytes and %d root entries used, "
                   "the check counted %s and %d.\n",
                   static_cast<LPCSTR>(strImage), static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)),
                   report.nRootEntries, static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)),
                   disk.nRootEntries);
            nResult = kNotWritten;
        }
    }
    return nResult;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (strcmp(argv[1], "/?") == 0 || strcmp(argv[1], "--help") == 0)) {
        printf("%s", kUsage);
        return kWritten;
    }
    Options options;
    CString strError;
    if (!ParseOptions(argc, argv, &options, &strError)) {
        printf("%s\n%s", static_cast<LPCSTR>(strError), kUsage);
        return kNotLoaded;
    }
    options.strList = PackageListPath(options.strList);
    int nResult = WriteImages(options);
    fflush(stdout);
    return nResult;
}
