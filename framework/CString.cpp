#include "CString.h"

#include <climits>
#include <cstddef>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "CException.h"
#include "AfxGlobals.h"
#include "../runtime/FormatText.h"

// The characters follow the header in the same allocation.
struct CStringData {
    long nRefs;  // -1 marks the shared empty text, which is never freed
    int nDataLength;
    int nAllocLength;
    char* Chars() { return reinterpret_cast<char*>(this + 1); }
};

namespace {
struct EmptyText {
    CStringData header = {-1, 0, 0};
    char zero = '\0';
} g_empty;
static_assert(sizeof(CStringData) % alignof(CStringData) == 0 &&
                  offsetof(EmptyText, zero) == sizeof(CStringData),
              "the empty text's zero must sit where Chars() points");
}  // namespace

CStringData* CString::Data() const
{
    return reinterpret_cast<CStringData*>(m_pchData) - 1;
}

int CString::GetLength() const
{
    return Data()->nDataLength;
}

long CString::GetRefCount() const
{
    return Data()->nRefs;
}

CStringData* CString::Allocate(int nLength)
{
    if (nLength <= 0)
        return &g_empty.header;
    if (nLength > INT_MAX - static_cast<int>(sizeof(CStringData)) - 1)
        AfxThrowMemoryException();
    CStringData* p = static_cast<CStringData*>(malloc(sizeof(CStringData) + nLength + 1));
    if (p == NULL)
        AfxThrowMemoryException();
    p->nRefs = 1;
    p->nDataLength = nLength;
    p->nAllocLength = nLength;
    p->Chars()[nLength] = '\0';
    return p;
}

void CString::Release(CStringData* pData)
{
    if (pData != &g_empty.header && InterlockedDecrement(&pData->nRefs) <= 0)
        free(pData);
}

CString::CString() : m_pchData(&g_empty.zero) {}

CString::CString(const CString& other) : m_pchData(&g_empty.zero)
{
    *this = other;
}

CString::CString(LPCSTR psz) : m_pchData(&g_empty.zero)
{
    if (psz != NULL)
        AssignCopy(psz, static_cast<int>(strlen(psz)));
}

CString::CString(LPCSTR pch, int nLength) : m_pchData(&g_empty.zero)
{
    AssignCopy(pch, nLength);
}

CString::~CString()
{
    Release(Data());
}

CString& CString::operator=(const CString& other)
{
    if (m_pchData != other.m_pchData) {
        CStringData* pOther = other.Data();
        if (pOther->nRefs < 0) {
            Empty();
        } else {
            InterlockedIncrement(&pOther->nRefs);
            Release(Data());
            m_pchData = other.m_pchData;
        }
    }
    return *this;
}

CString& CString::operator=(LPCSTR psz)
{
    AssignCopy(psz, psz != NULL ? static_cast<int>(strlen(psz)) : 0);
    return *this;
}

void CString::AssignCopy(LPCSTR pch, int nLength)
{
    // pch may point into this very text, so build the new one first.
    CStringData* pNew = Allocate(nLength);
    if (nLength > 0)
        memcpy(pNew->Chars(), pch, nLength);
    Release(Data());
    m_pchData = pNew->Chars();
}

void CString::Empty()
{
    Release(Data());
    m_pchData = &g_empty.zero;
}

void CString::Append(LPCSTR pch, int nLength)
{
    if (nLength <= 0)
        return;
    int nOld = GetLength();
    if (nLength > INT_MAX - nOld)
        AfxThrowMemoryException();
    CStringData* pNew = Allocate(nOld + nLength);
    memcpy(pNew->Chars(), m_pchData, nOld);
    memcpy(pNew->Chars() + nOld, pch, nLength);
    Release(Data());
    m_pchData = pNew->Chars();
}

CString& CString::operator+=(const CString& other)
{
    // Keep a reference: other may be this text.
    CString keep(other);
    Append(keep, keep.GetLength());
    return *this;
}

CString& CString::operator+=(LPCSTR psz)
{
    if (psz != NULL) {
        CString keep(psz);
        Append(keep, keep.GetLength());
    }
    return *this;
}

CString& CString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

char CString::GetAt(int nIndex) const
{
    return (nIndex >= 0 && nIndex < GetLength()) ? m_pchData[nIndex] : '\0';
}

void CString::CopyBeforeWrite()
{
    CStringData* pData = Data();
    if (pData->nRefs > 1) {
        CStringData* pNew = Allocate(pData->nDataLength);
        memcpy(pNew->Chars(), m_pchData, pData->nDataLength);
        Release(pData);
        m_pchData = pNew->Chars();
    }
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    CStringData* pData = Data();
    if (nMinBufLength < pData->nDataLength)
        nMinBufLength = pData->nDataLength;
    if (pData->nRefs != 1 || nMinBufLength > pData->nAllocLength) {
        int nKeep = pData->nDataLength;
        CStringData* pNew = Allocate(nMinBufLength);
        if (pNew->nRefs < 0) {
            // Asked for no room at all: the empty text will do.
            Release(pData);
            m_pchData = pNew->Chars();
            return m_pchData;
        }
        memcpy(pNew->Chars(), m_pchData, nKeep + 1);
        pNew->nDataLength = nKeep;
        Release(pData);
        m_pchData = pNew->Chars();
    }
    return m_pchData;
}

void CString::ReleaseBuffer(int nNewLength)
{
    CStringData* pData = Data();
    if (pData->nRefs < 0)
        return;
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_pchData, pData->nAllocLength));
    if (nNewLength > pData->nAllocLength)
        nNewLength = pData->nAllocLength;
    pData->nDataLength = nNewLength;
    m_pchData[nNewLength] = '\0';
}

BOOL CString::LoadString(UINT nID)
{
    // LoadStringA cannot tell its size, so grow until the text fits with room to spare.
    for (int nSize = 256;; nSize *= 2) {
        CString text;
        int nLength = ::LoadStringA(AfxGetResourceHandle(), nID, text.GetBuffer(nSize), nSize);
        if (nLength < nSize - 1 || nSize >= 64 * 1024) {
            text.ReleaseBuffer(nLength);
            *this = text;
            return nLength > 0;
        }
    }
}

void CString::FormatV(LPCSTR lpszFormat, va_list args)
{
    // FormatText, like the system run-time's _vsnprintf, says only -1 while
    // the text does not fit, so the buffer doubles until it does.
    for (int nSize = 256;; nSize *= 2) {
        CString text;
        va_list attempt;
        va_copy(attempt, args);
        int nLength = FormatText(text.GetBuffer(nSize), nSize, lpszFormat, attempt);
        va_end(attempt);
        if (nLength >= 0 && nLength < nSize) {
            text.ReleaseBuffer(nLength);
            *this = text;
            return;
        }
        if (nSize > INT_MAX / 4) {
            Empty();
            return;
        }
    }
}

void CString::Format(LPCSTR lpszFormat, ...)
{
    va_list args;
    va_start(args, lpszFormat);
    FormatV(lpszFormat, args);
    va_end(args);
}

void CString::Format(UINT nFormatID, ...)
{
    CString format;
    format.LoadString(nFormatID);
    va_list args;
    va_start(args, nFormatID);
    FormatV(format, args);
    va_end(args);
}

int CString::Find(char ch) const
{
    const char* p = strchr(m_pchData, ch);
    return (p == NULL || ch == '\0') ? -1 : static_cast<int>(p - m_pchData);
}

int CString::ReverseFind(char ch) const
{
    int nLast = -1;
    for (int i = 0; i < GetLength(); ++i) {
        if (m_pchData[i] == ch)
            nLast = i;
        else if (IsDBCSLeadByte(static_cast<BYTE>(m_pchData[i])) && i + 1 < GetLength())
            ++i;  // skip the trail byte
    }
    return nLast;
}

CString CString::Left(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CString(m_pchData, nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0)
        nCount = 0;
    if (nCount >= GetLength())
        return *this;
    return CString(m_pchData + GetLength() - nCount, nCount);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0)
        nFirst = 0;
    if (nFirst > GetLength())
        nFirst = GetLength();
    if (nCount < 0)
        nCount = 0;
    if (nCount > GetLength() - nFirst)
        nCount = GetLength() - nFirst;
    if (nFirst == 0 && nCount == GetLength())
        return *this;
    return CString(m_pchData + nFirst, nCount);
}

bool operator==(const CString& a, LPCSTR b)
{
    return strcmp(a, b != NULL ? b : "") == 0;
}

CString operator+(const CString& a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCSTR b)
{
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCSTR a, const CString& b)
{
    CString result(a);
    result += b;
    return result;
}
