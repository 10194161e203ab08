// DriveList: the machine's removable drives in letter order, exactly one of
// them chosen; DriveCursor walks them.
#pragma once
#include "../framework/CArray.h"
#include "DriveInfo.h"

class DriveList {
public:
    DriveList() = default;
    DriveList(const DriveList&) = delete;
    DriveList& operator=(const DriveList&) = delete;

    // Rebuilds the list and chooses the first drive. FALSE when there is no
    // removable drive, or one of them lacks its shell name or icons.
    BOOL FindRemovableDrives();
    // FALSE, leaving *ppDrive alone, when no record is chosen.
    BOOL GetChosenDrive(DriveInfo** ppDrive);
    // pDrive becomes the only chosen record.
    void ChooseDrive(DriveInfo* pDrive);

private:
    friend class DriveCursor;

    BOOL AddRemovableDrives(LPCSTR lpszRoots, DWORD cchRoots);

    CArray<DriveInfo> m_drives;  // filled once, so record addresses stay valid
};

class DriveCursor {
public:
    explicit DriveCursor(DriveList* pList);
    void Reset();
    BOOL Next(DriveInfo** ppDrive);

    DriveList* m_pList;
    int m_nPosition;  // index of the next record to yield
};
