// Measures QvImage's writer on a package: every disk built in memory,
// written, read back and compared, best of five, timed inside the process
// so that Wine's start is not counted. scripts/bench.sh adds mformat and
// mcopy of the same files for comparison.
//
//   image_bench LIST IMAGES_DIR OUT_DIR
#include <windows.h>

#include <cstdio>

#include "Clock.h"
#include "image/DiskImageWriter.h"
#include "package/PackageInfo.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    PackageInfo package;
    if (!package.LoadFromFile(argv[1]))
        return 2;
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        double start = Now();
        DiskCursor disks(&package);
        DiskInfo* pDisk = NULL;
        while (disks.Next(&pDisk)) {
            FloppyFiles files;
            files.ListDisk(pDisk->m_files, argv[2]);
            CString strImage;
            strImage.Format("%s\\Disk %d.img", argv[3], disks.m_nPosition);
            ImageReport report;
            if (!DiskImageWriter::Write(files, strImage, &report)) {
                printf("%s\n", static_cast<LPCSTR>(report.strProblem));
                return 1;
            }
        }
        double ms = (Now() - start) * 1000;
        if (ms < best)
            best = ms;
    }
    printf("QvImage's writer  %.1f ms for every disk: written, read back and compared (best of 5)\n", best);
    return 0;
}
