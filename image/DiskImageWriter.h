// DiskImageWriter: writes the files a disk leaves on its floppy as an
// image file of one floppy format, never half of one: the image goes to a temporary
// name beside the target, is read back and compared file by file with its
// sources, and only then takes the target's name. An older image of that
// name is replaced only then, and stays when anything fails.
#pragma once
#include "../framework/CArray.h"
#include "../framework/CString.h"
#include "../fat/FloppyFiles.h"
#include "../fat/FloppyFormat.h"

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
    // TRUE when lpszImagePath holds the finished image, read-only when
    // bReadOnly; FALSE with pReport->strProblem, nothing new left behind
    // and an older image untouched. An older read-only image is replaced
    // all the same: the attribute protects it from the machine it serves.
    static BOOL Write(const FloppyFiles& files, LPCSTR lpszImagePath, ImageReport* pReport,
                      const FloppyFormat& format = FloppyFormat::Standard(), BOOL bReadOnly = FALSE);

    // What becomes of the target while it is written.
    static CString TemporaryPath(LPCSTR lpszImagePath) { return CString(lpszImagePath) + ".tmp"; }
};
