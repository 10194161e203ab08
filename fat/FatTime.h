// FatTime: what a FAT floppy can hold of a file's time, and when two
// times count as the same there. FAT keeps local time from 1980-01-01
// 00:00:00 to 2107-12-31 23:59:58 in steps of two seconds; Windows stores
// a time outside that range as the nearest end of it. The wizard's copy
// and verification, QvCheck and QvImage all ask here.
#pragma once
#include <windows.h>

namespace FatTime {
const ULONGLONG kTwoSeconds = 20000000;          // in 100 ns
const ULONGLONG kOneHour = 36000000000ULL;       // in 100 ns
// Local times, as FILETIME values.
const ULONGLONG kFirst = 119600064000000000ULL;  // 1980-01-01 00:00:00
const ULONGLONG kLast = 159992927980000000ULL;   // 2107-12-31 23:59:58
// Windows 95's date conversions stop at the end of 2099; where a system
// refuses a later time, this is the latest it can store.
const ULONGLONG kLastOf2099 = 157469183980000000ULL;  // 2099-12-31 23:59:58

ULONGLONG Value(const FILETIME& time);
FILETIME FromValue(ULONGLONG nValue);

// The UTC time a FAT floppy keeps for a source's UTC time: the source's
// own when FAT can hold it, else the nearest end of FAT's range (or of
// 2099, with bBefore2100). FALSE when the time had to be moved.
BOOL Clamp(const FILETIME& utc, FILETIME* pStored, BOOL bBefore2100 = FALSE);

// Equal as FAT keeps them: within two seconds, the system rounding up when
// it writes. A copy may also hold what FAT stores for a source out of its
// range, or what a system that stops at 2099 could store.
BOOL Same(const FILETIME& source, const FILETIME& copy);
// The same but one hour apart: a FAT floppy's local times read back under
// the other daylight-saving time than they were written under.
BOOL SameOneHourApart(const FILETIME& source, const FILETIME& copy);

// A FAT directory entry's date and time for a UTC time, clamped to what
// FAT holds. The last write is rounded up to two seconds as the system
// does; a creation time keeps its hundredths in *pHundredths.
void ToDosDateTime(const FILETIME& utc, BOOL bRoundUp, WORD* pDate, WORD* pTime, BYTE* pHundredths);
// The UTC time of a directory entry's local date and time; FALSE when they
// are no time.
BOOL FromDosDateTime(WORD wDate, WORD wTime, FILETIME* pUtc);
}  // namespace FatTime
