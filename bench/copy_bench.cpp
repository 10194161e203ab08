// Measures the disk build engine writing a full 1.44 MB disk set onto the
// virtual floppy A:, with and without reading it back, against plain
// CopyFileA calls of the same files, and the longest time the progress
// dialog went without pumping its messages while copying and verifying;
// and the erase of a used floppy full of 224 small files.
// Prints one line per measurement; scripts/bench.sh adds cp for comparison.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Clock.h"
#include "GuiTest.h"
#include "ImportPatch.h"
#include "TestFiles.h"
#include "builder/DiskBuilder.h"
#include "builder/DestinationFloppy.h"

namespace {
std::vector<double> g_pumps;  // seconds at each progress refresh
size_t g_firstVerifyPump;     // index into g_pumps where reading back began

ImportPatch* g_sendPatch;
LRESULT WINAPI TimedSendDlgItemMessage(HWND hwnd, int id, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == PBM_SETPOS)
        g_pumps.push_back(Now());
    return g_sendPatch->Original<decltype(&SendDlgItemMessageA)>()(hwnd, id, msg, w, l);
}
ImportPatch* g_textPatch;
BOOL WINAPI NotingSetDlgItemText(HWND hwnd, int id, LPCSTR text)
{
    if (g_firstVerifyPump == 0 && strncmp(text, "Verifying", 9) == 0)
        g_firstVerifyPump = g_pumps.size();
    return g_textPatch->Original<decltype(&SetDlgItemTextA)>()(hwnd, id, text);
}

double LongestGap(size_t from, size_t to)
{
    double longest = 0;
    for (size_t i = from + 1; i < to; ++i)
        longest = std::max(longest, g_pumps[i] - g_pumps[i - 1]);
    return longest;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main()
{
    InitCommonControls();
    const std::vector<std::pair<std::string, size_t>> files = {
        {"setup.exe", 286720}, {"setup.ini", 1210}, {"data1.cab", 716800}, {"data2.cab", 419840}};
    TempDir images;
    PackageFiles disk(1);
    size_t total = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        disk[0].push_back({files[i].first, std::string(files[i].second, static_cast<char>('a' + i))});
        total += files[i].second;
    }
    std::string settings = TestProgramDirectory() + "\\Quorvane.ini";
    WriteFileBytes(settings, "[Paths]\r\nDiskImages=" + images.Path() + "\r\n");

    PackageInfo package;
    DriveList drives;
    if (!package.LoadFromFile(WritePackage(images, disk, "Bench").c_str()) || !drives.FindRemovableDrives()) {
        fprintf(stderr, "bench: no package or no floppy drive\n");
        return 1;
    }
    MessageBoxAnswerer prompts([](const MessageBoxCall&) { return IDOK; });
    ImportPatch patch("user32.dll", "SendDlgItemMessageA", (void*)TimedSendDlgItemMessage);
    g_sendPatch = &patch;

    ImportPatch textPatch("user32.dll", "SetDlgItemTextA", (void*)NotingSetDlgItemText);
    g_textPatch = &textPatch;

    const int kRuns = 5;
    std::vector<double> engine, verifying, plain, longestPump, longestVerifyPump;
    for (int run = 0; run < kRuns; ++run) {
        for (BOOL verify : {FALSE, TRUE}) {
            RemoveContents("A:");
            g_pumps.clear();
            g_firstVerifyPump = 0;
            DiskBuilder builder(&package, &drives);
            builder.SetVerify(verify);
            BOOL ok = builder.Build(NULL);
            double end = Now();
            if (!ok || g_pumps.size() < 4 || (verify && g_firstVerifyPump == 0)) {
                fprintf(stderr, "bench: the build failed or showed too little progress\n");
                return 1;
            }
            // From the first refresh of the first file on.
            (verify ? verifying : engine).push_back(end - g_pumps[2]);
            size_t copyEnd = verify ? g_firstVerifyPump : g_pumps.size();
            if (!verify)
                longestPump.push_back(LongestGap(2, copyEnd));
            else
                longestVerifyPump.push_back(LongestGap(g_firstVerifyPump, g_pumps.size()));
        }

        RemoveContents("A:");
        double start = Now();
        for (const auto& f : files)
            CopyFileA((images / f.first).c_str(), ("A:\\" + f.first).c_str(), FALSE);
        plain.push_back(Now() - start);
    }
    // A used floppy as full as its root allows: 224 files of 4 KB.
    std::vector<double> erasing;
    for (int run = 0; run < kRuns; ++run) {
        RemoveContents("A:");
        for (int i = 0; i < 224; ++i)
            WriteFileBytes("A:\\OLD" + std::to_string(i) + ".DAT", std::string(4096, 'o'));
        DestinationFloppy floppy("A:\\");
        DWORD error = 0;
        CString failed;
        double start = Now();
        BOOL erased = floppy.Survey(&error) &&
                      floppy.Erase([](void*, LPCSTR, int) { return TRUE; }, NULL, &failed, &error);
        erasing.push_back(Now() - start);
        if (!erased || !FilesIn("A:").empty()) {
            fprintf(stderr, "bench: the erase failed (error %lu)\n", error);
            return 1;
        }
    }
    RemoveContents("A:");
    DeleteFileA(settings.c_str());

    double kb = total / 1024.0;
    printf("bytes %zu\n", total);
    printf("engine  %.1f ms  %.0f KB/s  (%.0f times the 60 KB/s of a real floppy drive)\n",
           Median(engine) * 1000, kb / Median(engine), kb / Median(engine) / 60);
    printf("engine with verification  %.1f ms: reading back adds %.2f times the copy\n",
           Median(verifying) * 1000, (Median(verifying) - Median(engine)) / Median(engine));
    printf("CopyFileA  %.1f ms  %.0f KB/s\n", Median(plain) * 1000, kb / Median(plain));
    printf("erase of a full floppy of 224 files of 4 KB  %.1f ms (%.2f times the engine's copy)\n",
           Median(erasing) * 1000, Median(erasing) / Median(engine));
    printf("longest time between two message pumps  %.2f ms copying, %.2f ms verifying\n",
           Median(longestPump) * 1000, Median(longestVerifyPump) * 1000);
    return 0;
}
