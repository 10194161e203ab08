#include "DriveList.h"

#include <cstring>
#include <memory>

namespace {
// The drives may change between asking for the size and reading the
// strings; a few fresh tries are enough for a drive being plugged in.
const int kMaxAttempts = 3;
}

BOOL DriveList::FindRemovableDrives()
{
    m_drives.RemoveAll();

    DWORD cchNeeded = ::GetLogicalDriveStringsA(0, NULL);
    if (cchNeeded == 0)
        return FALSE;

    try {
        for (int nAttempt = 0; nAttempt < kMaxAttempts; ++nAttempt) {
            // One spare zero byte beyond what the system may fill, so the walk
            // below always finds an end inside the buffer.
            std::unique_ptr<char[]> buffer(new (std::nothrow) char[cchNeeded + 1]);
            if (!buffer)
                AfxThrowMemoryException();
            memset(buffer.get(), 0, cchNeeded + 1);

            DWORD cchGot = ::GetLogicalDriveStringsA(cchNeeded, buffer.get());
            if (cchGot == 0)
                return FALSE;
            if (cchGot < cchNeeded)
                return AddRemovableDrives(buffer.get(), cchGot);
            cchNeeded = cchGot;  // grew in between: ask again with the new size
        }
    } catch (CException* e) {
        e->Delete();
    }
    return FALSE;
}

BOOL DriveList::AddRemovableDrives(LPCSTR lpszRoots, DWORD cchRoots)
{
    for (LPCSTR pRoot = lpszRoots; pRoot < lpszRoots + cchRoots && *pRoot != '\0';
         pRoot += strlen(pRoot) + 1) {
        if (::GetDriveTypeA(pRoot) != DRIVE_REMOVABLE)
            continue;
        int nIndex = m_drives.Add(DriveInfo());
        if (!m_drives[nIndex].InitFromRoot(pRoot)) {
            m_drives.RemoveAll();
            return FALSE;
        }
    }
    if (m_drives.IsEmpty())
        return FALSE;
    m_drives[0].m_bChosen = TRUE;
    return TRUE;
}

BOOL DriveList::GetChosenDrive(DriveInfo** ppDrive)
{
    for (int i = 0; i < m_drives.GetSize(); ++i) {
        if (m_drives[i].m_bChosen) {
            *ppDrive = &m_drives[i];
            return TRUE;
        }
    }
    return FALSE;
}

void DriveList::ChooseDrive(DriveInfo* pDrive)
{
    for (int i = 0; i < m_drives.GetSize(); ++i)
        m_drives[i].m_bChosen = FALSE;
    pDrive->m_bChosen = TRUE;
}

DriveCursor::DriveCursor(DriveList* pList) : m_pList(pList), m_nPosition(0) {}

void DriveCursor::Reset()
{
    m_nPosition = 0;
}

BOOL DriveCursor::Next(DriveInfo** ppDrive)
{
    if (m_nPosition >= m_pList->m_drives.GetSize())
        return FALSE;
    *ppDrive = &m_pList->m_drives[m_nPosition];
    ++m_nPosition;
    return TRUE;
}
