// QvImage: writes each disk of a package as a 1.44 MB floppy image file,
// holding what the wizard would leave on a freshly formatted floppy. It
// finds the package list as QvCheck does, checks the package first, and
// writes an image only when the whole of it was read back and compared.
//
//   QvImage [LIST] [/out DIR] [/disk N]... [/force]
//
// Exit code: 0 every chosen disk written complete (with /force, despite
// the problems), 1 problems found, a disk that does not fit, or one written
// without a file that cannot be read, 2 the list does not load, the command
// line is wrong or memory ran out, 3 an image file could not be written.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ConsoleTool.h"
#include "image/DiskImageWriter.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "verify/FloppyFiles.h"

namespace {
const int kWritten = kToolClean, kProblems = kToolProblems, kNotLoaded = kToolNotLoaded, kNotWritten = 3;

const char kUsage[] =
    "Usage: QvImage [LIST] [/out DIR] [/disk N]... [/force]\n"
    "Writes each disk of the package list LIST (default packlist.ini beside\n"
    "QvImage, as the wizard finds it) as a 1.44 MB floppy image file,\n"
    "\"Disk N - Name.img\", in DIR (default: the current directory).\n"
    "  /disk N   only disk N (as the wizard numbers them); may be repeated\n"
    "  /force    write the disks that fit even when the package has problems\n"
    "Exit code: 0 every disk written complete, 1 problems found, a disk left\n"
    "out or written without some of its files, 2 the list does not load, the\n"
    "command is wrong or memory ran out, 3 an image could not be written.\n";

class ImageCommandLine : public ToolCommandLine {
public:
    CString m_strOutDir;
    bool m_bForce = false;

protected:
    int OnSwitch(LPCSTR lpszSwitch, LPCSTR lpszValue, CString* pError) override
    {
        if (lstrcmpiA(lpszSwitch, "/force") == 0) {
            m_bForce = true;
            return 0;
        }
        if (lstrcmpiA(lpszSwitch, "/out") != 0)
            return -1;
        if (lpszValue == NULL) {
            pError->Format("%s needs a value.", lpszSwitch);
            return -1;
        }
        m_strOutDir = lpszValue;
        return 1;
    }
};

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

// What the disk leaves on its floppy. A source that cannot be read is left
// out, as the wizard leaves it out when told to ignore it: only /force
// gets this far with one. TRUE when one was left out.
bool ListFloppyFiles(DiskInfo* pDisk, const CString& strImagesDir, FloppyFiles* pFiles)
{
    pFiles->ListDisk(pDisk, strImagesDir);
    bool bUnreadable = false;
    for (int i = 0; i < pFiles->GetSize() && !bUnreadable; ++i) {
        DWORD dwAttributes = ::GetFileAttributesA((*pFiles)[i].strSource);
        bUnreadable = dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (!bUnreadable)
        return false;
    // An unreadable later entry leaves the earlier file of its name in place.
    pFiles->RemoveAll();
    FileCursor entries(pDisk);
    CString strEntry;
    while (entries.Next(strEntry)) {
        CString strSource = strImagesDir + "\\" + strEntry;
        DWORD dwAttributes = ::GetFileAttributesA(strSource);
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            pFiles->Put(strEntry, strSource);
    }
    return true;
}

int WriteImages(const ImageCommandLine& options)
{
    PackageInfo package;
    if (!LoadPackageList(PackageListPath(options.m_strList), &package))
        return kNotLoaded;

    // The disks asked for become the chosen ones, as on the wizard's page.
    int nDisks = 0;
    DiskCursor disks(&package);
    DiskInfo* pDisk = NULL;
    while (disks.Next(&pDisk))
        ++nDisks;
    for (int i = 0; i < options.m_disks.GetSize(); ++i) {
        if (options.m_disks[i] > nDisks) {
            printf("There is no disk %d: %s has %d disk%s.\n", options.m_disks[i],
                   static_cast<LPCSTR>(package.GetName()), nDisks, nDisks == 1 ? "" : "s");
            return kNotLoaded;
        }
    }
    disks.Reset();
    while (disks.Next(&pDisk)) {
        pDisk->m_bChosen = options.m_disks.IsEmpty();
        for (int i = 0; i < options.m_disks.GetSize(); ++i)
            pDisk->m_bChosen |= options.m_disks[i] == disks.m_nPosition;
    }

    CString strImagesDir = package.GetDiskImagesDir();
    PackageCheck check;
    check.Run(&package, strImagesDir, TRUE);
    int nResult = kWritten;
    if (!check.IsClean()) {
        PrintProblems(check.m_problems);
        if (!options.m_bForce) {
            printf("No image was written; /force writes the disks that fit anyway.\n");
            return kProblems;
        }
    }

    CString strOutDir = options.m_strOutDir;
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

        FloppyFiles files;
        bool bIncomplete = ListFloppyFiles(pDisk, strImagesDir, &files);
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
        if (bIncomplete) {
            printf("%s lacks the files that cannot be read.\n", static_cast<LPCSTR>(strImage));
            nResult = kProblems;
        }
        // The image and the check must count alike, or one of them is
        // wrong. The image was written all the same: that is no exit 3.
        if (report.nUsedBytes != disk.nFloppyBytes || report.nRootEntries != disk.nRootEntries) {
            printf("%s does not agree with the package check: %s bytes and %d root entries used, "
                   "the check counted %s and %d.\n",
                   static_cast<LPCSTR>(strImage), static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)),
                   report.nRootEntries, static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)),
                   disk.nRootEntries);
            nResult = kProblems;
        }
    }
    return nResult;
}
}  // namespace

int main(int argc, char** argv)
{
    ImageCommandLine command;
    CString strError;
    if (!command.Parse(argc, argv, &strError))
        return CommandLineWrong(strError, kUsage);
    if (command.m_bHelp) {
        printf("%s", kUsage);
        return kWritten;
    }
    int nResult = RunTool([&] { return WriteImages(command); });
    fflush(stdout);
    return nResult;
}
