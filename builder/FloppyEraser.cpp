#include "FloppyEraser.h"

namespace {
BOOL IsDots(LPCSTR lpszName)
{
    return lpszName[0] == '.' && (lpszName[1] == '\0' || (lpszName[1] == '.' && lpszName[2] == '\0'));
}

BOOL IsFolder(DWORD dwAttributes)
{
    return (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction, or what Wine makes of a symbolic link: it may lead anywhere.
BOOL IsLink(DWORD dwAttributes)
{
    return (dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
}  // namespace

void FloppyEraser::Survey()
{
    m_nFiles = m_nFolders = 0;
    m_firstNames.RemoveAll();
    m_bMoreNames = FALSE;
    char szLabel[MAX_PATH + 1] = "";
    if (!::GetVolumeInformationA(m_strRoot, szLabel, sizeof(szLabel), NULL, NULL, NULL, NULL, 0))
        szLabel[0] = '\0';
    m_strLabel = szLabel;
    SurveyFolder("");
}

void FloppyEraser::SurveyFolder(const CString& strPath)
{
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(m_strRoot + strPath + "*.*", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    CStringArray folders;
    do {
        if (IsDots(found.cFileName))
            continue;
        if (strPath.IsEmpty()) {
            if (m_firstNames.GetSize() < kNamesShown)
                m_firstNames.Add(found.cFileName);
            else
                m_bMoreNames = TRUE;
        }
        if (IsFolder(found.dwFileAttributes)) {
            ++m_nFolders;
            if (!IsLink(found.dwFileAttributes))
                folders.Add(strPath + found.cFileName + "\\");
        } else {
            ++m_nFiles;
        }
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
    for (int i = 0; i < folders.GetSize(); ++i)
        SurveyFolder(folders[i]);
}

BOOL FloppyEraser::Erase(ProgressProc pfnProgress, void* pContext, DWORD* pdwError)
{
    Survey();
    m_pfnProgress = pfnProgress;
    m_pContext = pContext;
    m_nDone = 0;
    m_nTotal = m_nFiles + m_nFolders;
    *pdwError = NO_ERROR;
    return EraseFolder("", pdwError);
}

BOOL FloppyEraser::EraseFolder(const CString& strPath, DWORD* pdwError)
{
    // The names first, then the deletions: a search is not to be relied
    // on while its folder changes under it.
    CStringArray names;
    CArray<DWORD> attributes;
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(m_strRoot + strPath + "*.*", &found);
    if (hFind == INVALID_HANDLE_VALUE) {
        DWORD dwError = ::GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_NO_MORE_FILES)
            return TRUE;
        *pdwError = dwError;
        return FALSE;
    }
    do {
        if (!IsDots(found.cFileName)) {
            names.Add(strPath + found.cFileName);
            attributes.Add(found.dwFileAttributes);
        }
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);

    for (int i = 0; i < names.GetSize(); ++i) {
        BOOL bFolder = IsFolder(attributes[i]);
        if (bFolder && !IsLink(attributes[i]) && !EraseFolder(names[i] + "\\", pdwError))
            return FALSE;
        if (!DeleteEntry(names[i], bFolder, attributes[i], pdwError))
            return FALSE;
    }
    return TRUE;
}

BOOL FloppyEraser::DeleteEntry(const CString& strName, BOOL bFolder, DWORD dwAttributes, DWORD* pdwError)
{
    if (m_pfnProgress != NULL && !m_pfnProgress(m_pContext, strName, m_nTotal ? m_nDone * 100 / m_nTotal : 0)) {
        *pdwError = ERROR_CANCELLED;
        return FALSE;
    }
    CString strPath = m_strRoot + strName;
    const DWORD kProtecting = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((dwAttributes & kProtecting) != 0 &&
        !::SetFileAttributesA(strPath, FILE_ATTRIBUTE_NORMAL) &&
        ::GetLastError() == ERROR_WRITE_PROTECT) {
        *pdwError = ERROR_WRITE_PROTECT;
        return FALSE;
    }
    // A link goes as a link; what it leads to is not this floppy's.
    BOOL bDeleted = bFolder ? ::RemoveDirectoryA(strPath) : ::DeleteFileA(strPath);
    if (!bDeleted) {
        *pdwError = ::GetLastError();
        return FALSE;
    }
    ++m_nDone;
    return TRUE;
}
