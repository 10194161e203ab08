// IsNoFloppyError: the one rule for what says that a drive has no floppy
// in it, asked by the engine and the console checker. A file of its own, so
// that a console program links it without the shell and icon code.
#pragma once
#include <windows.h>

// Whether a system error asking a drive's root means that no floppy is in
// it. Windows says "not ready"; Wine, whose empty drive is a link to
// nothing, "no such device" (433) or "path not found".
BOOL IsNoFloppyError(DWORD dwError);
