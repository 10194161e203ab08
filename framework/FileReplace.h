// PutInPlace: a finished file takes its target's name, whole or not at all.
// MoveFile replaces nothing (Windows 95 has no MoveFileEx), so an older
// target is set aside as "<target>.old" first and put back when the rename
// fails. A file already under that name is somebody's: it stops the
// replacing rather than go.
#pragma once
#include "CString.h"

// TRUE when lpszFinished now stands as lpszTarget; FALSE with one sentence,
// without its full stop, in *pstrProblem, the target as it was.
BOOL PutInPlace(LPCSTR lpszFinished, LPCSTR lpszTarget, CString* pstrProblem);
