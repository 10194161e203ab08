// FAT's time rule at its edges. Also run with TZ=Europe/Berlin
// (tests/CMakeLists.txt), where local time is not UTC, so that a time
// converted the wrong way shows.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestFiles.h"
#include "fat/FatTime.h"

namespace {
FILETIME Later(const FILETIME& time, ULONGLONG n100ns)
{
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += n100ns;
    return FILETIME{value.LowPart, value.HighPart};
}
}  // namespace

TEST(FatTime, TimesUnderTwoSecondsApartAreTheSame)
{
    const FILETIME base = {0x5D7C4000, 0x01BFD2A3};
    const struct {
        ULONGLONG apart;  // in 100 ns
        BOOL same;
    } cases[] = {
        {0, TRUE}, {10000000, TRUE}, {19900000, TRUE}, {19999999, TRUE}, {20000000, FALSE}, {25000000, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.apart / 1e7) + " s apart");
        EXPECT_EQ(c.same, FatTime::Same(base, Later(base, c.apart))) << "the copy later";
        EXPECT_EQ(c.same, FatTime::Same(Later(base, c.apart), base)) << "the copy earlier";
    }
}

// A floppy read under the other daylight-saving time than it was written
// under is an hour off its source, either way; a few seconds more is not.
TEST(FatTime, OneHourApartEitherWay)
{
    const FILETIME source = LocalTime(2001, 2, 3, 4, 5, 6);
    const struct {
        LONGLONG seconds;  // the copy's time minus the source's
        BOOL hourApart;
    } cases[] = {{3600, TRUE}, {-3600, TRUE}, {3601, TRUE}, {3603, FALSE}, {-3603, FALSE}, {3, FALSE}};
    for (const auto& c : cases) {
        SCOPED_TRACE("the copy " + std::to_string(c.seconds) + " s off");
        EXPECT_EQ(c.hourApart, FatTime::SameOneHourApart(source, AddSeconds(source, c.seconds)));
    }
}

// What a directory entry holds for a time: its local date and time, the
// last write rounded up to an even second as Windows stores it, a creation
// time rounded down with its hundredths.
TEST(FatTime, DirectoryEntriesHoldLocalTimeInTwoSecondSteps)
{
    const struct {
        SYSTEMTIME local;  // year, month, day of week, day, hour, minute, second, ms
        BOOL roundUp;
        WORD year, month, day, hour, minute, second;
        BYTE hundredths;
    } cases[] = {
        {{2001, 2, 0, 3, 4, 5, 7, 0}, TRUE, 2001, 2, 3, 4, 5, 8, 0},
        {{2001, 2, 0, 3, 4, 5, 6, 1}, TRUE, 2001, 2, 3, 4, 5, 8, 0},
        {{2001, 7, 0, 3, 23, 59, 59, 0}, TRUE, 2001, 7, 4, 0, 0, 0, 0},
        {{2001, 2, 0, 3, 4, 5, 6, 0}, TRUE, 2001, 2, 3, 4, 5, 6, 0},
        {{2001, 2, 0, 3, 4, 5, 7, 250}, FALSE, 2001, 2, 3, 4, 5, 6, 125},
        {{1980, 1, 0, 1, 0, 0, 0, 0}, TRUE, 1980, 1, 1, 0, 0, 0, 0},
        {{1979, 12, 0, 31, 23, 59, 59, 0}, TRUE, 1980, 1, 1, 0, 0, 0, 0},
        {{2107, 12, 0, 31, 23, 59, 59, 0}, TRUE, 2107, 12, 31, 23, 59, 58, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.local.wYear) + "-" + std::to_string(c.local.wMonth) + " " +
                     std::to_string(c.local.wSecond) + "." + std::to_string(c.local.wMilliseconds) + " s");
        FILETIME local, utc;
        ASSERT_TRUE(SystemTimeToFileTime(&c.local, &local) && LocalFileTimeToFileTime(&local, &utc));
        WORD date = 0, time = 0;
        BYTE hundredths = 0;
        FatTime::ToDosDateTime(utc, c.roundUp, &date, &time, c.roundUp ? NULL : &hundredths);
        EXPECT_EQ(((c.year - 1980) << 9) | (c.month << 5) | c.day, date);
        EXPECT_EQ((c.hour << 11) | (c.minute << 5) | (c.second / 2), time);
        EXPECT_EQ(c.hundredths, hundredths);
    }
}
