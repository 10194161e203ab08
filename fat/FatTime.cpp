#include "FatTime.h"

namespace {
ULONGLONG ToLocal(ULONGLONG nUtc)
{
    FILETIME utc = FatTime::FromValue(nUtc), local;
    return ::FileTimeToLocalFileTime(&utc, &local) ? FatTime::Value(local) : nUtc;
}

ULONGLONG ToUtc(ULONGLONG nLocal)
{
    FILETIME local = FatTime::FromValue(nLocal), utc;
    return ::LocalFileTimeToFileTime(&local, &utc) ? FatTime::Value(utc) : nLocal;
}

BOOL Within(ULONGLONG a, ULONGLONG b)
{
    return a > b ? a - b < FatTime::kTwoSeconds : b - a < FatTime::kTwoSeconds;
}
}  // namespace

namespace FatTime {
ULONGLONG Value(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromValue(ULONGLONG nValue)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(nValue);
    time.dwHighDateTime = static_cast<DWORD>(nValue >> 32);
    return time;
}

BOOL Clamp(const FILETIME& utc, FILETIME* pStored, BOOL bBefore2100)
{
    ULONGLONG nLocal = ToLocal(Value(utc));
    ULONGLONG nLast = bBefore2100 ? kLastOf2099 : kLast;
    if (nLocal >= kFirst && nLocal <= nLast) {
        *pStored = utc;
        return TRUE;
    }
    *pStored = FromValue(ToUtc(nLocal < kFirst ? kFirst : nLast));
    return FALSE;
}

BOOL Same(const FILETIME& source, const FILETIME& copy)
{
    ULONGLONG nCopy = Value(copy);
    if (Within(Value(source), nCopy))
        return TRUE;
    FILETIME stored;
    if (!Clamp(source, &stored) && Within(Value(stored), nCopy))
        return TRUE;
    return ToLocal(Value(source)) > kLastOf2099 && Within(ToUtc(kLastOf2099), nCopy);
}

BOOL SameOneHourApart(const FILETIME& source, const FILETIME& copy)
{
    ULONGLONG nSource = Value(source);
    return Same(FromValue(nSource + kOneHour), copy) ||
           (nSource >= kOneHour && Same(FromValue(nSource - kOneHour), copy));
}

void ToDosDateTime(const FILETIME& utc, BOOL bRoundUp, WORD* pDate, WORD* pTime, BYTE* pHundredths)
{
    ULONGLONG nValue = ToLocal(Value(utc));
    ULONGLONG nWithin = nValue % kTwoSeconds;
    if (bRoundUp && nWithin != 0)
        nValue += kTwoSeconds - nWithin;
    BYTE nHundredths = static_cast<BYTE>(nWithin / 100000);
    if (nValue < kFirst || nValue > kLast) {
        nValue = nValue < kFirst ? kFirst : kLast;
        nHundredths = 0;
    }
    FILETIME local = FromValue(nValue);
    if (!::FileTimeToDosDateTime(&local, pDate, pTime)) {
        // A system whose conversions stop at 2099.
        local = FromValue(kLastOf2099);
        nHundredths = 0;
        if (!::FileTimeToDosDateTime(&local, pDate, pTime)) {
            *pDate = (1 << 5) | 1;
            *pTime = 0;
        }
    }
    if (pHundredths != NULL)
        *pHundredths = nHundredths;
}

BOOL FromDosDateTime(WORD wDate, WORD wTime, FILETIME* pUtc)
{
    FILETIME local;
    return ::DosDateTimeToFileTime(wDate, wTime, &local) && ::LocalFileTimeToFileTime(&local, pUtc);
}
}  // namespace FatTime
