// QvImage: writes each disk of a package as a floppy image file (1.44 MB,
// or another format of the table), holding what the wizard would leave on
// a freshly formatted floppy. It finds the package list as QvCheck does,
// checks the package first, and writes an image only when the whole of it
// was read back and compared. For a USB floppy emulator it lays the images
// out as numbered slots at the root of the emulator's stick.
//
//   QvImage [LIST] [/out DIR | /gotek DIR] [/format F] [/protect] [/disk N]... [/force]
//
// Exit code: 0 every chosen disk written complete (with /force, despite
// the problems), 1 problems found, a disk that does not fit, or one written
// without an entry that cannot be read or is a device, 2 the list does not
// load, the command line is wrong or memory ran out, 3 an image file, or
// the folder for it, could not be written.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ConsoleTool.h"
#include "image/DiskImageWriter.h"
#include "image/EmulatorStick.h"
#include "fat/FloppyFormat.h"
#include "fat/FloppyFiles.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "verify/FileComparer.h"

namespace {
const int kWritten = kToolClean, kProblems = kToolProblems, kNotLoaded = kToolNotLoaded, kNotWritten = 3;

const char kUsage[] =
    "Usage: QvImage [LIST] [/out DIR | /gotek DIR] [/format F] [/protect]\n"
    "               [/disk N]... [/force]\n"
    "Writes each disk of the package list LIST (default packlist.ini beside\n"
    "QvImage, as the wizard finds it) as a floppy image file,\n"
    "\"Disk N - Name.img\", in DIR (made if missing; default: the current\n"
    "directory). A bare drive, E:, is its root.\n"
    "  /format F  floppies of F KB: 720, 1200, 1440 (the default), 1680, 2880\n"
    "  /gotek DIR for a USB floppy emulator: the disks as DSKA0000.IMG,\n"
    "             DSKA0001.IMG, ... in DIR, the root of its stick, with FF.CFG\n"
    "             (nav-mode = indexed, if none is there) and DISKS.TXT\n"
    "  /protect   makes the images read-only, write-protected on an emulator\n"
    "  /disk N    only disk N (as the wizard numbers them); may be repeated,\n"
    "             and the disks are written (and /gotek's slots numbered) in\n"
    "             that order\n"
    "  /force     write the disks that fit even when the package has problems\n"
    "Exit code: 0 every disk written complete, 1 problems found, a disk left\n"
    "out or written without some of its files, 2 the list does not load, the\n"
    "command is wrong or memory ran out, 3 an image could not be written.\n";

class ImageCommandLine : public ToolCommandLine {
public:
    CString m_strOutDir;
    const FloppyFormat* m_pFormat = &FloppyFormat::Standard();
    bool m_bForce = false;
    bool m_bSlots = false;  // /gotek: m_strOutDir is the root of an emulator's stick
    bool m_bProtect = false;

protected:
    int OnSwitch(LPCSTR lpszSwitch, LPCSTR lpszValue, CString* pError) override
    {
        if (lstrcmpiA(lpszSwitch, "/force") == 0 || lstrcmpiA(lpszSwitch, "/protect") == 0) {
            (lstrcmpiA(lpszSwitch, "/force") == 0 ? m_bForce : m_bProtect) = true;
            return 0;
        }
        bool bOut = lstrcmpiA(lpszSwitch, "/out") == 0, bSlots = lstrcmpiA(lpszSwitch, "/gotek") == 0;
        if (!bOut && !bSlots && lstrcmpiA(lpszSwitch, "/format") != 0)
            return -1;
        if (lpszValue == NULL) {
            pError->Format("%s needs a value.", lpszSwitch);
            return -1;
        }
        if (!bOut && !bSlots) {
            m_pFormat = FloppyFormat::Find(lpszValue);
            if (m_pFormat == NULL) {
                pError->Format("/format %s: not a floppy format; one of %s.", lpszValue, FloppyFormat::Choices());
                return -1;
            }
            return 1;
        }
        if (m_bOutGiven) {
            pError->Format("%s: there is already an output directory.", lpszSwitch);
            return -1;
        }
        m_bOutGiven = true;
        m_strOutDir = lpszValue;
        m_bSlots = bSlots;
        return 1;
    }

private:
    bool m_bOutGiven = false;
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

// TRUE when the disk fits the format; FALSE when it says why not.
bool SaysWhetherItFits(const DiskReport& disk, const FloppyFormat& format, LPCSTR lpszImage)
{
    if (disk.RoomLeft() < 0)
        printf("%s is not written: its files take %s bytes, %s more than a %s floppy holds.\n", lpszImage,
               static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)),
               static_cast<LPCSTR>(FormatByteCount(-disk.RoomLeft())), format.lpszName);
    else if (disk.nRootEntries > format.nRootEntries)
        printf("%s is not written: its files take %d root directory entries, %d more than a %s floppy has.\n",
               lpszImage, disk.nRootEntries, disk.nRootEntries - format.nRootEntries, format.lpszName);
    else
        return true;
    return false;
}

// FF.CFG, DISKS.TXT and a word on the slots of an earlier set, once the
// first slots hold the disks of these labels.
int FinishSlots(const EmulatorStick& stick, const CStringArray& labels)
{
    EmulatorStick::Config config;
    DWORD dwError = stick.SetUpConfig(&config);
    if (dwError != NO_ERROR) {
        printf("FF.CFG is not written: %s.\n", static_cast<LPCSTR>(SystemErrorText(dwError)));
        return kNotWritten;
    }
    if (config == EmulatorStick::kConfigWritten)
        printf("FF.CFG: nav-mode = indexed\n");
    else if (config == EmulatorStick::kConfigIndexed)
        printf("FF.CFG is already there, with nav-mode = indexed.\n");
    else
        printf("FF.CFG is already there and is left as it is: the emulator finds the disks by their "
               "numbers only with the line nav-mode = indexed in it.\n");

    dwError = stick.WriteDiskList(labels);
    if (dwError != NO_ERROR) {
        printf("DISKS.TXT is not written: %s.\n", static_cast<LPCSTR>(SystemErrorText(dwError)));
        return kNotWritten;
    }
    printf("DISKS.TXT: which disk is in which slot\n");

    CStringArray older = stick.OlderSlots(labels.GetSize());
    for (int i = 0; i < older.GetSize(); ++i)
        printf("%s is not of this set and is left as it is; delete it if the emulator is not to show it.\n",
               static_cast<LPCSTR>(older[i]));
    return kWritten;
}

// Makes the folder (ending in a backslash) and every parent it lacks.
// NO_ERROR, or the system's reason for the first that cannot be made.
DWORD MakeFolder(const CString& strFolder)
{
    // A drive's root, and a share's server and name (\\server\share\),
    // are there or not: only the folders below them are made.
    int nUnmade = strFolder.Left(2) == "\\\\" ? 4 : 1;
    int nSeparators = 0;
    for (int i = 0; i < strFolder.GetLength(); ++i) {
        char ch = strFolder[i];
        if (::IsDBCSLeadByte(static_cast<BYTE>(ch))) {
            ++i;
            continue;
        }
        if (ch != '\\' && ch != '/')
            continue;
        CString strPart = strFolder.Left(i);
        if (++nSeparators <= nUnmade && (i == 0 || strPart.Right(1) == ":" || nUnmade == 4))
            continue;
        DWORD dwAttributes = ::GetFileAttributesA(strPart);
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!::CreateDirectoryA(strPart, NULL))
            return ::GetLastError();
    }
    return NO_ERROR;
}

int WriteImages(const ImageCommandLine& options)
{
    PackageInfo package;
    if (!LoadPackageList(PackageListPath(options.m_strList), &package))
        return kNotLoaded;

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
    // The disks asked for become the chosen ones, as on the wizard's page,
    // and are written in the order asked for, each once.
    CArray<int> order;
    for (int i = 0; i < options.m_disks.GetSize(); ++i) {
        bool bTwice = false;
        for (int j = 0; j < order.GetSize(); ++j)
            bTwice |= order[j] == options.m_disks[i];
        if (!bTwice)
            order.Add(options.m_disks[i]);
    }
    for (int n = 1; options.m_disks.IsEmpty() && n <= nDisks; ++n)
        order.Add(n);
    CArray<DiskInfo*> diskOf;  // by number
    CArray<int> reportOf;      // the check reports the chosen disks in disk order
    diskOf.Add(NULL);
    reportOf.Add(-1);
    int nChosen = 0;
    disks.Reset();
    while (disks.Next(&pDisk)) {
        pDisk->m_bChosen = FALSE;
        for (int i = 0; i < order.GetSize(); ++i)
            pDisk->m_bChosen |= order[i] == disks.m_nPosition;
        diskOf.Add(pDisk);
        reportOf.Add(pDisk->m_bChosen ? nChosen++ : -1);
    }

    CString strImagesDir = package.GetDiskImagesDir();
    const FloppyFormat& format = *options.m_pFormat;
    PackageCheck check(format);
    check.Run(&package, strImagesDir, TRUE);
    int nResult = kWritten;
    if (!check.IsClean()) {
        PrintProblems(check.m_problems);
        if (!options.m_bForce) {
            printf("No image was written; /force writes the disks that fit anyway.\n");
            return kProblems;
        }
    }

    CString strOutDir = FolderPath(options.m_strOutDir);
    EmulatorStick stick(strOutDir);
    CStringArray imageNames;
    bool bAllFit = true;
    for (int i = 0; i < order.GetSize(); ++i) {
        const DiskReport& disk = check.m_disks[reportOf[order[i]]];
        imageNames.Add(options.m_bSlots ? EmulatorStick::SlotName(i) + " (" + disk.strLabel + ")"
                                        : ImageFileName(disk.strLabel));
        if (options.m_bSlots)
            bAllFit &= SaysWhetherItFits(disk, format, imageNames[i]);
    }
    // A slot left empty would end the emulator's list of disks there.
    if (!bAllFit) {
        printf("No image was written: on the stick every disk of the set needs its slot.\n");
        return kProblems;
    }

    // A stick's root is there or it is the wrong path; an output folder is made.
    DWORD dwMade = options.m_bSlots ? NO_ERROR : MakeFolder(strOutDir);
    if (dwMade != NO_ERROR) {
        printf("%s cannot be created: %s.\n", static_cast<LPCSTR>(options.m_strOutDir),
               static_cast<LPCSTR>(SystemErrorText(dwMade)));
        return kNotWritten;
    }

    CStringArray labels;  // of the slots written
    for (int i = 0; i < order.GetSize(); ++i) {
        const DiskReport& disk = check.m_disks[reportOf[order[i]]];
        LPCSTR lpszImage = imageNames[i];
        if (!options.m_bSlots && !SaysWhetherItFits(disk, format, lpszImage)) {
            nResult = kProblems;
            continue;
        }
        FloppyFiles files;
        // A source that cannot be read is left out, as the wizard leaves it
        // out when told to ignore it, and a device name lands nowhere: only
        // /force gets this far with either.
        CStringArray leftOut;
        files.ListDisk(diskOf[order[i]]->m_files, strImagesDir, TRUE, &leftOut);
        ImageReport report;
        CString strPath = options.m_bSlots ? stick.SlotPath(i) : strOutDir + imageNames[i];
        if (!DiskImageWriter::Write(files, strPath, &report, format, options.m_bProtect)) {
            printf("%s is not written: %s.\n", lpszImage, static_cast<LPCSTR>(report.strProblem));
            nResult = kNotWritten;
            break;
        }
        labels.Add(disk.strLabel);
        printf("%s: %s bytes used, %s free\n", lpszImage, static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)),
               static_cast<LPCSTR>(FormatByteCount(report.nFreeBytes)));
        for (int j = 0; j < report.names.GetSize(); ++j)
            printf("  %s  %s bytes\n", static_cast<LPCSTR>(report.names[j]),
                   static_cast<LPCSTR>(FormatByteCount(report.sizes[j])));
        for (int j = 0; j < leftOut.GetSize(); ++j) {
            bool bDevice = FloppyFiles::CanLand(FloppyFiles::LandingName(leftOut[j])) == FloppyFiles::kDeviceName;
            printf("%s lacks %s, %s.\n", lpszImage, static_cast<LPCSTR>(leftOut[j]),
                   bDevice ? "a device name on DOS and Windows" : "which cannot be read");
            nResult = kProblems;
        }
        // The image and the check must count alike, or one of them is
        // wrong. The image was written all the same: that is no exit 3.
        if (report.nUsedBytes != disk.nFloppyBytes || report.nRootEntries != disk.nRootEntries) {
            printf("%s does not agree with the package check: %s bytes and %d root entries used, "
                   "the check counted %s and %d.\n",
                   lpszImage, static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)), report.nRootEntries,
                   static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)), disk.nRootEntries);
            nResult = kProblems;
        }
    }
    if (options.m_bSlots && !labels.IsEmpty()) {
        int nFinished = FinishSlots(stick, labels);
        if (nFinished != kWritten)
            nResult = nFinished;
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
