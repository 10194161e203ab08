#include "FloppyFiles.h"

#include <cstring>
#include <utility>

#include "LongName.h"

namespace {
// The system's upper case of one character (CharUpper's single-character
// form), as FAT upper-cases names; a linguistic comparison would take
// "straße" and "STRASSE" for one name, which FAT does not.
BYTE UpperChar(BYTE ch)
{
    return static_cast<BYTE>(reinterpret_cast<UINT_PTR>(
        ::CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(ch)))));
}

// Upper-case letters, digits, every OEM character above 127 and these.
bool IsShortNameChar(BYTE ch)
{
    return ch >= 0x80 || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           (ch != '\0' && strchr("!#$%&'()-@^_`{}~", ch) != NULL);
}

// One character of a long name on its way into an alias.
struct AliasChar {
    BYTE oem[2];
    int nBytes;
    bool bSpace, bDot, bLossy, bLower;
};

// The ANSI character at p (one or two bytes, *pnUsed of them), upper-cased
// and in the OEM code page; '_' when that page lacks it (a best-fit
// stand-in such as O for Õ counts as lacking: it would be another name) or
// a short name cannot hold it.
AliasChar ToAliasChar(const BYTE* p, int* pnUsed)
{
    AliasChar ch = {{0, 0}, 1, p[0] == ' ', p[0] == '.', false, false};
    *pnUsed = ::IsDBCSLeadByte(p[0]) && p[1] != 0 ? 2 : 1;
    if (ch.bSpace || ch.bDot) {
        ch.oem[0] = p[0];
        return ch;
    }
    char ansi[2] = {static_cast<char>(p[0]), static_cast<char>(p[1])};
    if (*pnUsed == 1) {
        ansi[0] = static_cast<char>(UpperChar(p[0]));
        ch.bLower = static_cast<BYTE>(ansi[0]) != p[0];
    }
    WCHAR wch = 0, back = 0;
    char oem[2];
    BOOL bDefault = FALSE;
    int nBytes = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, ansi, *pnUsed, &wch, 1) == 1)
        nBytes = ::WideCharToMultiByte(CP_OEMCP, 0, &wch, 1, oem, 2, NULL, &bDefault);
    if (nBytes < 1 || bDefault || ::MultiByteToWideChar(CP_OEMCP, 0, oem, nBytes, &back, 1) != 1 ||
        back != wch || (nBytes == 1 && !IsShortNameChar(static_cast<BYTE>(oem[0])))) {
        ch.oem[0] = '_';
        ch.bLossy = true;
        return ch;
    }
    memcpy(ch.oem, oem, nBytes);
    ch.nBytes = nBytes;
    return ch;
}

// NAME.EXT in the ANSI code page, from the 11 bytes of a directory entry.
CString AliasText(const BYTE shortName[11])
{
    char oem[13];
    int n = 0;
    for (int i = 0; i < 8 && shortName[i] != ' '; ++i)
        oem[n++] = static_cast<char>(shortName[i]);
    if (shortName[8] != ' ')
        oem[n++] = '.';
    for (int i = 8; i < 11 && shortName[i] != ' '; ++i)
        oem[n++] = static_cast<char>(shortName[i]);
    WCHAR wide[13];
    int nWide = ::MultiByteToWideChar(CP_OEMCP, 0, oem, n, wide, 13);
    CString strText;
    int nAnsi = ::WideCharToMultiByte(CP_ACP, 0, wide, nWide, strText.GetBuffer(26), 26, NULL, NULL);
    strText.ReleaseBuffer(nAnsi > 0 ? nAnsi : 0);
    return strText;
}

// CLOCK$ too: DOS and Windows 95 open the clock device for it.
const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
}  // namespace

CString FloppyFileName(const CString& strEntry)
{
    // The system takes either slash between directories, so both end one.
    int nBackslash = strEntry.ReverseFind('\\');
    int nSlash = strEntry.ReverseFind('/');
    int nLast = nBackslash > nSlash ? nBackslash : nSlash;
    return nLast >= 0 ? strEntry.Mid(nLast + 1) : strEntry;
}

int FloppyFile::RootEntries() const
{
    if (!bLongName)
        return 1;
    // A long name is kept in UTF-16.
    int nChars = ::MultiByteToWideChar(CP_ACP, 0, strName, -1, NULL, 0) - 1;
    if (nChars < 1)
        nChars = strName.GetLength();
    return 1 + LongName::Pieces(nChars);
}

CString FloppyFiles::LandingName(const CString& strEntry)
{
    CString strName = FloppyFileName(strEntry);
    int nLength = strName.GetLength();
    while (nLength > 0 && (strName[nLength - 1] == '.' || strName[nLength - 1] == ' '))
        --nLength;
    return strName.Left(nLength);
}

FloppyFiles::Landing FloppyFiles::CanLand(const CString& strName)
{
    if (strName.IsEmpty())
        return kNoName;
    // The system takes the name before the first dot, whatever follows.
    int nDot = strName.Find('.');
    CString strBase = nDot < 0 ? strName : strName.Left(nDot);
    int nBase = strBase.GetLength();
    while (nBase > 0 && strBase[nBase - 1] == ' ')
        --nBase;
    strBase = strBase.Left(nBase);
    for (const char* device : kDevices) {
        if (SameName(strBase, device))
            return kDeviceName;
    }
    if (nBase == 4 && strBase[3] >= '1' && strBase[3] <= '9' &&
        (SameName(strBase.Left(3), "COM") || SameName(strBase.Left(3), "LPT")))
        return kDeviceName;
    return kLands;
}

BOOL FloppyFiles::SameName(LPCSTR lpszName1, LPCSTR lpszName2)
{
    const BYTE* p1 = reinterpret_cast<const BYTE*>(lpszName1);
    const BYTE* p2 = reinterpret_cast<const BYTE*>(lpszName2);
    for (;; ++p1, ++p2) {
        if (*p1 == 0 || *p2 == 0)
            return *p1 == *p2;
        if (::IsDBCSLeadByte(*p1)) {
            // A double-byte character has no case: both bytes are the same or not.
            if (p1[0] != p2[0] || p1[1] != p2[1])
                return FALSE;
            if (p1[1] == 0)
                return TRUE;
            ++p1, ++p2;
        } else if (UpperChar(*p1) != UpperChar(*p2)) {
            return FALSE;
        }
    }
}

CString FloppyFiles::NameKey(LPCSTR lpszName)
{
    CString strKey;
    LPSTR lpszKey = strKey.GetBuffer(static_cast<int>(strlen(lpszName)));
    int nLength = 0;
    for (const BYTE* p = reinterpret_cast<const BYTE*>(lpszName); *p != 0; ++p) {
        if (::IsDBCSLeadByte(*p) && p[1] != 0) {
            lpszKey[nLength++] = static_cast<char>(*p++);
            lpszKey[nLength++] = static_cast<char>(*p);
        } else {
            lpszKey[nLength++] = static_cast<char>(UpperChar(*p));
        }
    }
    strKey.ReleaseBuffer(nLength);
    return strKey;
}

int FloppyFiles::Find(const CString& strName) const
{
    for (int i = 0; i < m_files.GetSize(); ++i) {
        if (SameName(m_files[i].strName, strName) || SameName(m_files[i].strShortName, strName))
            return i;
    }
    return -1;
}

BOOL FloppyFiles::WhereItLands(const CString& strEntry, int* pnSlot, CString* pstrName) const
{
    *pstrName = LandingName(strEntry);
    *pnSlot = -1;
    if (CanLand(*pstrName) != kLands)
        return FALSE;
    *pnSlot = Find(*pstrName);
    if (*pnSlot >= 0)
        *pstrName = m_files[*pnSlot].strName;
    return TRUE;
}

int FloppyFiles::Put(const CString& strEntry, const CString& strSource)
{
    int nSlot;
    CString strName;
    if (!WhereItLands(strEntry, &nSlot, &strName))
        return -1;
    if (nSlot >= 0) {
        // Opened by either of its names, the earlier file is overwritten
        // and keeps its slot and its names.
        m_files[nSlot].strEntry = strEntry;
        m_files[nSlot].strSource = strSource;
        return nSlot;
    }
    FloppyFile file;
    file.strName = strName;
    file.strEntry = strEntry;
    file.strSource = strSource;
    MakeShortName(strName, &file);
    m_files.Add(std::move(file));
    return m_files.GetSize() - 1;
}

void FloppyFiles::Drop(int nSlot)
{
    CArray<FloppyFile> kept;
    for (int i = 0; i < m_files.GetSize(); ++i) {
        if (i != nSlot)
            kept.Add(std::move(m_files[i]));
    }
    m_files = std::move(kept);
}

BOOL FloppyFiles::ListDisk(const CStringArray& entries, LPCSTR lpszImagesDir, BOOL bOnlyFiles,
                           CStringArray* pLeftOut)
{
    RemoveAll();
    BOOL bEvery = TRUE;
    for (int i = 0; i < entries.GetSize(); ++i) {
        CString strSource = CString(lpszImagesDir) + "\\" + entries[i];
        DWORD dwAttributes = bOnlyFiles ? ::GetFileAttributesA(strSource) : 0;
        bool bFile = dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
        if (!bFile || Put(entries[i], strSource) < 0) {
            bEvery = FALSE;
            if (pLeftOut != NULL)
                pLeftOut->Add(entries[i]);
        }
    }
    return bEvery;
}

// Only the aliases are looked at: a long name another alias could equal
// (such as LONGFI~1.TXT, in any case) is its own file's alias as well.
BOOL FloppyFiles::IsTaken(const BYTE shortName[11]) const
{
    for (int i = 0; i < m_files.GetSize(); ++i) {
        if (memcmp(m_files[i].shortName, shortName, 11) == 0)
            return TRUE;
    }
    return FALSE;
}

// Windows 95's alias: upper case in the OEM code page, a character it
// lacks or a short name cannot hold as '_'; spaces, leading dots and every
// dot but the last dropped; up to eight characters before that dot and
// three after it. A numeric tail (~1, ~2, ...) past every alias already in
// the root whenever the name is not an 8.3 name already or lost a character.
void FloppyFiles::MakeShortName(const CString& strName, FloppyFile* pFile) const
{
    CArray<AliasChar> chars;
    const BYTE* p = reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(strName));
    bool bLossy = false, bLower = false;
    int nDots = 0, nLastDot = -1;
    for (int nUsed = 0; *p != 0; p += nUsed) {
        AliasChar ch = ToAliasChar(p, &nUsed);
        bLossy |= ch.bLossy;
        bLower |= ch.bLower;
        if (ch.bDot) {
            ++nDots;
            nLastDot = chars.GetSize();
        }
        chars.Add(ch);
    }
    int nStart = 0;
    while (nStart < chars.GetSize() && (chars[nStart].bSpace || chars[nStart].bDot))
        ++nStart;
    bool bFits = nStart == 0 && nDots <= 1;
    if (nLastDot < nStart)
        nLastDot = -1;

    // Each kept character's start, so that a tail never splits one.
    BYTE base[8], extension[3];
    int baseStarts[9], nBase = 0, nBaseChars = 0, nExtension = 0;
    int nBaseEnd = nLastDot >= 0 ? nLastDot : chars.GetSize();
    for (int i = nStart; i < nBaseEnd; ++i) {
        const AliasChar& ch = chars[i];
        if (ch.bSpace || ch.bDot) {
            bFits = false;
            continue;
        }
        if (nBase + ch.nBytes > 8) {
            bFits = false;
            break;
        }
        baseStarts[nBaseChars++] = nBase;
        memcpy(base + nBase, ch.oem, ch.nBytes);
        nBase += ch.nBytes;
    }
    for (int i = nLastDot + 1; nLastDot >= 0 && i < chars.GetSize(); ++i) {
        const AliasChar& ch = chars[i];
        if (ch.bSpace) {
            bFits = false;
            continue;
        }
        if (nExtension + ch.nBytes > 3) {
            bFits = false;
            break;
        }
        memcpy(extension + nExtension, ch.oem, ch.nBytes);
        nExtension += ch.nBytes;
    }
    if (nBase == 0) {
        base[0] = '_';
        baseStarts[0] = 0;
        nBase = nBaseChars = 1;
        bLossy = true;
    }

    BYTE* shortName = pFile->shortName;
    memset(shortName, ' ', 11);
    memcpy(shortName + 8, extension, nExtension);
    memcpy(shortName, base, nBase);
    pFile->bLongName = !bFits || bLossy || bLower;
    if (!bFits || bLossy || IsTaken(shortName)) {
        // The bytes of the first n characters of the basis name.
        auto bytesOf = [&](int n) { return n < nBaseChars ? baseStarts[n] : nBase; };
        for (int nTail = 1;; ++nTail) {
            char tail[12];
            int nTailLength = 0;
            for (int n = nTail; n > 0; n /= 10)
                tail[11 - nTailLength++] = static_cast<char>('0' + n % 10);
            tail[11 - nTailLength++] = '~';
            int nKept = nBaseChars;
            while (nKept > 0 && bytesOf(nKept) + nTailLength > 8)
                --nKept;
            memset(shortName, ' ', 8);
            memcpy(shortName, base, bytesOf(nKept));
            memcpy(shortName + bytesOf(nKept), tail + 12 - nTailLength, nTailLength);
            if (!IsTaken(shortName))
                break;
        }
    }
    pFile->strShortName = AliasText(shortName);
}
