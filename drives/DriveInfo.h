// DriveInfo: one removable drive, with what the wizard shows of it and what
// the build needs to address it.
#pragma once
#include "../framework/CString.h"

class DriveInfo {
public:
    DriveInfo();

    // Fills the record from the shell. TRUE when the drive has a display
    // name and both small icons.
    BOOL InitFromRoot(LPCSTR lpszRoot);
    // Paints the record as one item of an owner-drawn list box.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) const;

    CString m_strRoot;         // as the system lists it, such as "A:\"
    CString m_strDisplayName;  // the shell's name, shown in the list
    char m_chLetter;           // upper-case drive letter
    // The shell's icons live until the process ends; copies of a record
    // share them and no record frees them.
    HICON m_hIcon;
    HICON m_hSelectedIcon;
    BOOL m_bChosen;  // the drive the disks are written to
};
