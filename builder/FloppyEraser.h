// FloppyEraser: what a used floppy holds, told to the user before anything
// goes, and the emptying of it once the user said Yes. It works below the
// root it is given and nowhere else: a folder that is a link (a junction,
// or a symbolic link under Wine) is never entered, only removed as a link.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"

class FloppyEraser {
public:
    explicit FloppyEraser(LPCSTR lpszRoot) : m_strRoot(lpszRoot) {}

    // Counts the files and folders at any depth and keeps the first few
    // names of the root and the volume label.
    void Survey();
    enum { kNamesShown = 5 };
    int m_nFiles = 0, m_nFolders = 0;
    CStringArray m_firstNames;
    BOOL m_bMoreNames = FALSE;
    CString m_strLabel;

    // Called before each deletion with the name below the root and the
    // share done so far; FALSE stops the erase.
    typedef BOOL (*ProgressProc)(void* pContext, LPCSTR lpszName, int nPercent);
    // Deletes every file and folder below the root, read-only, hidden and
    // system ones too. FALSE at the first thing that cannot be deleted,
    // with the system's error (ERROR_CANCELLED when the callback stopped).
    BOOL Erase(ProgressProc pfnProgress, void* pContext, DWORD* pdwError);

private:
    // strPath: below the root, empty or ending in a backslash.
    void SurveyFolder(const CString& strPath);
    BOOL EraseFolder(const CString& strPath, DWORD* pdwError);
    BOOL DeleteEntry(const CString& strName, BOOL bFolder, DWORD dwAttributes, DWORD* pdwError);

    CString m_strRoot;  // "A:\"
    ProgressProc m_pfnProgress = NULL;
    void* m_pContext = NULL;
    int m_nDone = 0, m_nTotal = 0;
};
