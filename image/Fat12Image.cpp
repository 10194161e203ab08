#include "Fat12Image.h"

#include <cstdlib>
#include <cstring>

#include "../framework/CException.h"
#include "../fat/FatTime.h"
#include "../fat/LongName.h"

namespace {
const int kSectorBytes = FloppyFormat::kSectorBytes;
const int kEntryBytes = FloppyFormat::kEntryBytes;
const BYTE kAttrArchive = 0x20, kAttrVolume = 0x08, kAttrDirectory = 0x10;
const int kLongNameChars = LongName::kMostChars;

// A floppy that is not a startup disk says so and waits for another one.
const BYTE kBootCode[] = {
    0xFA, 0x31, 0xC0, 0x8E, 0xD8, 0x8E, 0xD0, 0xBC, 0x00, 0x7C, 0xFB,  // cli; ds = ss = 0; sp = 7C00h; sti
    0xBE, 0x60, 0x7C,                                                  // si = message
    0xAC, 0x08, 0xC0, 0x74, 0x09,                                      // next: lodsb; or al,al; jz wait
    0xB4, 0x0E, 0xBB, 0x07, 0x00, 0xCD, 0x10, 0xEB, 0xF2,              // teletype output; jmp next
    0x31, 0xC0, 0xCD, 0x16, 0xCD, 0x19,                                // wait: read a key; reboot
};
const char kBootMessage[] = "\r\nNot a startup disk. Remove it and press any key.\r\n";

void PutWord(BYTE* p, WORD w)
{
    p[0] = static_cast<BYTE>(w);
    p[1] = static_cast<BYTE>(w >> 8);
}
WORD GetWord(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}
void PutDword(BYTE* p, DWORD d)
{
    PutWord(p, static_cast<WORD>(d));
    PutWord(p + 2, static_cast<WORD>(d >> 16));
}
DWORD GetDword(const BYTE* p)
{
    return GetWord(p) | (static_cast<DWORD>(GetWord(p + 2)) << 16);
}

}  // namespace

Fat12Image::Fat12Image(const FloppyFormat& format)
    : m_format(format), m_pImage(static_cast<BYTE*>(calloc(format.ImageBytes(), 1)))
{
    if (m_pImage == NULL)
        AfxThrowMemoryException();
    BYTE* boot = m_pImage;
    const BYTE jump[] = {0xEB, 0x3C, 0x90};
    memcpy(boot, jump, 3);
    memcpy(boot + 3, "MSWIN4.1", 8);
    PutWord(boot + 11, kSectorBytes);
    boot[13] = static_cast<BYTE>(format.nSectorsPerCluster);
    PutWord(boot + 14, 1);       // reserved sectors: the boot sector
    boot[16] = 2;                // FATs
    PutWord(boot + 17, static_cast<WORD>(format.nRootEntries));
    PutWord(boot + 19, static_cast<WORD>(format.TotalSectors()));
    boot[21] = format.nMedia;
    PutWord(boot + 22, static_cast<WORD>(format.nFatSectors));
    PutWord(boot + 24, static_cast<WORD>(format.nSectorsPerTrack));
    PutWord(boot + 26, static_cast<WORD>(format.nHeads));
    boot[38] = 0x29;             // the extended block follows
    memcpy(boot + 43, "NO NAME    FAT12   ", 19);
    memcpy(boot + 62, kBootCode, sizeof(kBootCode));
    memcpy(boot + 0x60, kBootMessage, sizeof(kBootMessage));
    boot[510] = 0x55;
    boot[511] = 0xAA;
    SetFat(0, 0xF00 | format.nMedia);
    SetFat(1, 0xFFF);
}

Fat12Image::~Fat12Image()
{
    free(m_pImage);
}

void Fat12Image::SetFat(int nCluster, int nValue)
{
    for (int nFat = 0; nFat < 2; ++nFat) {
        BYTE* p = m_pImage + m_format.FatOffset(nFat) + nCluster * 3 / 2;
        if (nCluster & 1) {
            p[0] = static_cast<BYTE>((p[0] & 0x0F) | ((nValue << 4) & 0xF0));
            p[1] = static_cast<BYTE>(nValue >> 4);
        } else {
            p[0] = static_cast<BYTE>(nValue);
            p[1] = static_cast<BYTE>((p[1] & 0xF0) | ((nValue >> 8) & 0x0F));
        }
    }
}

BOOL Fat12Image::AddFile(const FloppyFile& file, ULONGLONG nSize, const FILETIME& created,
                         const FILETIME& written, BYTE** ppData)
{
    // Names, aliases and the entries they take come from the rule the
    // package check counts with, so the two never disagree.
    int nEntries = file.RootEntries();
    WCHAR longName[kLongNameChars + 1];
    int nLongChars = ::MultiByteToWideChar(CP_ACP, 0, file.strName, -1, longName, kLongNameChars + 1) - 1;
    ULONGLONG nClusters = m_format.Rounded(nSize) / m_format.ClusterBytes();
    if (nLongChars < 1 || m_nRootUsed + nEntries > m_format.nRootEntries ||
        nClusters > static_cast<ULONGLONG>(GetFreeClusters()))
        return FALSE;

    BYTE shortName[11];
    memcpy(shortName, file.shortName, 11);
    if (shortName[0] == 0xE5)
        shortName[0] = 0x05;  // E5h marks a deleted entry

    BYTE* entry = m_pImage + m_format.RootOffset() + m_nRootUsed * kEntryBytes;
    BYTE nChecksum = LongName::Checksum(shortName);
    // The long name's pieces come last to first.
    for (int nPiece = nEntries - 1; nPiece >= 1; --nPiece, entry += kEntryBytes)
        LongName::PutPiece(entry, nPiece, nEntries - 1, nChecksum, longName, nLongChars);

    memcpy(entry, shortName, 11);
    entry[11] = kAttrArchive;
    WORD wDate, wTime;
    BYTE nHundredths;
    FatTime::ToDosDateTime(created, FALSE, &wDate, &wTime, &nHundredths);
    entry[13] = nHundredths;
    PutWord(entry + 14, wTime);
    PutWord(entry + 16, wDate);
    FatTime::ToDosDateTime(written, TRUE, &wDate, &wTime, NULL);
    PutWord(entry + 18, wDate);  // last access: the day of the last write
    PutWord(entry + 22, wTime);
    PutWord(entry + 24, wDate);
    PutWord(entry + 26, static_cast<WORD>(nClusters == 0 ? 0 : m_nNextCluster));
    PutDword(entry + 28, static_cast<DWORD>(nSize));

    for (ULONGLONG i = 0; i < nClusters; ++i) {
        int nCluster = m_nNextCluster + static_cast<int>(i);
        SetFat(nCluster, i + 1 == nClusters ? 0xFFF : nCluster + 1);
    }
    *ppData = m_pImage + m_format.FirstDataSector() * kSectorBytes + (m_nNextCluster - 2) * m_format.ClusterBytes();
    m_nNextCluster += static_cast<int>(nClusters);
    m_nRootUsed += nEntries;
    return TRUE;
}

const BYTE* Fat12Image::GetBytes()
{
    // The serial number tells a system that the floppy was changed; taken
    // from what the disk holds, so every disk of a set has its own and the
    // same set always gives the same images.
    DWORD dwSerial = 2166136261u;
    for (int i = kSectorBytes; i < m_format.FirstDataSector() * kSectorBytes; ++i)
        dwSerial = (dwSerial ^ m_pImage[i]) * 16777619u;
    PutDword(m_pImage + 39, dwSerial);
    return m_pImage;
}

Fat12ImageFile::~Fat12ImageFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
}

BOOL Fat12ImageFile::Open(DWORD* pdwError)
{
    m_hFile = ::CreateFileA(m_strPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD dwRead = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, m_head, kSectorBytes, &dwRead, NULL)) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    // The format whose boot sector this is, and whose size the file has.
    DWORD dwHigh = 0, dwSize = ::GetFileSize(m_hFile, &dwHigh);
    m_pFormat = NULL;
    for (const FloppyFormat& format : FloppyFormats::kAll) {
        if (dwRead == static_cast<DWORD>(kSectorBytes) && dwSize == format.ImageBytes() && dwHigh == 0 &&
            m_head[510] == 0x55 && m_head[511] == 0xAA && GetWord(m_head + 11) == kSectorBytes &&
            m_head[13] == format.nSectorsPerCluster && GetWord(m_head + 14) == 1 && m_head[16] == 2 &&
            GetWord(m_head + 17) == format.nRootEntries && GetWord(m_head + 19) == format.TotalSectors() &&
            m_head[21] == format.nMedia && GetWord(m_head + 22) == format.nFatSectors)
            m_pFormat = &format;
    }
    if (m_pFormat == NULL) {
        m_pFormat = &FloppyFormat::Standard();
        *pdwError = ERROR_FILE_CORRUPT;
        return FALSE;
    }
    DWORD dwHeadBytes = m_pFormat->FirstDataSector() * kSectorBytes - kSectorBytes;
    if (!::ReadFile(m_hFile, m_head + kSectorBytes, dwHeadBytes, &dwRead, NULL)) {
        *pdwError = ::GetLastError();
        return FALSE;
    }

    m_files.RemoveAll();
    m_nRootUsed = 0;
    Fat12RootFile file;
    int nPieces = 0;
    BYTE nChecksum = 0;
    for (int i = 0; i < m_pFormat->nRootEntries; ++i) {
        const BYTE* entry = m_head + m_pFormat->RootOffset() + i * kEntryBytes;
        if (entry[0] == 0)
            break;
        if (entry[0] == 0xE5)
            continue;
        ++m_nRootUsed;
        if (entry[11] == LongName::kAttribute) {
            if (entry[0] & LongName::kLastPiece) {
                nPieces = entry[0] & 0x1F;
                nChecksum = entry[13];
                file.nNameLength = 0;
            }
            if (nPieces != 0)
                LongName::GetPiece(entry, file.name, &file.nNameLength);
            continue;
        }
        if (entry[11] & (kAttrVolume | kAttrDirectory)) {
            nPieces = 0;
            continue;
        }
        // A long name counts only when its checksum is this alias's.
        if (nPieces == 0 || nChecksum != LongName::Checksum(entry)) {
            // The short name is in the OEM code page.
            char oem[12];
            int nOem = 0;
            for (int j = 0; j < 11; ++j) {
                if (j == 8 && entry[8] != ' ')
                    oem[nOem++] = '.';
                if (entry[j] != ' ')
                    oem[nOem++] = static_cast<char>(j == 0 && entry[0] == 0x05 ? 0xE5 : entry[j]);
            }
            file.nNameLength = ::MultiByteToWideChar(CP_OEMCP, 0, oem, nOem, file.name, kLongNameChars);
        }
        nPieces = 0;
        file.nSize = GetDword(entry + 28);
        file.nFirstCluster = GetWord(entry + 26);
        file.wTime = GetWord(entry + 22);
        file.wDate = GetWord(entry + 24);
        m_files.Add(file);
    }
    return TRUE;
}

int Fat12ImageFile::NextCluster(int nCluster) const
{
    const BYTE* p = m_head + kSectorBytes + nCluster * 3 / 2;
    int nPair = p[0] | (p[1] << 8);
    return nCluster & 1 ? nPair >> 4 : nPair & 0xFFF;
}

int Fat12ImageFile::GetFreeClusters() const
{
    int nFree = 0;
    for (int nCluster = 2; nCluster < m_pFormat->Clusters() + 2; ++nCluster) {
        if (NextCluster(nCluster) == 0)
            ++nFree;
    }
    return nFree;
}

const Fat12RootFile* Fat12ImageFile::Find(LPCSTR lpszName) const
{
    WCHAR wide[kLongNameChars + 1];
    int nChars = ::MultiByteToWideChar(CP_ACP, 0, lpszName, -1, wide, kLongNameChars + 1) - 1;
    for (int i = 0; i < m_files.GetSize(); ++i) {
        const Fat12RootFile& file = m_files[i];
        if (file.nNameLength == nChars && memcmp(file.name, wide, nChars * sizeof(WCHAR)) == 0)
            return &file;
    }
    return NULL;
}

BOOL Fat12ImageFile::ReadClusters(int nFirst, int nCount, BYTE* pBuffer, DWORD* pdwError)
{
    DWORD dwRead = 0;
    DWORD dwBytes = static_cast<DWORD>(nCount) * m_pFormat->ClusterBytes();
    LONG nOffset = m_pFormat->FirstDataSector() * kSectorBytes + (nFirst - 2) * m_pFormat->ClusterBytes();
    if (::SetFilePointer(m_hFile, nOffset, NULL, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER ||
        !::ReadFile(m_hFile, pBuffer, dwBytes, &dwRead, NULL)) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    if (dwRead != dwBytes) {
        *pdwError = ERROR_HANDLE_EOF;
        return FALSE;
    }
    return TRUE;
}

BOOL Fat12FileReader::Open(DWORD* pdwError)
{
    m_pFile = m_image.Find(m_strName);
    if (m_pFile == NULL) {
        *pdwError = ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    m_nCluster = m_pFile->nFirstCluster;
    m_nLeft = m_pFile->nSize;
    return TRUE;
}

BOOL Fat12FileReader::GetLastWriteTime(FILETIME* pTime)
{
    return FatTime::FromDosDateTime(m_pFile->wDate, m_pFile->wTime, pTime);
}

BOOL Fat12FileReader::ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD* pdwError)
{
    const int nClusterBytes = m_image.GetFormat().ClusterBytes();
    const int nBlockClusters = FileComparer::kBlockSize / nClusterBytes;
    int nClusters = 0;
    UINT nBytes = 0;
    // Clusters that follow each other in the image are read in one go.
    while (m_nLeft > 0 && nClusters < nBlockClusters) {
        if (m_nCluster < 2 || m_nCluster >= m_image.GetFormat().Clusters() + 2) {
            *pdwError = ERROR_FILE_CORRUPT;  // the chain ends before the file does
            return FALSE;
        }
        int nRun = 1;
        int nNext = m_image.NextCluster(m_nCluster);
        UINT nRunBytes = m_nLeft < static_cast<DWORD>(nClusterBytes) ? m_nLeft : nClusterBytes;
        while (nClusters + nRun < nBlockClusters && nNext == m_nCluster + nRun && m_nLeft > nRunBytes) {
            nNext = m_image.NextCluster(m_nCluster + nRun);
            ++nRun;
            nRunBytes = m_nLeft < static_cast<DWORD>(nRun * nClusterBytes) ? m_nLeft : nRun * nClusterBytes;
        }
        if (!m_image.ReadClusters(m_nCluster, nRun, pBuffer + nBytes, pdwError))
            return FALSE;
        nClusters += nRun;
        nBytes += nRunBytes;
        m_nLeft -= nRunBytes;
        m_nCluster = nNext;
    }
    *pnRead = nBytes;
    return TRUE;
}
