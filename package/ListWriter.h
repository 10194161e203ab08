// ListWriter: a package list written whole, into a temporary file beside
// it and then renamed, so that no half-written list is ever read. An
// existing list is replaced only when asked, since it may be the user's
// only copy, and it stays as it was when anything fails.
#pragma once
#include <windows.h>

#include "../framework/CString.h"

enum ListWritten { kListWritten, kListKept, kListFailed };

// kListKept: the list is there and bReplace was not given; kListFailed
// with *pstrProblem, one sentence without its full stop.
ListWritten WriteListFile(LPCSTR lpszPath, const CString& strText, BOOL bReplace, CString* pstrProblem);
