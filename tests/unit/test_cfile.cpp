#include <gtest/gtest.h>

#include <string>

#include "ImportPatch.h"
#include "TestFiles.h"
#include "framework/CFile.h"

namespace {
int CauseOf(void (*action)())
{
    try {
        action();
    } catch (CFileException* e) {
        int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return CFileException::none;
}
}  // namespace

TEST(CFile, FailedOpenKeepsTheSystemErrorAndReportsTheCause)
{
    TempDir dir;
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open((dir / "missing.txt").c_str(), CFile::modeRead, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(CFileException::fileNotFound, error.m_cause);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error.m_lOsError);
}

TEST(CFile, DefaultShareModeLocksOthersOut)
{
    TempDir dir;
    std::string path = dir.Write("held.bin", "data");
    CFile first, second;
    ASSERT_TRUE(first.Open(path.c_str(), CFile::modeRead));
    EXPECT_FALSE(second.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
}

TEST(CFile, CreateTruncatesAndWritesAreReadBack)
{
    TempDir dir;
    std::string path = dir.Write("out.bin", "a much longer old content");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Write("new", 3);
        file.Flush();
        file.Close();
    }
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(3u, file.GetLength());
    char buffer[16];
    EXPECT_EQ(3u, file.Read(buffer, sizeof(buffer)));
    EXPECT_EQ(0u, file.Read(buffer, sizeof(buffer)));
}

TEST(CFile, FailuresAreRaisedWithTheirCause)
{
    EXPECT_EQ(CFileException::fileNotFound, CauseOf([] { CFile::Remove("C:\\no such file.qv"); }));
    EXPECT_NE(CFileException::none, CauseOf([] {
                  CFile file;  // never opened
                  file.GetLength();
              }));
}

// Lengths come from GetFileSize, which Windows 95 has: its high word carries
// what does not fit 32 bits, and all-ones in the low word is a failure only
// when the system says so.
namespace {
DWORD g_low, g_high, g_error;
DWORD WINAPI FakeGetFileSize(HANDLE, LPDWORD high)
{
    *high = g_high;
    if (g_error != NO_ERROR)
        SetLastError(g_error);
    return g_low;
}

ULONGLONG LengthReported(DWORD low, DWORD high, DWORD error, DWORD staleError, int* cause)
{
    g_low = low, g_high = high, g_error = error;
    TempDir dir;
    CFile file;
    EXPECT_TRUE(file.Open(dir.Write("any.bin", "").c_str(), CFile::modeRead));
    ImportPatch patch("kernel32.dll", "GetFileSize", (void*)FakeGetFileSize);
    SetLastError(staleError);
    *cause = CFileException::none;
    try {
        return file.GetLength();
    } catch (CFileException* e) {
        *cause = e->m_cause;
        e->Delete();
        return 0;
    }
}
}  // namespace

TEST(CFile, LengthsBeyond32BitsAndTheirAmbiguousLowWord)
{
    int cause;
    EXPECT_EQ(0x100000005ULL, LengthReported(5, 1, NO_ERROR, NO_ERROR, &cause));
    EXPECT_EQ(CFileException::none, cause);
    // 4 GB - 1 and 8 GB - 1: all-ones low words that are lengths, even
    // with an error left over from an earlier call.
    EXPECT_EQ(0xFFFFFFFFULL, LengthReported(INVALID_FILE_SIZE, 0, NO_ERROR, ERROR_ACCESS_DENIED, &cause));
    EXPECT_EQ(CFileException::none, cause);
    EXPECT_EQ(0x1FFFFFFFFULL, LengthReported(INVALID_FILE_SIZE, 1, NO_ERROR, ERROR_ACCESS_DENIED, &cause));
    EXPECT_EQ(CFileException::none, cause);
    LengthReported(INVALID_FILE_SIZE, 0, ERROR_INVALID_HANDLE, NO_ERROR, &cause);
    EXPECT_EQ(CFileException::fileNotFound, cause);
}

TEST(CFile, OsErrorsMapToTheFrameworkCauses)
{
    EXPECT_EQ(CFileException::diskFull, CFileException::OsErrorToException(ERROR_DISK_FULL));
    EXPECT_EQ(CFileException::diskFull, CFileException::OsErrorToException(ERROR_HANDLE_DISK_FULL));
    EXPECT_EQ(CFileException::accessDenied, CFileException::OsErrorToException(ERROR_WRITE_PROTECT));
    EXPECT_EQ(CFileException::sharingViolation,
              CFileException::OsErrorToException(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(CFileException::hardIO, CFileException::OsErrorToException(ERROR_NOT_READY));
    EXPECT_EQ(CFileException::genericException, CFileException::OsErrorToException(12345));
}

// A: is a 1.44 MB tmpfs in the test prefix, so this is a real full disk.
TEST(CFile, WritingPastAFullFloppyRaisesDiskFull)
{
    const char* path = "A:\\filler.bin";
    int cause = CFileException::none;
    {
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeCreate | CFile::modeWrite));
        static char block[32768];
        try {
            for (int i = 0; i < 64; ++i) {  // 2 MB
                file.Write(block, sizeof(block));
                file.Flush();
            }
        } catch (CFileException* e) {
            cause = e->m_cause;
            e->Delete();
        }
    }
    DeleteFileA(path);
    EXPECT_EQ(CFileException::diskFull, cause);
}
