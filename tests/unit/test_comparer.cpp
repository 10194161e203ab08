// The comparison every verification rests on, at its edges: the end of a
// block, the start of the next, a file's last byte.
#include <gtest/gtest.h>
#include <windows.h>

#include "MemoryCopy.h"
#include "TestFiles.h"
#include "verify/FileComparer.h"

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

