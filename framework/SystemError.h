// The system's words for an error code, as the messages and the console
// tools quote them.
#pragma once
#include <windows.h>

#include "CString.h"

// Without the closing full stop; the number itself when the system has none.
CString SystemErrorText(DWORD dwError);
