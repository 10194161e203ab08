// Measures loading package lists: the example, the largest list that is
// read, and lists refused for their size or claiming billions of entries.
// For each, the time of a load (best of five) and the most the private
// memory rose during one. scripts/bench.sh runs it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Clock.h"
#include "TestFiles.h"
#include "package/PackageInfo.h"

int main()
{
    TempDir dir;
    const std::string path = dir / "packlist.ini";
    const std::string example = PackageList(kCorvela);
    const std::string head = PackageList({{"a"}});
    const std::pair<const char*, std::string> lists[] = {
        {"the example", example},
        {"exactly 1 MB", PaddedList(head, PackageInfo::kMostListBytes)},
        {"1 MB and a byte", PaddedList(head, PackageInfo::kMostListBytes + 1)},
        {"50 MB", PaddedList(head, 50 * kMegabyte)},
        {"Files=2147483647", "[Global]\r\nName=P\r\n[Disks]\r\nNumber=1\r\n[Disk0]\r\nFiles=2147483647\r\nFile0=a\r\n"},
    };
    Watchdog watchdog;
    PackageInfo package;
    package.LoadFromFile(dir.Write("first.ini", example).c_str());  // the reader's own first-use setup
    for (const auto& list : lists) {
        WriteFileBytes(path, list.second);
        AgeFile(path);
        double best = 1e9;
        long long peak = 0;
        for (int run = 0; run < 5; ++run) {
            watchdog.Start(list.first);
            BOOL loaded = package.LoadFromFile(path.c_str());
            peak = std::max(peak, watchdog.Stop());
            best = std::min(best, watchdog.Seconds());
            if (run == 0)
                printf("%-18s %s", list.first, loaded ? "loads  " : "refused");
        }
        printf("  %8.2f ms  peak %+6lld KB of private memory (best, most of 5)\n", best * 1000, peak / 1024);
    }
    return 0;
}
