// The image writer leaves a finished image or nothing new, and an older
// image of the same name survives every failure.
#include <gtest/gtest.h>

#include <cstring>

#include "ImportPatch.h"
#include "TestFiles.h"
#include "image/DiskImageWriter.h"
#include "image/EmulatorStick.h"
#include "image/Fat12Image.h"
#include "package/PackageInfo.h"
#include "tools/ConsoleTool.h"

namespace {
ImportPatch* g_patch;

bool IsTemporary(LPCSTR path)
{
    size_t n = strlen(path);
    return n > 4 && lstrcmpiA(path + n - 4, ".tmp") == 0;
}

// The temporary image is gone by the time it is to be read back.
HANDLE WINAPI VanishingCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                  DWORD disposition, DWORD flags, HANDLE tmpl)
{
    if (access == GENERIC_READ && IsTemporary(path))
        DeleteFileA(path);
    return g_patch->Original<decltype(&CreateFileA)>()(path, access, share, sa, disposition, flags, tmpl);
}

BOOL WINAPI RefusedMoveFile(LPCSTR from, LPCSTR to)
{
    if (IsTemporary(from)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return g_patch->Original<decltype(&MoveFileA)>()(from, to);
}

// A byte of the second file goes wrong on its way to the disk.
BOOL WINAPI GarblingWriteFile(HANDLE h, LPCVOID data, DWORD n, LPDWORD written, LPOVERLAPPED ov)
{
    std::string bytes(static_cast<const char*>(data), n);
    const DWORD kByte127OfB = 33 * 512 + 63 * 512 + 127;  // after the root and A's 63 clusters
    if (n > kByte127OfB)
        bytes[kByte127OfB] ^= 1;
    return g_patch->Original<decltype(&WriteFile)>()(h, bytes.data(), n, written, ov);
}
}  // namespace

TEST(DiskImageWriter, LeavesAFinishedImageOrNothingNew)
{
    const struct {
        const char* what;
        const char* function;
        const void* replacement;
        const char* problem;  // NULL: the image is written
    } cases[] = {
        {"nothing goes wrong", NULL, NULL, NULL},
        {"the image vanishes before it is read back", "CreateFileA", (void*)VanishingCreateFile,
         "cannot be read back"},
        {"a byte goes wrong on the way to the disk", "WriteFile", (void*)GarblingWriteFile,
         "B.BIN differs from its source at byte 127"},
        {"the finished image cannot take its name", "MoveFileA", (void*)RefusedMoveFile, "cannot be renamed"},
    };
    TempDir dir;
    FloppyFiles files;
    files.Put("A.BIN", dir.Write("A.BIN", std::string(32000, 'a')).c_str());
    files.Put("B.BIN", dir.Write("B.BIN", std::string(500, 'b')).c_str());
    std::string image = dir / "Disk 1 - Corvela.img";
    for (const auto& c : cases) {
        WriteFileBytes(image, "an older image");
        ImageReport report;
        BOOL bWritten;
        {
            ImportPatch* patch = c.function ? new ImportPatch("kernel32.dll", c.function, c.replacement) : NULL;
            g_patch = patch;
            bWritten = DiskImageWriter::Write(files, image.c_str(), &report);
            delete patch;
        }
        std::map<std::string, std::string> left = FilesIn(dir.Path());
        EXPECT_EQ(3u, left.size()) << c.what << ": nothing else is left behind";
        if (c.problem == NULL) {
            EXPECT_TRUE(bWritten) << c.what << ": " << static_cast<LPCSTR>(report.strProblem);
            EXPECT_EQ(1474560u, left["Disk 1 - Corvela.img"].size()) << c.what;
            EXPECT_EQ(64u * 512, report.nUsedBytes) << c.what;
        } else {
            EXPECT_FALSE(bWritten) << c.what;
            EXPECT_NE(nullptr, strstr(report.strProblem, c.problem)) << c.what << ": " << static_cast<LPCSTR>(report.strProblem);
            EXPECT_TRUE(ReadFileBytes(image) == "an older image") << c.what << ": the older image is gone";
        }
    }
}

// Memory running out at any allocation of a write ends a console tool with
// exit code 2, and neither a temporary image nor the older one's set-aside
// copy is left; the older image stays.
TEST(DiskImageWriter, RunningOutOfMemoryEndsTheToolWithNothingLeftBehind)
{
    TempDir dir;
    FloppyFiles files;
    files.Put("A.BIN", dir.Write("A.BIN", std::string(32000, 'a')).c_str());
    files.Put("a long name.txt", dir.Write("a long name.txt", "b").c_str());
    const std::string image = dir / "Disk 1 - Corvela.img";
    for (int allowed = 0;; ++allowed) {
        ASSERT_LT(allowed, 1000) << "an image should be written with this many allocations";
        WriteFileBytes(image, "an older image");
        int result;
        bool failed;
        {
            AllocationFailure failure(allowed);
            result = RunTool([&] {
                ImageReport report;
                return DiskImageWriter::Write(files, image.c_str(), &report) ? kToolClean : 3;
            });
            failed = failure.Happened();
        }
        std::map<std::string, std::string> left = FilesIn(dir.Path());
        ASSERT_EQ(3u, left.size()) << "allocation " << allowed << " failed: nothing else is left behind";
        if (!failed) {
            EXPECT_EQ(kToolClean, result);
            EXPECT_EQ(1474560u, left["Disk 1 - Corvela.img"].size());
            break;
        }
        ASSERT_EQ(kToolNotLoaded, result) << "allocation " << allowed << " failed";
        ASSERT_EQ("an older image", left["Disk 1 - Corvela.img"]) << "allocation " << allowed << " failed";
    }
}

// Two entries of one name, of the same length: the image holds the later
// file under the earlier name, and was read back against the later source.
TEST(DiskImageWriter, ALaterFileOfTheSameNameReplacesTheEarlier)
{
    TempDir dir;
    PackageInfo package;
    ASSERT_TRUE(package.LoadFromFile(
        WritePackage(dir, {{{"a\\setup.bin", SampleBytes(40000, 1)}, {"b\\SETUP.BIN", SampleBytes(40000, 2)}}})
            .c_str()));
    DiskInfo* disk = NULL;
    ASSERT_TRUE(DiskCursor(&package).Next(&disk));
    FloppyFiles files;
    files.ListDisk(disk->m_files, dir.Path().c_str());
    const std::string image = dir / "Disk 1 - Corvela.img";
    ImageReport report;
    ASSERT_TRUE(DiskImageWriter::Write(files, image.c_str(), &report)) << static_cast<LPCSTR>(report.strProblem);
    ASSERT_EQ(1, report.names.GetSize());
    EXPECT_STREQ("setup.bin", report.names[0]);
    Fat12ImageFile written(image.c_str());
    DWORD error = 0;
    ASSERT_TRUE(written.Open(&error)) << error;
    Fat12FileReader copy(written, "setup.bin");
    EXPECT_EQ(kCompareSame, FileComparer::Compare((dir / "b\\SETUP.BIN").c_str(), copy).result);
}

TEST(DiskImageWriter, WritesEachFormatOverAReadOnlyOlderImage)
{
    const struct {
        const char* format;
        size_t bytes;
        ULONGLONG used;  // 32,000 and 500 bytes in whole clusters
        BOOL bReadOnly;
    } rows[] = {
        {"720", 737280, 32 * 1024 + 1024, TRUE},   {"1200", 1228800, 63 * 512 + 512, FALSE},
        {"1440", 1474560, 63 * 512 + 512, TRUE},  {"1680", 1720320, 16 * 2048 + 2048, FALSE},
        {"2880", 2949120, 32 * 1024 + 1024, TRUE},
    };
    TempDir dir;
    FloppyFiles files;
    files.Put("A.BIN", dir.Write("A.BIN", SampleBytes(32000, 1)).c_str());
    files.Put("B.BIN", dir.Write("B.BIN", SampleBytes(500, 2)).c_str());
    std::string image = dir / "DSKA0000.IMG";
    for (const auto& row : rows) {
        WriteFileBytes(image, "an older image, protected");
        SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_READONLY);
        ImageReport report;
        EXPECT_TRUE(DiskImageWriter::Write(files, image.c_str(), &report, *FloppyFormat::Find(row.format),
                                           row.bReadOnly))
            << row.format << ": " << static_cast<LPCSTR>(report.strProblem);
        DWORD dwAttributes = GetFileAttributesA(image.c_str());
        SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::map<std::string, std::string> left = FilesIn(dir.Path());
        EXPECT_EQ(3u, left.size()) << row.format << ": nothing else is left behind";
        EXPECT_EQ(row.bytes, left["DSKA0000.IMG"].size()) << row.format;
        EXPECT_EQ(row.used, report.nUsedBytes) << row.format;
        EXPECT_EQ(row.bReadOnly, (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0) << row.format;
        Fat12ImageFile written(image.c_str());
        DWORD dwError = 0;
        ASSERT_TRUE(written.Open(&dwError)) << row.format << ": " << dwError;
        EXPECT_STREQ(row.format, std::to_string(written.GetFormat().nKilobytes).c_str());
    }
}

TEST(EmulatorStick, AConfigurationAsksForIndexedNavigationByItsLastWordOnIt)
{
    const struct {
        const char* text;
        bool indexed;
    } cases[] = {
        {"nav-mode = indexed\r\n", true},
        {"# by hand\r\nNAV-MODE= Indexed  # numbered", true},
        {"nav-mode=indexed\nnav-mode=native", false},
        {"# nav-mode = indexed\r\n", false},
        {"interface = shugart\r\n", false},
        {"nav-mode = indexed-ish", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.indexed, EmulatorStick::SetsIndexedNavigation(c.text)) << c.text;
}
