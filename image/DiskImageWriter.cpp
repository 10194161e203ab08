#include "DiskImageWriter.h"

#include "../framework/FileReplace.h"
#include "../verify/FileComparer.h"
#include "../verify/FileHandle.h"
#include "Fat12Image.h"

namespace {
CString Sentence(LPCSTR lpszFormat, LPCSTR lpszName, DWORD dwError)
{
    CString strText;
    strText.Format(lpszFormat, lpszName, static_cast<LPCSTR>(SystemErrorText(dwError)));
    return strText;
}

// Reads every source into its place in the image.
BOOL FillImage(const FloppyFiles& files, Fat12Image& image, ImageReport* pReport)
{
    for (int i = 0; i < files.GetSize(); ++i) {
        const FloppyFile& file = files[i];
        FileHandle source(::CreateFileA(file.strSource, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, NULL));
        DWORD dwHigh = 0, dwSize = 0;
        FILETIME created, accessed, written;
        if (source.m_h == INVALID_HANDLE_VALUE ||
            ((dwSize = ::GetFileSize(source.m_h, &dwHigh)) == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) ||
            !::GetFileTime(source.m_h, &created, &accessed, &written)) {
            pReport->strProblem = Sentence("%s cannot be read (%s)", file.strSource, ::GetLastError());
            return FALSE;
        }
        BYTE* pData = NULL;
        ULONGLONG nSize = (static_cast<ULONGLONG>(dwHigh) << 32) | dwSize;
        if (!image.AddFile(file, nSize, created, written, &pData)) {
            pReport->strProblem.Format("%s does not fit on the floppy, or its name is longer than FAT keeps",
                                       static_cast<LPCSTR>(file.strName));
            return FALSE;
        }
        DWORD dwRead = 0;
        if (!::ReadFile(source.m_h, pData, dwSize, &dwRead, NULL) || dwRead != dwSize) {
            pReport->strProblem = Sentence("%s cannot be read (%s)", file.strSource,
                                           dwRead != dwSize ? ERROR_HANDLE_EOF : ::GetLastError());
            return FALSE;
        }
        pReport->names.Add(file.strName);
        pReport->sizes.Add(nSize);
    }
    return TRUE;
}

BOOL WriteImageFile(Fat12Image& image, LPCSTR lpszPath, ImageReport* pReport)
{
    // A file already under the name is somebody's, not a leftover to reuse.
    FileHandle file(::CreateFileA(lpszPath, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
    if (file.m_h == INVALID_HANDLE_VALUE) {
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_EXISTS || dwError == ERROR_ALREADY_EXISTS)
            pReport->strProblem.Format("%s is in the way: it is not ours to replace", lpszPath);
        else
            pReport->strProblem = Sentence("%s cannot be created (%s)", lpszPath, dwError);
        return FALSE;
    }
    DWORD dwWritten = 0;
    DWORD dwBytes = image.GetFormat().ImageBytes();
    if (!::WriteFile(file.m_h, image.GetBytes(), dwBytes, &dwWritten, NULL) || dwWritten != dwBytes || !::FlushFileBuffers(file.m_h) || !file.Close()) {
        DWORD dwError = ::GetLastError();
        file.Close();
        ::DeleteFileA(lpszPath);
        pReport->strProblem = Sentence("%s cannot be written (%s)", lpszPath,
                                       dwError == NO_ERROR ? ERROR_DISK_FULL : dwError);
        return FALSE;
    }
    return TRUE;
}

// The image as written: the same files, bytes and times as their sources.
BOOL ReadBack(const FloppyFiles& files, LPCSTR lpszPath, ImageReport* pReport)
{
    Fat12ImageFile image(lpszPath);
    DWORD dwError = 0;
    if (!image.Open(&dwError)) {
        pReport->strProblem = Sentence("%s cannot be read back (%s)", lpszPath, dwError);
        return FALSE;
    }
    if (image.GetFiles().GetSize() != files.GetSize()) {
        pReport->strProblem.Format("%s holds %d files, not %d", lpszPath, image.GetFiles().GetSize(),
                                   files.GetSize());
        return FALSE;
    }
    for (int i = 0; i < files.GetSize(); ++i) {
        Fat12FileReader copy(image, files[i].strName);
        CompareOutcome outcome = FileComparer::Compare(files[i].strSource, copy);
        LPCSTR lpszName = files[i].strName;
        switch (outcome.result) {
        case kCompareSame:
            continue;
        case kCompareMissing:
            pReport->strProblem.Format("%s is missing from the image read back", lpszName);
            break;
        case kCompareWrongLength:
            pReport->strProblem.Format("%s has another length in the image than its source", lpszName);
            break;
        case kCompareDiffers:
            pReport->strProblem.Format("%s differs from its source at byte %lu", lpszName,
                                       static_cast<unsigned long>(outcome.nOffset));
            break;
        case kCompareWrongTime:
            pReport->strProblem.Format("%s has another time in the image than its source", lpszName);
            break;
        case kCompareSourceUnreadable:
            pReport->strProblem = Sentence("%s cannot be read (%s)", files[i].strSource, outcome.dwError);
            break;
        default:
            pReport->strProblem = Sentence("%s cannot be read back from the image (%s)", lpszName, outcome.dwError);
            break;
        }
        return FALSE;
    }
    const FloppyFormat& format = image.GetFormat();
    pReport->nFreeBytes = static_cast<ULONGLONG>(image.GetFreeClusters()) * format.ClusterBytes();
    pReport->nUsedBytes = format.Capacity() - pReport->nFreeBytes;
    pReport->nRootEntries = image.GetRootEntriesUsed();
    return TRUE;
}

// A read-only file would refuse DeleteFile and stay behind.
void DeleteAnyway(LPCSTR lpszPath)
{
    ::SetFileAttributesA(lpszPath, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(lpszPath);
}

}  // namespace

BOOL DiskImageWriter::Write(const FloppyFiles& files, LPCSTR lpszImagePath, ImageReport* pReport,
                            const FloppyFormat& format, BOOL bReadOnly)
{
    Fat12Image image(format);
    if (!FillImage(files, image, pReport))
        return FALSE;
    CString strTemporary = TemporaryPath(lpszImagePath);
    if (!WriteImageFile(image, strTemporary, pReport))
        return FALSE;
    // Removed on every way out but success, memory running out included.
    struct TemporaryFile {
        LPCSTR lpszPath;
        ~TemporaryFile()
        {
            if (lpszPath != NULL)
                DeleteAnyway(lpszPath);
        }
    } temporary = {strTemporary};
    // Protected before it takes its name, so that no unprotected image shows.
    if (!ReadBack(files, strTemporary, pReport))
        return FALSE;
    if (bReadOnly && !::SetFileAttributesA(strTemporary, FILE_ATTRIBUTE_READONLY)) {
        pReport->strProblem = Sentence("%s cannot be made read-only (%s)", strTemporary, ::GetLastError());
        return FALSE;
    }
    if (!PutInPlace(strTemporary, lpszImagePath, &pReport->strProblem))
        return FALSE;
    temporary.lpszPath = NULL;
    return TRUE;
}
