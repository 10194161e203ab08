// QvImage: writes each disk of a package as a floppy image file (1.44 MB,
// or another format of the table), holding what the wizard would leave on
// a freshly formatted floppy. It finds the package list as QvCheck does,
// checks the package first, and writes an image only when the whole of it
// was read back and compared. For a USB floppy emulator it lays the images
// out as numbered slots at the root of the emulator's stick.
//
//   QvImage [LIST] [/out DIR | /gotek DIR] [/format F] [/protect] [/disk N]... [/force]
//
// Exit code: 0 every image written (with /force, despite the problems), 1
// problems found or a disk that does not fit, 2 the list does not load or
// the command line is wrong, 3 an image could not be written.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "image/DiskImageWriter.h"
#include "image/FloppyFormat.h"
#include "package/PackageCheck.h"
#include "package/PackageInfo.h"
#include "package/ProgramDirectory.h"
#include "verify/FileComparer.h"
#include "verify/FloppyFiles.h"

namespace {
const int kWritten = 0, kProblems = 1, kNotLoaded = 2, kNotWritten = 3;

const char kUsage[] =
    "Usage: QvImage [LIST] [/out DIR | /gotek DIR] [/format F] [/protect]\n"
    "               [/disk N]... [/force]\n"
    "Writes each disk of the package list LIST (default packlist.ini beside\n"
    "QvImage, as the wizard finds it) as a floppy image file,\n"
    "\"Disk N - Name.img\", in DIR (default: the current directory).\n"
    "  /format F  floppies of F KB: 720, 1200, 1440 (the default), 1680, 2880\n"
    "  /gotek DIR for a USB floppy emulator: the disks as DSKA0000.IMG,\n"
    "             DSKA0001.IMG, ... in DIR, the root of its stick, with FF.CFG\n"
    "             (nav-mode = indexed, if none is there) and DISKS.TXT\n"
    "  /protect   makes the images read-only, write-protected on an emulator\n"
    "  /disk N    only disk N (as the wizard numbers them); may be repeated,\n"
    "             and /gotek numbers the slots in that order\n"
    "  /force     write the disks that fit even when the package has problems\n"
    "Exit code: 0 written, 1 problems found, 2 the list does not load,\n"
    "3 an image could not be written.\n";

struct Options {
    CString strList;
    CString strOutDir;
    CArray<int> disks;  // numbers as the user sees them; empty: every disk
    const FloppyFormat* pFormat = &FloppyFormat::Standard();
    bool bForce = false;
    bool bSlots = false;  // /gotek: strOutDir is the root of an emulator's stick
    bool bProtect = false;
};

// FALSE with a message when the command line is not understood.
BOOL ParseOptions(int argc, char** argv, Options* pOptions, CString* pError)
{
    bool bList = false, bOut = false;
    for (int i = 1; i < argc; ++i) {
        LPCSTR arg = argv[i];
        if (lstrcmpiA(arg, "/force") == 0) {
            pOptions->bForce = true;
        } else if (lstrcmpiA(arg, "/protect") == 0) {
            pOptions->bProtect = true;
        } else if (lstrcmpiA(arg, "/out") == 0 || lstrcmpiA(arg, "/gotek") == 0 || lstrcmpiA(arg, "/disk") == 0 ||
                   lstrcmpiA(arg, "/format") == 0) {
            if (i + 1 == argc) {
                pError->Format("%s needs a value.", arg);
                return FALSE;
            }
            LPCSTR value = argv[++i];
            if (lstrcmpiA(arg, "/out") == 0 || lstrcmpiA(arg, "/gotek") == 0) {
                if (bOut) {
                    pError->Format("%s: there is already an output directory.", arg);
                    return FALSE;
                }
                bOut = true;
                pOptions->strOutDir = value;
                pOptions->bSlots = lstrcmpiA(arg, "/gotek") == 0;
                continue;
            }
            if (lstrcmpiA(arg, "/format") == 0) {
                pOptions->pFormat = FloppyFormat::Find(value);
                if (pOptions->pFormat == NULL) {
                    pError->Format("/format %s: not a floppy format; one of %s.", value, FloppyFormat::Choices());
                    return FALSE;
                }
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

// What the disk leaves on its floppy. A source that cannot be read is left
// out, as the wizard leaves it out when told to ignore it: only /force
// gets this far with one.
void ListFloppyFiles(DiskInfo* pDisk, const CString& strImagesDir, FloppyFiles* pFiles)
{
    pFiles->ListDisk(pDisk, strImagesDir);
    bool bUnreadable = false;
    for (int i = 0; i < pFiles->GetSize() && !bUnreadable; ++i) {
        DWORD dwAttributes = ::GetFileAttributesA((*pFiles)[i].strSource);
        bUnreadable = dwAttributes == INVALID_FILE_ATTRIBUTES || (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (!bUnreadable)
        return;
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

// The emulator's firmware finds images by number, from slot 0 on.
CString SlotName(int nSlot)
{
    CString strName;
    strName.Format("DSKA%04d.IMG", nSlot);
    return strName;
}

// An error code, or NO_ERROR when lpszPath holds exactly strText.
DWORD WriteTextFile(LPCSTR lpszPath, const CString& strText, DWORD dwCreation)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwWritten = 0;
    BOOL bWritten = ::WriteFile(hFile, static_cast<LPCSTR>(strText), strText.GetLength(), &dwWritten, NULL) &&
                    dwWritten == static_cast<DWORD>(strText.GetLength());
    DWORD dwError = bWritten ? NO_ERROR : ::GetLastError();
    if (!::CloseHandle(hFile) && bWritten)
        dwError = ::GetLastError();
    return bWritten || dwError != NO_ERROR ? dwError : ERROR_DISK_FULL;
}

// Whether a configuration file sets nav-mode = indexed, its last word on
// it counting; spaces and case do not matter, a # starts a comment.
bool SetsIndexedNavigation(LPCSTR lpszPath)
{
    HANDLE hFile = ::CreateFileA(lpszPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CString strText;
    const DWORD kMostBytes = 1 << 20;
    DWORD dwSize = ::GetFileSize(hFile, NULL), dwRead = 0;
    if (dwSize > kMostBytes)
        dwSize = kMostBytes;
    BOOL bRead = ::ReadFile(hFile, strText.GetBuffer(dwSize), dwSize, &dwRead, NULL);
    strText.ReleaseBuffer(bRead ? dwRead : 0);
    ::CloseHandle(hFile);
    bool bIndexed = false;
    CString strLine;
    for (int i = 0; i <= strText.GetLength(); ++i) {
        char ch = i < strText.GetLength() ? strText[i] : '\n';
        if (ch != '\n' && ch != '\r') {
            if (ch != ' ' && ch != '\t')
                strLine += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
            continue;
        }
        int nComment = strLine.Find('#');
        if (nComment >= 0)
            strLine = strLine.Left(nComment);
        if (strLine.Left(9) == "nav-mode=")
            bIndexed = strLine == "nav-mode=indexed";
        strLine.Empty();
    }
    return bIndexed;
}

// FF.CFG, DISKS.TXT and a word on the slots of an earlier set, once the
// first slots hold the disks of these labels.
int FinishSlots(const CString& strDir, const CStringArray& labels)
{
    CString strConfig = strDir + "FF.CFG";
    if (::GetFileAttributesA(strConfig) == INVALID_FILE_ATTRIBUTES) {
        DWORD dwError = WriteTextFile(strConfig, "nav-mode = indexed\r\n", CREATE_NEW);
        if (dwError != NO_ERROR) {
            printf("FF.CFG is not written: %s.\n", static_cast<LPCSTR>(SystemErrorText(dwError)));
            return kNotWritten;
        }
        printf("FF.CFG: nav-mode = indexed\n");
    } else if (SetsIndexedNavigation(strConfig)) {
        printf("FF.CFG is already there, with nav-mode = indexed.\n");
    } else {
        // The user's configuration: never changed, only named.
        printf("FF.CFG is already there and is left as it is: the emulator finds the disks by their "
               "numbers only with the line nav-mode = indexed in it.\n");
    }

    CString strMap = "Slot  Image         Disk\r\n";
    for (int i = 0; i < labels.GetSize(); ++i) {
        CString strLine;
        strLine.Format("%-4d  %s  %s\r\n", i, static_cast<LPCSTR>(SlotName(i)), static_cast<LPCSTR>(labels[i]));
        strMap += strLine;
    }
    DWORD dwError = WriteTextFile(strDir + "DISKS.TXT", strMap, CREATE_ALWAYS);
    if (dwError != NO_ERROR) {
        printf("DISKS.TXT is not written: %s.\n", static_cast<LPCSTR>(SystemErrorText(dwError)));
        return kNotWritten;
    }
    printf("DISKS.TXT: which disk is in which slot\n");

    // Images this set did not replace may be another set's, or the user's.
    CStringArray stale;
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strDir + "DSKA*.IMG", &found);
    for (BOOL bFound = hFind != INVALID_HANDLE_VALUE; bFound; bFound = ::FindNextFileA(hFind, &found)) {
        bool bOurs = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        for (int i = 0; i < labels.GetSize() && !bOurs; ++i)
            bOurs = lstrcmpiA(found.cFileName, SlotName(i)) == 0;
        if (bOurs)
            continue;
        int nAt = stale.GetSize();
        stale.Add(found.cFileName);
        for (; nAt > 0 && lstrcmpiA(stale[nAt - 1], found.cFileName) > 0; --nAt)
            stale[nAt] = stale[nAt - 1];
        stale[nAt] = found.cFileName;
    }
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
    for (int i = 0; i < stale.GetSize(); ++i)
        printf("%s is not of this set and is left as it is; delete it if the emulator is not to show it.\n",
               static_cast<LPCSTR>(stale[i]));
    return kWritten;
}

int WriteImages(const Options& options)
{
    PackageInfo package;
    if (!package.LoadFromFile(options.strList)) {
        printf("%s does not load: %s.\n", static_cast<LPCSTR>(options.strList),
               static_cast<LPCSTR>(package.GetLoadError()));
        return kNotLoaded;
    }

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
    // The disks asked for become the chosen ones, as on the wizard's page,
    // and are written in the order asked for, each once.
    CArray<int> order;
    for (int i = 0; i < options.disks.GetSize(); ++i) {
        bool bTwice = false;
        for (int j = 0; j < order.GetSize(); ++j)
            bTwice |= order[j] == options.disks[i];
        if (!bTwice)
            order.Add(options.disks[i]);
    }
    for (int n = 1; options.disks.IsEmpty() && n <= nDisks; ++n)
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
    const FloppyFormat& format = *options.pFormat;
    PackageCheck check(format);
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
    CStringArray imageNames;
    bool bAllFit = true;
    for (int i = 0; i < order.GetSize(); ++i) {
        const DiskReport& disk = check.m_disks[reportOf[order[i]]];
        imageNames.Add(options.bSlots ? SlotName(i) + " (" + disk.strLabel + ")" : ImageFileName(disk.strLabel));
        if (options.bSlots)
            bAllFit &= SaysWhetherItFits(disk, format, imageNames[i]);
    }
    // A slot left empty would end the emulator's list of disks there.
    if (!bAllFit) {
        printf("No image was written: on the stick every disk of the set needs its slot.\n");
        return kProblems;
    }

    CStringArray labels;  // of the slots written
    for (int i = 0; i < order.GetSize(); ++i) {
        const DiskReport& disk = check.m_disks[reportOf[order[i]]];
        LPCSTR lpszImage = imageNames[i];
        if (!options.bSlots && !SaysWhetherItFits(disk, format, lpszImage)) {
            nResult = kProblems;
            continue;
        }
        FloppyFiles files;
        ListFloppyFiles(diskOf[order[i]], strImagesDir, &files);
        ImageReport report;
        CString strPath = strOutDir + (options.bSlots ? SlotName(i) : imageNames[i]);
        if (!DiskImageWriter::Write(files, strPath, &report, format, options.bProtect)) {
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
        // The image and the check must count alike, or one of them is wrong.
        if (report.nUsedBytes != disk.nFloppyBytes || report.nRootEntries != disk.nRootEntries) {
            printf("%s does not agree with the package check: %s bytes and %d root entries used, "
                   "the check counted %s and %d.\n",
                   lpszImage, static_cast<LPCSTR>(FormatByteCount(report.nUsedBytes)), report.nRootEntries,
                   static_cast<LPCSTR>(FormatByteCount(disk.nFloppyBytes)), disk.nRootEntries);
            nResult = kNotWritten;
        }
    }
    if (options.bSlots && !labels.IsEmpty()) {
        int nFinished = FinishSlots(strOutDir, labels);
        if (nFinished != kWritten)
            nResult = nFinished;
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
