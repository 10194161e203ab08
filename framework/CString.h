// CString: counted, reference-counted text of 8-bit characters in the ANSI
// code page. Copies share one buffer until one of them is written to.
#pragma once
#include <windows.h>

struct CStringData;

class CString {
public:
    CString();
    CString(const CString& other);
    CString(LPCSTR psz);  // NULL gives the empty text
    CString(LPCSTR pch, int nLength);
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(LPCSTR psz);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR psz);
    CString& operator+=(char ch);

    int GetLength() const;
    BOOL IsEmpty() const { return GetLength() == 0; }
    void Empty();
    operator LPCSTR() const { return m_pchData; }
    char GetAt(int nIndex) const;
    char operator[](int nIndex) const { return GetAt(nIndex); }

    // Loads a string table entry of the program; FALSE when it is missing
    // or empty, and the text is then empty.
    BOOL LoadString(UINT nID);
    void Format(LPCSTR lpszFormat, ...);
    void Format(UINT nFormatID, ...);  // the format is a string table entry

    int Find(char ch) const;
    // Index of the last ch, or -1. Double-byte aware: a trail byte that
    // happens to equal ch is not a match.
    int ReverseFind(char ch) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    // Direct access for APIs that write text; ReleaseBuffer fixes the length
    // (-1: up to the first zero byte).
    LPSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

    // How many buffers share this text; for tests of the sharing rules.
    long GetRefCount() const;

private:
    CStringData* Data() const;
    static CStringData* Allocate(int nLength);
    static void Release(CStringData* pData);
    void AssignCopy(LPCSTR pch, int nLength);
    void Append(LPCSTR pch, int nLength);
    void CopyBeforeWrite();
    void FormatV(LPCSTR lpszFormat, va_list args);

    LPSTR m_pchData;
};

bool operator==(const CString& a, LPCSTR b);
inline bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCSTR b);
CString operator+(LPCSTR a, const CString& b);
