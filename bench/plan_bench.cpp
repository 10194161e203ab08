// Measures the set planner on random folders of 50 to 2,000 files, sized as
// real sets are (many small files, a few large ones, some long names, a
// few names twice in different folders), in every format: how many disks
// the planned order and /fewest use against the lower bound, and the time
// to plan 10,000 files. scripts/bench.sh runs it.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "package/SetPlanner.h"

namespace {
// Between lo and hi, evenly on a log scale.
ULONGLONG LogUniform(std::mt19937& random, double lo, double hi)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    return static_cast<ULONGLONG>(std::exp(std::log(lo) + unit(random) * (std::log(hi) - std::log(lo))));
}

void AddRandomFolder(SetPlanner& planner, std::mt19937& random, int nFiles)
{
    const FloppyFormat& format = planner.GetFormat();
    double largest = std::min(1200000.0, 0.9 * static_cast<double>(format.Capacity()));
    std::uniform_int_distribution<int> percent(0, 99);
    for (int i = 0; i < nFiles; ++i) {
        int nKind = percent(random), nName = percent(random);
        ULONGLONG nSize = nKind < 60 ? LogUniform(random, 200, 20000)
                          : nKind < 90 ? LogUniform(random, 20000, 200000)
                                       : LogUniform(random, 200000, largest);
        char szEntry[64];
        if (nName == 0)
            sprintf(szEntry, "part%d\\README.TXT", i);
        else if (nName < 30)
            sprintf(szEntry, "part%d\\Help topic %d.hlp", i % 7, i);
        else
            sprintf(szEntry, "part%d\\F%05d.DAT", i % 7, i);
        planner.AddFile(szEntry, nSize);
    }
}

double Seconds(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}
}  // namespace

int main()
{
    const int kFolders = 200;
    printf("Random folders of 50 to 2,000 files, %d in each format: disks over the lower bound\n", kFolders);
    printf("%-8s  %-26s  %-26s  %s\n", "format", "in order: 0 / 1 / more over", "/fewest: 0 / 1 / more over",
           "10,000 files planned: in order, /fewest");
    for (const FloppyFormat& format : FloppyFormats::kAll) {
        std::mt19937 random(format.nKilobytes);
        std::uniform_int_distribution<int> count(50, 2000);
        int inOrder[3] = {0, 0, 0}, fewest[3] = {0, 0, 0};
        for (int f = 0; f < kFolders; ++f) {
            int nFiles = count(random);
            unsigned nSeed = random();
            for (BOOL bFewest : {FALSE, TRUE}) {
                SetPlanner planner(format);
                std::mt19937 folder(nSeed);
                AddRandomFolder(planner, folder, nFiles);
                planner.Plan(bFewest);
                int nOver = planner.GetDisks().GetSize() - planner.LowerBound();
                ++(bFewest ? fewest : inOrder)[nOver < 2 ? nOver : 2];
            }
        }
        double seconds[2];
        for (BOOL bFewest : {FALSE, TRUE}) {
            SetPlanner planner(format);
            std::mt19937 folder(1);
            LARGE_INTEGER start;
            QueryPerformanceCounter(&start);
            AddRandomFolder(planner, folder, 10000);
            planner.Plan(bFewest);
            seconds[bFewest] = Seconds(start);
        }
        char szInOrder[40], szFewest[40];
        sprintf(szInOrder, "%5.1f%% %5.1f%% %5.1f%%", 100.0 * inOrder[0] / kFolders, 100.0 * inOrder[1] / kFolders,
                100.0 * inOrder[2] / kFolders);
        sprintf(szFewest, "%5.1f%% %5.1f%% %5.1f%%", 100.0 * fewest[0] / kFolders, 100.0 * fewest[1] / kFolders,
                100.0 * fewest[2] / kFolders);
        printf("%-8s  %-26s  %-26s  %.0f ms, %.0f ms\n", format.lpszName, szInOrder, szFewest, seconds[0] * 1000,
               seconds[1] * 1000);
    }
    return 0;
}
