#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "FormatCompare.h"
#include "runtime/CommandLine.h"

// Each format of the program's texts and tools, and the conversions and
// flags next to them, with values at their edges.
TEST(FormatText, WritesWhatTheSystemWritesInEveryBufferSize)
{
    struct Row {
        std::string format;
        FormatComparison c;
    };
    std::vector<Row> rows;
    auto row = [&rows](const char* format, auto... args) { rows.push_back({format, CompareFormat(format, args...)}); };
    const std::string long259(259, 'x');
    for (int n : {0, -1, 7, 1000, INT_MAX, INT_MIN}) {
        row("Disk %d - %s", n, "Corvela");
        row("%-4d  %s  %s\r\n", n, "DSKA0000.IMG", "Disk 1 - Corvela");
        row("DSKA%04d.IMG", n);
        row("%d problem%s:\n", n, "s");
        row("%ld|%5d|%-5d|%05d|%+d|% d|%.3d|%.0d|%x|%X|%#x|%o|%hd|%*d", static_cast<long>(n), n, n, n, n, n, n, n, n,
            n, n, n, n, -6, n);
    }
    for (unsigned u : {0u, 1u, 59u, 2026u, UINT_MAX}) {
        row("%04u-%02u-%02u", u, u, u);
        row(" %02u:%02u:%02u", u, u, u);
        row("%s differs from its source at byte %lu", "setup.exe", static_cast<unsigned long>(u));
    }
    for (unsigned long long v : {0ull, 4294967296ull, ULLONG_MAX, static_cast<unsigned long long>(LLONG_MIN)})
        row("%I64u|%I64d|%I64x|%llu|%lld", v, v, v, v, v);
    for (const char* text : {"", "Corvela", long259.c_str()}) {
        row("%s is not written: %s.\n", text, text);
        row("[%10s|%-10s|%.5s|%.0s|%*.*s]", text, text, text, text, 3, 2, text);
        row("Drive %c: holds %s exactly.\n", 'A', text);
    }
    row("100%% %c%3c%-3c|%y", 'x', 'y', 'z');
    for (const Row& r : rows) {
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(r.format + (i == 0 ? " (room to spare)" : i == 1 ? " (exactly full)" : " (one short)"));
            EXPECT_EQ(r.c.system[i].nResult, r.c.ours[i].nResult);
            EXPECT_EQ(r.c.system[i].buffer, r.c.ours[i].buffer);
        }
    }
}

TEST(SplitCommandLine, SplitsAsTheCRunTimeDllOfItsDay)
{
    const struct {
        const char* line;
        const char* args;  // joined by '|'
    } rows[] = {
        {"QvCheck.exe", "QvCheck.exe"},
        {"\"C:\\Program Files\\QvCheck.exe\" /disk  2", "C:\\Program Files\\QvCheck.exe|/disk|2"},
        {"\"x y\"z \t\"a b\"\tc ", "x y|z|a b|c"},
        {"x a\\\\\"b c\" d a\\\\\\\"b a\\b\\\\c e\\\\", "x|a\\b c|d|a\\\"b|a\\b\\\\c|e\\\\"},
        // "" in a quoted part gives a quote and ends the part, so the quote after b opens one.
        {"x \"a\"\"b\" c \"\" \"", "x|a\"b c \"|"},
        {"x \"\" \"", "x||"},
    };
    for (const auto& r : rows) {
        int argc = SplitCommandLine(r.line, NULL, NULL);
        std::vector<char*> argv(argc + 1);
        std::string text(strlen(r.line) + 2, '#');
        ASSERT_EQ(argc, SplitCommandLine(r.line, argv.data(), &text[0])) << r.line;
        std::string joined;
        for (int i = 0; i < argc; ++i)
            joined += (i > 0 ? "|" : "") + std::string(argv[i]);
        EXPECT_EQ(r.args, joined) << r.line;
        EXPECT_EQ(nullptr, argv[argc]) << r.line;
    }
}
