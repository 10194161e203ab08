// The comparison every verification rests on, at its edges: the end of a
// block, the start of the next, a file's last byte, and FAT's two seconds.
#include <gtest/gtest.h>
#include <windows.h>

#include "MemoryCopy.h"
#include "TestFiles.h"
#include "package/FatTime.h"

namespace {
FILETIME Later(const FILETIME& time, ULONGLONG n100ns)
{
    ULARGE_INTEGER value = {{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += n100ns;
    return FILETIME{value.LowPart, value.HighPart};
}
}  // namespace

TEST(FileComparer, NamesTheFirstByteThatDiffersWhereverItFalls)
{
    const size_t kSame = static_cast<size_t>(-1);
    const struct {
        size_t size;
        size_t changed;  // kSame: nothing changed
    } cases[] = {
        {70000, kSame}, {70000, 0},     {70000, 32767}, {70000, 32768},
        {70000, 69999}, {32768, 32767}, {65536, 65535}, {1, 0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE("a file of " + std::to_string(c.size) + " bytes, byte " + std::to_string(c.changed));
        std::string bytes = SampleBytes(c.size, 5);
        const std::string source = dir.Write("source.bin", bytes);
        if (c.changed != kSame)
            bytes[c.changed] ^= 0x40;
        MemoryCopy copy(bytes, LastWriteTime(source));
        CompareOutcome outcome = FileComparer::Compare(source.c_str(), copy);
        EXPECT_EQ(c.changed == kSame ? kCompareSame : kCompareDiffers, outcome.result);
        EXPECT_EQ(c.changed == kSame ? 0 : c.changed, outcome.nOffset);
    }
}

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
