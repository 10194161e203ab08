// Reading the package list and the settings through the system's profile
// (INI) reader, and the few questions about a profile file that the reader
// itself cannot answer.
#pragma once
#include "../framework/CString.h"

// The reader cuts longer values to one character less than this.
const int kProfileValueBuffer = 260;

// FALSE when the key is absent (or has no '='); strValue is then empty.
// A present key may still hold the empty text.
BOOL ReadProfileValue(LPCSTR lpszSection, LPCSTR lpszKey, LPCSTR lpszPath, CString& strValue);
// A setting that keeps bDefault unless it says the other side's word, in
// any case: 0, no, off or false to turn it off; 1, yes, on or true to turn
// it on. A typo must neither turn a safeguard off nor an erase on.
BOOL ReadProfileSwitch(LPCSTR lpszSection, LPCSTR lpszKey, BOOL bDefault, LPCSTR lpszPath);
// TRUE when the section holds at least one line that is not a comment.
BOOL ProfileSectionExists(LPCSTR lpszSection, LPCSTR lpszPath);
// TRUE when the profile reader could open the file: it exists, is no
// directory and may be read.
BOOL CanReadProfileFile(LPCSTR lpszPath);
// TRUE when the file is there and larger than nBytes.
BOOL ProfileFileLargerThan(LPCSTR lpszPath, DWORD nBytes);
// Drops the reader's cached copy of the file. The reader keeps what it has
// parsed for the life of the process; we read each file once per use.
void ForgetProfileFile(LPCSTR lpszPath);
