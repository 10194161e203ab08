// DiskImageWriter: writes the files a disk leaves on its floppy as a
// 1.44 MB image file, never half of one: the image goes to a temporary
// name beside the target, is read back and compared file by file with its
// sources, and only then takes the target's name. An older image of that
// name is replaced only then, and stays when anything fails.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../package/FloppyFiles.h"

struct ImageReport {
    CStringArray names;          // the files written, in the root's order
    CArray<ULONGLONG> sizes;
    ULONGLONG nUsedBytes = 0;    // as read back from the image
    ULONGLONG nFreeBytes = 0;
    int nRootEntries = 0;
    CString strProblem;          // why no image was written, one sentence
};

class DiskImageWriter {
public:
    // TRUE when lpszImagePath holds the finished image; FALSE with
    // pReport->strProblem, nothing new left behind and an older image
    // untouched.
    static BOOL Write(const FloppyFiles& files, LPCSTR lpszImagePath, ImageReport* pReport);

    // What becomes of the target while it is written.
    static CString TemporaryPath(LPCSTR lpszImagePath) { return CString(lpszImagePath) + ".tmp"; }
    static CString SetAsidePath(LPCSTR lpszImagePath) { return CString(lpszImagePath) + ".old"; }
};
