#pragma once
#include "../framework/CString.h"

// The directory of the running executable, without a trailing backslash.
// Every file that sits beside the program is found from here, never from
// the current directory.
CString GetProgramDirectory();

// The package list a console tool was given: a full path as it stands,
// anything else beside the program, as the wizard finds its list; NULL
// or empty means packlist.ini.
CString PackageListPath(LPCSTR lpszArgument);

// Whether a path ends in a separator. A backslash byte that ends a
// double-byte character ("\x83\x5C") is none.
BOOL EndsInSeparator(const CString& strPath);
// The folder a path names, ending in a separator: "E:" is the root of E:,
// not whatever E:'s current directory is; empty stays the current directory.
CString FolderPath(const CString& strDir);
