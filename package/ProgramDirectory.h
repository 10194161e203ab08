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
