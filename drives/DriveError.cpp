#include "DriveError.h"

namespace {
const DWORD kNoSuchDevice = 433;  // ERROR_DEV_NOT_EXIST, newer than our headers
}  // namespace

BOOL IsNoFloppyError(DWORD dwError)
{
    return dwError == ERROR_NOT_READY || dwError == kNoSuchDevice || dwError == ERROR_PATH_NOT_FOUND;
}
