#pragma once
#include "../framework/CString.h"

// The directory of the running executable, without a trailing backslash.
// Every file that sits beside the program is found from here, never from
// the current directory.
CString GetProgramDirectory();
