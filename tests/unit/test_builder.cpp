#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "GuiTest.h"
#include "Screenshot.h"
#include "TestFiles.h"
#include <algorithm>

#include "builder/DiskBuilder.h"
#include "res/resource.h"

namespace {
std::string Str(UINT id)
{
    CString s;
    s.LoadString(id);
    return static_cast<LPCSTR>(s);
}
using Floppy = std::map<std::string, std::string>;
const std::string kInsert = "\n\nPlease make sure there is a blank, formatted, 1.44MB floppy disk "
                            "in the drive and click the OK button.";

// What the engine did, recorded where it meets the system; and faults to
// inject there. Everything passes through to the real function by default.
struct FreeSpace {
    BOOL ok;
    DWORD error, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
};
struct FreeSpaceEx {  // GetDiskFreeSpaceExA's answer, in bytes
    BOOL ok;
    ULONGLONG available, total, free;
};
struct Boundary {
    std::vector<INT_PTR> dialogResults;
    std::vector<std::string> diskLines, fileLines;
    std::vector<int> positions;
    int startTimers = 0;
    bool failTimer = false;
    // While space is faked, GetDiskFreeSpaceExA is as on a system without
    // it, unless spaceEx holds its answers too.
    std::deque<FreeSpace> space;
    std::deque<FreeSpaceEx> spaceEx;
    bool spaceFaked = false;
    int failCreates = 0;
    DWORD createError = 0;
    int sourceOpens = 0;
    int failReads = 0, failWrites = 0, failFlushes = 0;
    DWORD writeError = 0;
    bool shortWrite = false, lengthFails = false, closeFails = false, flushOutOfMemory = false;
    LONGLONG lengthDelta = 0;
    bool hollowCopy = false;  // reads and writes move no bytes, so any length is quick
    HANDLE destination = NULL;
    // Reading the floppy back: the handle, how often it was opened past the
    // cache, and faults there.
    HANDLE floppyReader = NULL;
    int floppyReads = 0, unbufferedOpens = 0;
    bool refuseUnbuffered = false, shortFloppyRead = false, floppyEndsEarly = false;
    int failFloppyReads = 0;
    std::string imagesDir;
    std::function<void()> onFullBar;  // runs when a file's bar reaches 100 %
    std::function<void(int)> onPosition;
    std::function<void(const std::string&)> onFileLine;
    // Times the system refuses to set: those before or at this local year
    // (kept, when 0) or after the other.
    int refuseUpTo = 0, refuseFrom = 99999;
    std::vector<FILETIME> timesSet;  // the last write of each SetFileTime asked
    std::deque<DWORD> serials;       // volume serial numbers, in turn, while any are left
    int deletesAllowed = -1;         // DeleteFileA fails once this many have succeeded
    std::string unaddressable;       // a long name DeleteFileA cannot reach
    LONGLONG misstoreOnce = 0;       // seconds the next time set is stored off by
} g;

ImportPatch* g_patches[15];
template <class F>
F Real(int i)
{
    return g_patches[i]->Original<F>();
}

BOOL WINAPI FakeEndDialog(HWND hwnd, INT_PTR result)
{
    g.dialogResults.push_back(result);
    return Real<decltype(&EndDialog)>(0)(hwnd, result);
}
BOOL WINAPI FakeSetDlgItemText(HWND hwnd, int id, LPCSTR text)
{
    (id == IDC_DISK_LINE ? g.diskLines : g.fileLines).push_back(text);
    if (id == IDC_FILE_LINE && g.onFileLine)
        g.onFileLine(text);
    return Real<decltype(&SetDlgItemTextA)>(1)(hwnd, id, text);
}
LRESULT WINAPI FakeSendDlgItemMessage(HWND hwnd, int id, UINT msg, WPARAM w, LPARAM l)
{
    LRESULT r = Real<decltype(&SendDlgItemMessageA)>(2)(hwnd, id, msg, w, l);
    if (msg == PBM_SETPOS) {
        g.positions.push_back(static_cast<int>(w));
        if (g.onPosition)
            g.onPosition(static_cast<int>(w));
        if (w == 100 && g.onFullBar)
            g.onFullBar();
    }
    return r;
}
UINT_PTR WINAPI FakeSetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    if (id == 8466) {
        ++g.startTimers;
        if (g.failTimer)
            return 0;
    }
    return Real<decltype(&SetTimer)>(3)(hwnd, id, elapse, proc);
}
BOOL WINAPI FakeGetDiskFreeSpace(LPCSTR root, LPDWORD spc, LPDWORD bps, LPDWORD fc, LPDWORD tc)
{
    g.spaceFaked = !g.space.empty();
    if (g.space.empty())
        return Real<decltype(&GetDiskFreeSpaceA)>(4)(root, spc, bps, fc, tc);
    FreeSpace s = g.space.front();
    g.space.pop_front();
    *spc = s.sectorsPerCluster, *bps = s.bytesPerSector, *fc = s.freeClusters, *tc = s.totalClusters;
    SetLastError(s.error);
    return s.ok;
}
HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                             DWORD disposition, DWORD flags, HANDLE tmpl)
{
    char drive = static_cast<char>(toupper(static_cast<unsigned char>(path[0])));
    bool toFloppy = (drive == 'A' || drive == 'B') && path[1] == ':' && (access & GENERIC_WRITE);
    if (toFloppy && g.failCreates > 0) {
        --g.failCreates;
        SetLastError(g.createError);
        return INVALID_HANDLE_VALUE;
    }
    if (!g.imagesDir.empty() && std::string(path).rfind(g.imagesDir, 0) == 0)
        ++g.sourceOpens;
    bool fromFloppy = _strnicmp(path, "A:\\", 3) == 0 && !(access & GENERIC_WRITE);
    if (fromFloppy && (flags & FILE_FLAG_NO_BUFFERING)) {
        ++g.unbufferedOpens;
        if (g.refuseUnbuffered) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
    }
    HANDLE h = Real<decltype(&CreateFileA)>(5)(path, access, share, sa, disposition, flags, tmpl);
    if (toFloppy)
        g.destination = h;
    if (fromFloppy)
        g.floppyReader = h;
    return h;
}
BOOL WINAPI FakeReadFile(HANDLE h, LPVOID buf, DWORD n, LPDWORD read, LPOVERLAPPED ov)
{
    if (g.hollowCopy && h != g.destination) {
        *read = n;
        return TRUE;
    }
    if (h == g.floppyReader) {
        ++g.floppyReads;
        if (g.failFloppyReads > 0) {
            --g.failFloppyReads;
            SetLastError(ERROR_CRC);
            return FALSE;
        }
        if (g.floppyEndsEarly) {
            g.floppyEndsEarly = false;
            *read = 0;
            return TRUE;
        }
        if (g.shortFloppyRead) {
            g.shortFloppyRead = false;
            n = n > 1000 ? 1000 : n / 2;
        }
    }
    if (g.failReads > 0 && h != g.destination && h != g.floppyReader) {
        --g.failReads;
        SetLastError(ERROR_CRC);
        return FALSE;
    }
    return Real<decltype(&ReadFile)>(6)(h, buf, n, read, ov);
}
BOOL WINAPI FakeWriteFile(HANDLE h, LPCVOID buf, DWORD n, LPDWORD written, LPOVERLAPPED ov)
{
    if (h == g.destination && g.hollowCopy) {
        *written = n;
        return TRUE;
    }
    if (h == g.destination && g.failWrites > 0) {
        --g.failWrites;
        if (g.shortWrite)
            return Real<decltype(&WriteFile)>(7)(h, buf, n / 2, written, ov);
        SetLastError(g.writeError);
        return FALSE;
    }
    return Real<decltype(&WriteFile)>(7)(h, buf, n, written, ov);
}
BOOL WINAPI FakeFlush(HANDLE h)
{
    if (h == g.destination && g.flushOutOfMemory)
        throw new CMemoryException;
    if (h == g.destination && g.failFlushes > 0) {
        --g.failFlushes;
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return Real<decltype(&FlushFileBuffers)>(8)(h);
}
BOOL WINAPI FakeGetDiskFreeSpaceEx(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                   PULARGE_INTEGER free)
{
    FreeSpaceEx s = g.spaceEx.front();
    g.spaceEx.pop_front();
    available->QuadPart = s.available, total->QuadPart = s.total, free->QuadPart = s.free;
    return s.ok;
}
FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (g.spaceFaked && HIWORD(name) != 0 && strcmp(name, "GetDiskFreeSpaceExA") == 0) {
        if (g.spaceEx.empty()) {
            SetLastError(ERROR_PROC_NOT_FOUND);
            return NULL;
        }
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(FakeGetDiskFreeSpaceEx));
    }
    return Real<decltype(&GetProcAddress)>(11)(module, name);
}
// Only the engine asks for the high word; the test's own helpers, reading
// what landed on the floppy, do not and see the true lengths.
DWORD WINAPI FakeGetFileSize(HANDLE h, LPDWORD high)
{
    if (high == NULL)
        return Real<decltype(&GetFileSize)>(9)(h, high);
    if (g.lengthFails) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    DWORD realHigh = 0;
    DWORD low = Real<decltype(&GetFileSize)>(9)(h, &realHigh);
    ULONGLONG length = ((static_cast<ULONGLONG>(realHigh) << 32) | low) + g.lengthDelta;
    *high = static_cast<DWORD>(length >> 32);
    return static_cast<DWORD>(length);
}
BOOL WINAPI FakeCloseHandle(HANDLE h)
{
    BOOL ok = Real<decltype(&CloseHandle)>(10)(h);
    if (h == g.destination && g.closeFails) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return ok;
}
BOOL WINAPI FakeSetFileTime(HANDLE h, const FILETIME* created, const FILETIME* accessed, const FILETIME* written)
{
    g.timesSet.push_back(*written);
    FILETIME local;
    SYSTEMTIME time;
    FileTimeToLocalFileTime(written, &local);
    FileTimeToSystemTime(&local, &time);
    if (time.wYear <= g.refuseUpTo || time.wYear >= g.refuseFrom) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FILETIME stored = AddSeconds(*written, g.misstoreOnce);
    g.misstoreOnce = 0;
    return Real<decltype(&SetFileTime)>(12)(h, created, accessed, &stored);
}
BOOL WINAPI FakeGetVolumeInformation(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD serial, LPDWORD length,
                                     LPDWORD flags, LPSTR fs, DWORD fsSize)
{
    BOOL ok = Real<decltype(&GetVolumeInformationA)>(13)(root, label, labelSize, serial, length, flags, fs, fsSize);
    if (g.serials.empty() || serial == NULL)
        return ok;
    *serial = g.serials.front();
    if (g.serials.size() > 1)
        g.serials.pop_front();
    return TRUE;
}
BOOL WINAPI FakeDeleteFile(LPCSTR path)
{
    if (g.deletesAllowed == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!g.unaddressable.empty() && strstr(path, g.unaddressable.c_str()) != NULL) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (g.deletesAllowed > 0)
        --g.deletesAllowed;
    return Real<decltype(&DeleteFileA)>(14)(path);
}

bool StartsWith(const std::string& s, const std::string& prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}
}  // namespace

// The engine in this test program, on the real floppy A: of the test prefix.
class Engine : public ::testing::Test {
protected:
    void SetUp() override
    {
        g = Boundary();
        const std::pair<const char*, const void*> fakes[] = {
            {"EndDialog", (void*)FakeEndDialog},
            {"SetDlgItemTextA", (void*)FakeSetDlgItemText},
            {"SendDlgItemMessageA", (void*)FakeSendDlgItemMessage},
            {"SetTimer", (void*)FakeSetTimer},
            {"GetDiskFreeSpaceA", (void*)FakeGetDiskFreeSpace},
            {"CreateFileA", (void*)FakeCreateFile},
            {"ReadFile", (void*)FakeReadFile},
            {"WriteFile", (void*)FakeWriteFile},
            {"FlushFileBuffers", (void*)FakeFlush},
            {"GetFileSize", (void*)FakeGetFileSize},
            {"CloseHandle", (void*)FakeCloseHandle},
            {"GetProcAddress", (void*)FakeGetProcAddress},
            {"SetFileTime", (void*)FakeSetFileTime},
            {"GetVolumeInformationA", (void*)FakeGetVolumeInformation},
            {"DeleteFileA", (void*)FakeDeleteFile},
        };
        for (int i = 0; i < 15; ++i)
            g_patches[i] = new ImportPatch(i < 4 ? "user32.dll" : "kernel32.dll", fakes[i].first,
                                           fakes[i].second);
        RemoveContents("A:");
        WriteFileBytes(settings, "[Paths]\r\nDiskImages=" + images.Path() + "\r\n");
        g.imagesDir = images.Path();
        ASSERT_TRUE(drives.FindRemovableDrives());
    }
    void TearDown() override
    {
        for (ImportPatch*& p : g_patches)
            delete p, p = NULL;
        DeleteFileA(settings.c_str());
        RemoveContents("A:");
    }

    void MakePackage(const PackageFiles& disks)
    {
        ASSERT_TRUE(package.LoadFromFile(WritePackage(images, disks).c_str()));
    }

    // Builds with every message box answered by answer(); returns how the
    // progress dialog ended. The insert-disk prompt is always answered OK.
    INT_PTR Build(std::function<int(const MessageBoxCall&)> answer)
    {
        MessageBoxAnswerer answerer([&](const MessageBoxCall& box) {
            if (!StartsWith(box.text, "Please label"))
                return answer(box);
            if (atPrompt)
                atPrompt(box);
            return IDOK;
        });
        g.sourceOpens = 0;
        DiskBuilder builder(&package, &drives);
        builder.SetVerify(verify);
        builder.SetEraseUsed(eraseUsed);
        BOOL built = builder.Build(NULL);
        boxes = answerer.calls;
        EXPECT_EQ(1u, g.dialogResults.size());
        INT_PTR result = g.dialogResults.empty() ? -1 : g.dialogResults.back();
        EXPECT_EQ(built, result == IDOK);
        return result;
    }
    // The boxes other than the insert-disk prompts.
    std::vector<MessageBoxCall> Problems() const
    {
        std::vector<MessageBoxCall> problems;
        for (const MessageBoxCall& box : boxes)
            if (!StartsWith(box.text, "Please label"))
                problems.push_back(box);
        return problems;
    }

    TempDir images;
    std::string settings = TestProgramDirectory() + "\\Quorvane.ini";
    PackageInfo package;
    DriveList drives;
    std::vector<MessageBoxCall> boxes;
    std::function<void(const MessageBoxCall&)> atPrompt;  // the user's doing at a prompt
    bool verify = true;
    bool eraseUsed = false;
};

TEST_F(Engine, TwoDisksAreWrittenWithTheirContentsAndTimes)
{
    std::string setup = std::string(70000, 's') + "end", cab(100000, 'c');
    MakePackage({{{"disk1\\setup.exe", setup}, {"disk1\\setup.ini", "[Setup]"}},
                 {{"disk2\\data.cab", cab}}});
    FILETIME created = {0x1000000, 0x1B0A000}, accessed = {0x2000000, 0x1B0B000},
             written = {0x3000000, 0x1B0A800};
    for (const char* f : {"disk1\\setup.exe", "disk1\\setup.ini", "disk2\\data.cab"}) {
        HANDLE h = CreateFileA((images / f).c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        SetFileTime(h, &created, &accessed, &written);
        CloseHandle(h);
    }
    verify = false;  // reading the copies back would move their access times
    g.onPosition = [](int percent) {
        if (percent == 46)
            SaveScreenshot("copying-files");
    };
    std::vector<std::map<std::string, std::string>> floppies;
    atPrompt = [&](const MessageBoxCall&) {  // the user takes out the written floppy
        if (!FilesIn("A:").empty()) {
            floppies.push_back(FilesIn("A:"));
            RemoveContents("A:");
        }
    };
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    // Before anything reads the copy (which may move its access time).
    // The engine reads the source's times after the copy, when reading it
    // may have moved its access time; Linux keeps no separate creation time.
    auto times = [](const std::string& path) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        std::vector<FILETIME> t(3);
        GetFileTime(h, &t[0], &t[1], &t[2]);
        CloseHandle(h);
        return t;
    };
    std::vector<FILETIME> source = times(images / "disk2\\data.cab"), copy = times("A:\\data.cab");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(0, CompareFileTime(&source[i], &copy[i])) << "time " << i;
    EXPECT_EQ(0, CompareFileTime(&written, &copy[2]));
    floppies.push_back(FilesIn("A:"));
    ASSERT_EQ(2u, floppies.size());
    EXPECT_EQ((std::map<std::string, std::string>{{"setup.exe", setup}, {"setup.ini", "[Setup]"}}),
              floppies[0]);
    EXPECT_EQ((std::map<std::string, std::string>{{"data.cab", cab}}), floppies[1]);

    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Please label a blank, formatted 1.44MB floppy disk 'Disk 1 - Corvela' and place it "
              "in drive A:.",
              boxes[0].text);
    EXPECT_EQ("Pellandor's disk maker", boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), boxes[0].type);
    EXPECT_NE(std::string::npos, boxes[1].text.find("'Disk 2 - Corvela'"));

}

TEST_F(Engine, OnlyChosenDisksAreBuiltUnderTheirOwnNumbers)
{
    MakePackage({{{"a.txt", "a"}}, {{"b.txt", "b"}}, {{"c.txt", "c"}}});
    DiskCursor disks(&package);
    DiskInfo* disk;
    for (int k = 0; disks.Next(&disk); ++k)
        disk->m_bChosen = k != 1;
    atPrompt = [](const MessageBoxCall&) { RemoveContents("A:"); };  // the written floppy taken out
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    ASSERT_EQ(2u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].text.find("'Disk 1 - Corvela'"));
    EXPECT_NE(std::string::npos, boxes[1].text.find("'Disk 3 - Corvela'"));
    EXPECT_EQ("Creating Disk 3 - Corvela", g.diskLines.back());
    EXPECT_EQ((Floppy{{"c.txt", "c"}}), FilesIn("A:"));

    for (disks.Reset(); disks.Next(&disk);)
        disk->m_bChosen = FALSE;
    g = Boundary();
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_TRUE(boxes.empty()) << "no chosen disk: no prompt, no check";
}

TEST_F(Engine, EmptyFilesAndSharedBaseNames)
{
    MakePackage({{{"empty.txt", ""}, {"a\\readme.txt", "first"}, {"b\\readme.txt", "second"}}});
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_EQ((std::map<std::string, std::string>{{"empty.txt", ""}, {"readme.txt", "second"}}),
              FilesIn("A:"));
    // The disk starts with an empty line and bar; each file starts at 0 %,
    // copying and then reading back the one that stayed.
    EXPECT_EQ((std::vector<std::string>{"", "", "Copying empty.txt", "Copying a\\readme.txt",
                                        "Copying a\\readme.txt", "Copying b\\readme.txt",
                                        "Copying b\\readme.txt", "Verifying empty.txt",
                                        "Verifying b\\readme.txt", "Verifying b\\readme.txt"}),
              g.fileLines);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 100, 0, 100, 0, 0, 100}), g.positions);
}

// Same length, names differing only in case: only the bytes tell which
// file stayed, and verification must read back the one that did.
TEST_F(Engine, ALaterFileOfTheSameNameIsWrittenAndVerifiedInPlaceOfTheEarlier)
{
    const std::string first = SampleBytes(40000, 1), second = SampleBytes(40000, 2);
    MakePackage({{{"a\\setup.bin", first}, {"b\\SETUP.BIN", second}}});
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_TRUE(Problems().empty());
    EXPECT_EQ((std::map<std::string, std::string>{{"setup.bin", second}}), FilesIn("A:"));
    auto verified = [](const char* line) { return std::count(g.fileLines.begin(), g.fileLines.end(), line); };
    EXPECT_EQ(0, verified("Verifying a\\setup.bin"));
    EXPECT_LT(0, verified("Verifying b\\SETUP.BIN"));
}

// A file lands where one lookup of its name takes it on a FAT floppy, even
// on one that keeps no aliases, and is read back there.
TEST_F(Engine, FilesLandInTheSlotsOfTheFloppyRule)
{
    const struct {
        PackageFiles disks;
        std::map<std::string, std::string> floppy;
    } rows[] = {
        {{{{"Long file 1.txt", "first"}, {"LONGFI~1.TXT", "second"}}}, {{"Long file 1.txt", "second"}}},
        {{{{"LONGFI~1.TXT", "first"}, {"Long file 1.txt", "second"}}},
         {{"LONGFI~1.TXT", "first"}, {"Long file 1.txt", "second"}}},
        {{{{"a\\readme.", "first"}, {"b\\readme", "second"}}}, {{"readme", "second"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.disks[0][0].first);
        g = Boundary();
        RemoveContents("A:");
        MakePackage(row.disks);
        EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
        EXPECT_TRUE(Problems().empty()) << "every file verified";
        EXPECT_EQ(row.floppy, FilesIn("A:"));
    }
    // A device name would open the device: the build ends there, as when
    // the floppy refuses a file.
    g = Boundary();
    RemoveContents("A:");
    MakePackage({{{"a.txt", "a"}, {"sub\\NUL.TXT", "n"}}});
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_CANNOT_CREATE_OUTPUT), Problems()[0].text);
}

TEST_F(Engine, FullFloppyThenIgnoreLeavesNoPartialFile)
{
    MakePackage({{{"big.bin", std::string(1600000, 'b')}, {"small.txt", "small"}}});
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDIGNORE; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_DISK_FULL) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION), Problems()[0].type);
    EXPECT_EQ((std::map<std::string, std::string>{{"small.txt", "small"}}), FilesIn("A:"));
}

// Anything of the user's in the root makes a floppy used, however little
// of it there is (one small note is played end to end); what the system
// itself keeps there does not.
TEST_F(Engine, AFloppyIsBlankOnlyWithNothingOfTheUsersOnIt)
{
    const struct {
        const char* name;
        std::function<void()> put;
        bool blank;
    } cases[] = {
        {"an empty folder", [] { CreateDirectoryA("A:\\letters", NULL); }, false},
        {"what the system keeps", [] { CreateDirectoryA("A:\\System Volume Information", NULL); }, true},
    };
    MakePackage({{{"a.txt", "a"}}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        c.put();
        EXPECT_EQ(c.blank ? IDOK : IDABORT, Build([](const MessageBoxCall&) { return IDCANCEL; }));
        ASSERT_EQ(c.blank ? 0u : 1u, Problems().size());
        if (!c.blank) {
            EXPECT_EQ(Str(IDS_DISK_NOT_BLANK) + kInsert, Problems()[0].text);
        }
    }
}

TEST_F(Engine, SourceProblemsOfferAbortRetryIgnore)
{
    MakePackage({{{"a.txt", "a"}, {"missing.txt", kNoFile}, {"held.txt", "h"}, {"z.txt", "z"}}});
    HANDLE held = CreateFileA((images / "held.txt").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    // Ignore the missing file, then abort at the one held open.
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall& box) {
        return box.text.find("find") != std::string::npos ? IDIGNORE : IDABORT;
    }));
    CloseHandle(held);
    ASSERT_EQ(2u, Problems().size());
    EXPECT_EQ(Str(IDS_SOURCE_NOT_FOUND) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[0].text);
    EXPECT_EQ(Str(IDS_SOURCE_NOT_OPENED) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[1].text);
    EXPECT_EQ("Pellandor's disk maker", Problems()[1].caption);
    EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a"}}), FilesIn("A:"))
        << "files copied before the abort stay";
}

TEST_F(Engine, FloppyCheckBoundaries)
{
    struct Case {
        DWORD spc, bps, freeClusters, total;
        UINT reason;  // 0: accepted without a box
    } cases[] = {
        {1, 512, 2847, 2848, 0},                   // freshly formatted, one cluster in use
        {1, 512, 2846, 2848, IDS_DISK_NOT_BLANK},  // two clusters in use
        {1, 1, 1430000, 1430001, 0},               // exactly the minimum free
        {1, 1, 1429999, 1430000, IDS_DISK_TOO_SMALL},
        {1, 512, 100, 2848, IDS_DISK_NOT_BLANK},   // used and small
        {64, 512, 131072, 131073, 0},              // a large medium: 4 GB overflows 32 bits
    };
    MakePackage({{{"a.txt", "a"}}});
    for (const Case& c : cases) {
        g = Boundary();
        g.space.push_back({TRUE, 0, c.spc, c.bps, c.freeClusters, c.total});
        INT_PTR result = Build([](const MessageBoxCall&) { return IDCANCEL; });
        if (c.reason == 0) {
            EXPECT_EQ(IDOK, result) << c.freeClusters;
            EXPECT_TRUE(Problems().empty());
        } else {
            EXPECT_EQ(IDABORT, result) << c.freeClusters;
            ASSERT_EQ(1u, Problems().size());
            EXPECT_EQ(Str(c.reason) + kInsert, Problems()[0].text);
            EXPECT_EQ("Pellandor's disk maker", Problems()[0].caption);
        }
        RemoveContents("A:");
    }
}

// Only a floppy, by its clusters, is offered for erasing; GetDiskFreeSpaceExA's
// total may be the user's quota. A medium whose clusters are in use with
// nothing on it gets the box with the reason, not a question that cannot help.
TEST_F(Engine, OnlyAFloppyIsOfferedForErasing)
{
    const ULONGLONG MB = 1ULL << 20;
    struct Case {
        const char* name;
        FreeSpace space;
        bool note, question;
        std::string why;
    } cases[] = {
        {"2,949,120 bytes", {TRUE, 0, 1, 512, 5000, 5760}, true, true, ""},
        {"one byte more", {TRUE, 0, 1, 1, 2000000, 2949121}, true, false, ""},
        {"a card of 256 MB, a quota of 2 MB", {TRUE, 0, 64, 512, 8000, 8192}, true, false, ""},
        {"lost clusters", {TRUE, 0, 1, 512, 2000, 2848}, false, false,
         "  It holds no files or folders, yet 434,176 bytes are in use; only formatting can empty it."},
    };
    MakePackage({{{"a.txt", "a"}}});
    eraseUsed = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        if (c.note)
            WriteFileBytes("A:\\NOTES.TXT", SampleBytes(400, 3));
        g.space = {c.space, c.space};
        g.spaceEx = {{TRUE, MB, 2 * MB, MB}};
        EXPECT_EQ(IDABORT, Build([](const MessageBoxCall& box) {
            return box.type == (MB_YESNO | MB_ICONEXCLAMATION) ? IDNO : IDCANCEL;
        }));
        ASSERT_EQ(c.question ? 2u : 1u, Problems().size());
        EXPECT_EQ(Str(IDS_DISK_NOT_BLANK) + c.why + kInsert, Problems().back().text);
        EXPECT_EQ(c.note, FileExists("A:\\NOTES.TXT"));
    }
}

TEST_F(Engine, NotReadyIsForgivenOncePerDisk)
{
    MakePackage({{{"a.txt", "a"}}, {{"b.txt", "b"}}});
    const FreeSpace notReady = {FALSE, ERROR_NOT_READY, 0, 0, 0, 0};
    const FreeSpace blank = {TRUE, 0, 1, 512, 2847, 2848};
    g.space = {notReady, blank, notReady, notReady, notReady};
    int checks = 0;
    EXPECT_EQ(IDABORT, Build([&](const MessageBoxCall&) { return ++checks < 3 ? IDOK : IDCANCEL; }));
    std::vector<std::string> texts;
    for (const MessageBoxCall& box : Problems())
        texts.push_back(box.text);
    const std::string alone = kInsert.substr(2);
    EXPECT_EQ((std::vector<std::string>{alone, alone, Str(IDS_NO_DISK) + kInsert}), texts);

    g = Boundary();
    g.space = {{FALSE, ERROR_ACCESS_DENIED, 0, 0, 0, 0}};
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_EQ(Str(IDS_DRIVE_ERROR) + kInsert, Problems().back().text);
    EXPECT_NE('.', Str(IDS_DRIVE_ERROR).back());

    // Wine's empty drive, a link to nothing, says so in its own words.
    for (DWORD error : {433ul, static_cast<DWORD>(ERROR_PATH_NOT_FOUND)}) {
        g = Boundary();
        g.space = {{FALSE, error, 0, 0, 0, 0}, {FALSE, error, 0, 0, 0, 0}};
        checks = 0;
        EXPECT_EQ(IDABORT, Build([&](const MessageBoxCall&) { return ++checks < 2 ? IDOK : IDCANCEL; }));
        EXPECT_EQ(Str(IDS_NO_DISK) + kInsert, Problems().back().text) << error;
    }
}

TEST_F(Engine, WriteProtectionOffersRetryWhichStartsAfresh)
{
    MakePackage({{{"a.txt", std::string(50000, 'a')}, {"b.txt", "b"}}});
    g.failCreates = 1;
    g.createError = ERROR_WRITE_PROTECT;
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDRETRY; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_WRITE_PROTECTED) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[0].text);
    EXPECT_EQ(3 + 2, g.sourceOpens) << "the source is opened again for the retry, then to verify";
    EXPECT_EQ(std::string(50000, 'a'), FilesIn("A:")["a.txt"]);

    for (int answer : {IDIGNORE, IDABORT}) {
        RemoveContents("A:");
        g = Boundary();
        g.imagesDir = images.Path();
        g.failCreates = 1;
        g.createError = ERROR_WRITE_PROTECT;
        EXPECT_EQ(answer == IDIGNORE ? IDOK : IDABORT, Build([&](const MessageBoxCall&) { return answer; }));
        EXPECT_EQ(answer == IDIGNORE ? 1u : 0u, FilesIn("A:").size());
    }
}

TEST_F(Engine, OtherCreateErrorsEndTheBuildWithOnlyOK)
{
    MakePackage({{{"a.txt", "a"}}});
    g.failCreates = 1;
    g.createError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDOK; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_CANNOT_CREATE_OUTPUT), Problems()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), Problems()[0].type);
}

TEST_F(Engine, ReadWriteAndFlushFailuresNameTheirCause)
{
    struct Case {
        void (*inject)();
        UINT message;
    } cases[] = {
        {[] { g.failReads = 1; }, IDS_READ_ERROR},
        {[] { g.failWrites = 1, g.writeError = ERROR_WRITE_FAULT; }, IDS_WRITE_ERROR},
        {[] { g.failWrites = 1, g.writeError = ERROR_DISK_FULL; }, IDS_DISK_FULL},
        {[] { g.failWrites = 1, g.shortWrite = true; }, IDS_DISK_FULL},
        {[] { g.failFlushes = 1; }, IDS_WRITE_ERROR},
        {[] { g.lengthDelta = 5000; }, IDS_READ_ERROR},  // the file shrank after its length was taken
    };
    MakePackage({{{"a.txt", std::string(40000, 'a')}}});
    for (const Case& c : cases) {
        g = Boundary();
        c.inject();
        EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDABORT; }));
        ASSERT_EQ(1u, Problems().size());
        EXPECT_EQ(Str(c.message) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[0].text);
        EXPECT_TRUE(FilesIn("A:").empty()) << "the partial file is deleted";
    }
}

TEST_F(Engine, AGrowingSourceIsCopiedAsItWasMeasured)
{
    MakePackage({{{"a.txt", std::string(40000, 'a')}}});
    verify = false;  // the floppy no longer holds the source as it is now
    g.lengthDelta = -30000;
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDABORT; }));
    EXPECT_EQ(std::string(10000, 'a'), FilesIn("A:")["a.txt"]);
}

TEST_F(Engine, ProgressOfAFileBeyond42MBStaysInOrder)
{
    MakePackage({{{"huge.bin", "h"}}});
    g.hollowCopy = true;
    verify = false;
    g.lengthDelta = 60000000 - 1;  // count x 100 no longer fits 32 bits
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDABORT; }));
    ASSERT_GT(g.positions.size(), 1000u);
    for (size_t i = 3; i < g.positions.size(); ++i)
        ASSERT_LE(g.positions[i - 1], g.positions[i]) << "at update " << i;
    EXPECT_EQ(100, g.positions.back());
}

// Runs with b: mounted read-only, where Wine answers access denied rather
// than write protection.
TEST_F(Engine, ReadOnlyFloppyIsRefusedWithOnlyOK)
{
    MakePackage({{{"a.txt", "a"}}});
    DriveCursor cursor(&drives);
    DriveInfo* drive;
    while (cursor.Next(&drive) && drive->m_chLetter != 'B') {
    }
    ASSERT_EQ('B', drive->m_chLetter);
    drives.ChooseDrive(drive);
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDOK; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_CANNOT_CREATE_OUTPUT), Problems()[0].text);
    EXPECT_NE(std::string::npos, boxes[0].text.find("drive B:"));
}

TEST_F(Engine, LengthCloseOrMemoryFailuresEndTheBuildCleanly)
{
    MakePackage({{{"a.txt", "a"}}});
    g.lengthFails = true;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDOK; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_READ_ERROR), Problems()[0].text);

    g = Boundary();
    g.closeFails = true;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDOK; }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ(Str(IDS_WRITE_ERROR), Problems()[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), Problems()[0].type);
    EXPECT_TRUE(FilesIn("A:").empty());
    // Not a file error: no box to show, but the partial file goes too.
    MakePackage({{{"a.txt", std::string(40000, 'a')}}});
    g = Boundary();
    g.flushOutOfMemory = true;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDOK; }));
    EXPECT_TRUE(Problems().empty());
    EXPECT_TRUE(FilesIn("A:").empty());
}

TEST_F(Engine, CancellingIsConfirmedAndNoticedAfterTheNextBlock)
{
    // Confirmed while the empty first file shows 0 %: it is completed, and
    // the next file's first block is written before the build stops.
    MakePackage({{{"empty.txt", ""}, {"data.bin", std::string(100000, 'd')}}});
    atPrompt = [](const MessageBoxCall& prompt) { PostMessageA(prompt.owner, WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(IDCANCEL, Build([](const MessageBoxCall& box) {
        return box.type == (MB_YESNO | MB_ICONEXCLAMATION) ? IDYES : IDCANCEL;
    }));
    ASSERT_EQ(1u, Problems().size());
    EXPECT_EQ("Are you sure you want to abort the creation of the installation disk?", Problems()[0].text);
    EXPECT_EQ((std::map<std::string, std::string>{{"empty.txt", ""}}), FilesIn("A:"));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 32}), g.positions);
}

TEST_F(Engine, CancellingDuringTheLastRefreshDeletesTheWholeFile)
{
    MakePackage({{{"a.txt", std::string(40000, 'a')}, {"b.txt", "b"}}});
    g.onFullBar = [] { PostMessageA(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(IDCANCEL, Build([](const MessageBoxCall&) { return IDYES; }));
    EXPECT_TRUE(FilesIn("A:").empty());

    // No keeps the build going.
    g = Boundary();
    g.onFullBar = [] { PostMessageA(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0); };
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDNO; }));
    EXPECT_EQ(2u, FilesIn("A:").size());
}

TEST_F(Engine, StartTimerIsRequestedOnceAndItsFailureAborts)
{
    MakePackage({{{"a.txt", "a"}}});
    atPrompt = [](const MessageBoxCall& prompt) {  // many repaints while the build runs
        for (int i = 0; i < 5; ++i)
            RedrawWindow(prompt.owner, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
    };
    EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_EQ(1, g.startTimers);

    g = Boundary();
    g.failTimer = true;
    atPrompt = nullptr;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall& box) {
        // Another timer's message must not start the build.
        PostMessageA(box.owner, WM_TIMER, 1, 0);
        return IDOK;
    }));
    ASSERT_EQ(1u, boxes.size()) << "no prompt: nothing was built";
    EXPECT_EQ(Str(IDS_LOW_RESOURCES), boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].type);
}

// What the user is told when a disk does not read back as written, and
// that Retry writes the whole disk again onto an emptied floppy.
TEST_F(Engine, ADiskThatDoesNotReadBackIsEmptiedAndWrittenAgain)
{
    const std::string setup = SampleBytes(70000, 1);
    auto onFloppyOnceWritten = [](std::function<void()> change) {
        // After the second file's last block, before anything is read back.
        return [change, fulls = 0]() mutable {
            if (++fulls == 2)
                change();
        };
    };
    auto changeByte = [&] { g.onFullBar = onFloppyOnceWritten([] { PatchFileByte("A:\\setup.exe", 40000, 'X'); }); };
    const struct {
        const char* name;
        std::function<void()> fault;
        std::string found;
        // A later entry of the same name whose source is missing, ignored:
        // the earlier file stays on the floppy and is read back all the same.
        bool ignoredTwin;
    } cases[] = {
        {"data error", [] { g.failFloppyReads = 1; },
         "cannot be read back (" + std::string(SystemErrorText(ERROR_CRC)) + ")", false},
        {"ends early", [] { g.floppyEndsEarly = true; }, "has the wrong length", false},
        {"changed byte", changeByte, "differs from its source at byte 40,000", false},
        {"time stored wrong", [] { g.misstoreOnce = 86400; }, "does not have its source's modification time", false},
        {"changed byte, its twin ignored", changeByte, "differs from its source at byte 40,000", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        PackageFiles disks = {{{"disk1\\setup.exe", setup}, {"disk1\\setup.ini", "[Setup]"}}};
        if (c.ignoredTwin)
            disks[0].push_back({"other\\SETUP.EXE", kNoFile});
        MakePackage(disks);
        c.fault();
        std::vector<std::map<std::string, std::string>> atBox;
        EXPECT_EQ(IDOK, Build([&](const MessageBoxCall& box) {
            if (box.type == (MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION))
                return IDIGNORE;
            if (box.type != (MB_RETRYCANCEL | MB_ICONEXCLAMATION))
                return IDCANCEL;
            atBox.push_back(FilesIn("A:"));
            return IDRETRY;
        }));
        std::vector<MessageBoxCall> verifyBoxes;
        for (const MessageBoxCall& box : Problems())
            if (box.type == (MB_RETRYCANCEL | MB_ICONEXCLAMATION))
                verifyBoxes.push_back(box);
        ASSERT_EQ(1u, verifyBoxes.size());
        EXPECT_EQ(c.ignoredTwin ? 3u : 1u, Problems().size()) << "the twin is ignored on each writing";
        EXPECT_EQ("Disk 1 - Corvela did not verify: setup.exe " + c.found + "." +
                      Str(IDS_VERIFY_FAILED).substr(Str(IDS_VERIFY_FAILED).find(".\n")+1),
                  verifyBoxes[0].text);
        EXPECT_EQ("Pellandor's disk maker", verifyBoxes[0].caption);
        EXPECT_TRUE(atBox[0].empty()) << "what was written is gone before the user is asked";
        EXPECT_EQ(2, std::count_if(boxes.begin(), boxes.end(), [](const MessageBoxCall& box) {
            return StartsWith(box.text, "Please label");
        })) << "Retry prompts for the disk again";
        EXPECT_EQ((std::map<std::string, std::string>{{"setup.exe", setup}, {"setup.ini", "[Setup]"}}),
                  FilesIn("A:"));
    }
    // Cancel ends the build as Abort does, and leaves the floppy empty.
    g = Boundary();
    RemoveContents("A:");
    MakePackage({{{"disk1\\setup.exe", setup}, {"disk1\\setup.ini", "[Setup]"}}});
    g.failFloppyReads = 1;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_TRUE(FilesIn("A:").empty());
}

// Past the cache where the system allows it, through the cache where not,
// and not at all when the user turned it off.
TEST_F(Engine, HowTheFloppyIsReadBack)
{
    MakePackage({{{"setup.exe", SampleBytes(70000, 1)}, {"empty.txt", ""}}});
    const struct {
        const char* name;
        std::function<void()> setUp;
        bool verify;
        int floppyReads;
    } cases[] = {
        {"past the cache", [] {}, true, 3},
        {"no-buffering refused", [] { g.refuseUnbuffered = true; }, true, 3},
        {"a short read", [] { g.shortFloppyRead = true; }, true, 4},
        {"check box off", [] {}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        c.setUp();
        verify = c.verify;
        EXPECT_EQ(IDOK, Build([](const MessageBoxCall&) { return IDCANCEL; }));
        EXPECT_TRUE(Problems().empty());
        EXPECT_EQ(c.floppyReads, g.floppyReads);
        EXPECT_EQ(c.verify ? 2 : 0, g.unbufferedOpens);
        EXPECT_EQ(c.verify, std::count(g.fileLines.begin(), g.fileLines.end(), "Verifying setup.exe") > 0);
        EXPECT_EQ(2u, FilesIn("A:").size());
    }
}

TEST_F(Engine, CancellingWhileVerifyingKeepsTheWrittenFiles)
{
    MakePackage({{{"setup.exe", SampleBytes(70000, 1)}, {"setup.ini", "[Setup]"}}});
    g.onFileLine = [](const std::string& line) {
        if (line == "Verifying setup.exe")
            PostMessageA(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(IDCANCEL, Build([](const MessageBoxCall&) { return IDYES; }));
    EXPECT_EQ(2u, FilesIn("A:").size());
}

// Where the system refuses a time that FAT cannot hold, the copy gets what
// FAT stores for it, and verifies; a time refused outright is a write error.
TEST_F(Engine, TimesOutsideFatsRangeAreStoredAsFatStoresThem)
{
    const FILETIME none = {0, 0};
    const struct {
        const char* name;
        FILETIME source;
        int refuseUpTo, refuseFrom;
        FILETIME stored;  // none: the time cannot be set at all
    } cases[] = {
        {"1975 where the system takes it", LocalTime(1975, 3, 1, 12), 0, 99999, LocalTime(1975, 3, 1, 12)},
        {"1975 refused", LocalTime(1975, 3, 1, 12), 1979, 99999, LocalTime(1980, 1, 1)},
        {"2110 refused", LocalTime(2110, 5, 1), 0, 2108, LocalTime(2107, 12, 31, 23, 59, 58)},
        {"2105 where the system stops at 2099", LocalTime(2105, 5, 1), 0, 2100, LocalTime(2099, 12, 31, 23, 59, 58)},
        {"every time refused", LocalTime(2001, 2, 3), 0, 0, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        MakePackage({{{"old.txt", "old"}}});
        SetLastWriteTime(images / "old.txt", c.source);
        g.refuseUpTo = c.refuseUpTo, g.refuseFrom = c.refuseFrom;
        bool settable = CompareFileTime(&c.stored, &none) != 0;
        EXPECT_EQ(settable ? IDOK : IDABORT, Build([](const MessageBoxCall&) { return IDABORT; }));
        if (settable) {
            EXPECT_TRUE(Problems().empty()) << Problems()[0].text;
            FILETIME copy = LastWriteTime("A:\\old.txt");
            EXPECT_EQ(0, CompareFileTime(&c.stored, &copy));
        } else {
            ASSERT_EQ(1u, Problems().size());
            EXPECT_EQ(Str(IDS_WRITE_ERROR) + Str(IDS_ABORT_RETRY_IGNORE), Problems()[0].text);
            EXPECT_TRUE(FilesIn("A:").empty());
        }
    }
}

// "The disk is full" at the third file, and Retry: what is on the floppy
// then decides whether it is the one written to (the user's swaps, and a
// floppy of the user's with a file like the disk's, are played end to end). Another floppy is checked like a new one and nothing
// is deleted from it; on this one, a file gone or changed does not verify,
// and the clean-up takes only what is still as the build wrote it.
TEST_F(Engine, WhatIsOnTheFloppyDecidesWhetherItIsTheOneWrittenTo)
{
    const std::string middle = SampleBytes(3000, 1), last = SampleBytes(40000, 2), longer = SampleBytes(5000, 9);
    const struct {
        const char* name;
        std::deque<DWORD> serials;
        std::function<void()> atBox;
        INT_PTR result;
        int firstCopies;  // in refreshes: two to a copy, at 0 % and at 100 %
        bool didNotVerify;
        Floppy floppy;
    } cases[] = {
        {"the same floppy", {7}, [] {}, IDOK, 2, false,
         {{"first.txt", "first"}, {"middle.txt", middle}, {"last.txt", last}}},
        {"another serial number", {7, 8}, [] {}, IDABORT, 2, false,
         {{"first.txt", "first"}, {"middle.txt", middle}}},
        {"a file of the disk replaced by a longer one", {},
         [&] { WriteFileBytes("A:\\middle.txt", longer); }, IDABORT, 2, true, {{"middle.txt", longer}}},
        {"a file of the disk gone", {}, [] { DeleteFileA("A:\\first.txt"); }, IDABORT, 2, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        MakePackage({{{"first.txt", "first"}, {"middle.txt", middle}, {"last.txt", last}}});
        g.serials = c.serials;
        g.onFileLine = [](const std::string& line) {
            if (line == "Copying last.txt" && !g.shortWrite)
                g.failWrites = 1, g.shortWrite = true;  // the disk is full
        };
        EXPECT_EQ(c.result, Build([&](const MessageBoxCall& box) {
            if (box.type != (MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION))
                return IDCANCEL;
            c.atBox();
            return IDRETRY;
        }));
        EXPECT_EQ(c.firstCopies, std::count(g.fileLines.begin(), g.fileLines.end(), "Copying first.txt"));
        EXPECT_EQ(c.didNotVerify, Problems().back().text.find("did not verify") != std::string::npos)
            << Problems().back().text;
        EXPECT_EQ(c.floppy, FilesIn("A:"));
    }
}

// Another floppy put in while a disk is copied: a file of the user's under
// a name still to be written is kept, and the floppy is checked as new.
TEST_F(Engine, AFileOfTheUsersUnderANameStillToBeWrittenIsKept)
{
    MakePackage({{{"first.txt", "first"}, {"second.txt", "second"}, {"third.txt", "third"}}});
    g.onFileLine = [](const std::string& line) {
        if (line == "Copying second.txt" && DeleteFileA("A:\\first.txt"))
            WriteFileBytes("A:\\third.txt", "the user's");
    };
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall&) { return IDCANCEL; }));
    EXPECT_EQ(Str(IDS_DISK_NOT_BLANK) + kInsert, Problems().back().text);
    EXPECT_EQ("the user's", FilesIn("A:")["third.txt"]);
}

// Yes to the erase question (the answers are played end to end): hidden,
// system and read-only files and a folder's contents go, and the progress
// dialog names each. A deletion that fails names the entry and the
// system's reason; Cancel there gives the not-blank box with it, and the
// same floppy is not offered again.
TEST_F(Engine, AUsedFloppyIsErasedAtAnyDepthOrNotAtAll)
{
    const std::string denied = "Could not erase folder\\inner.txt";
    const std::string reason = std::string(SystemErrorText(ERROR_ACCESS_DENIED)) + ".";
    const struct {
        const char* name;
        int deletesAllowed;
        std::string unaddressable;
        int atFailure;  // the answer in the box that names what will not go
    } cases[] = {
        {"every entry goes", -1, "", 0},
        {"a long name the system cannot reach", -1, "A long name.txt", 0},
        {"a deletion refused, then Retry", 0, "", IDRETRY},
        {"a deletion refused, then Cancel", 0, "", IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        MakePackage({{{"new.txt", "new"}}});
        WriteFileBytes("A:\\hidden.sys", "h");
        SetFileAttributesA("A:\\hidden.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
        WriteFileBytes("A:\\A long name.txt", "l");
        CreateDirectoryA("A:\\folder", NULL);
        WriteFileBytes("A:\\folder\\inner.txt", SampleBytes(20000, 4));
        eraseUsed = true;
        g.deletesAllowed = c.deletesAllowed;
        g.unaddressable = c.unaddressable;
        int boxes = 0;
        INT_PTR result = Build([&](const MessageBoxCall& box) {
            if (box.type == (MB_RETRYCANCEL | MB_ICONEXCLAMATION)) {
                g.deletesAllowed = -1;
                return c.atFailure;
            }
            return box.type == (MB_YESNO | MB_ICONEXCLAMATION) ? IDYES : ++boxes == 1 ? IDOK : IDCANCEL;
        });
        std::vector<MessageBoxCall> problems = Problems();
        EXPECT_EQ(0u, problems[0].text.find("The floppy disk in drive A: is not blank, and 'Disk 1 - Corvela' is "
                                            "to be written on it.\n\nIt holds 3 files and 1 folder, "))
            << problems[0].text;
        if (c.atFailure == IDCANCEL) {
            EXPECT_EQ(IDABORT, result);
            ASSERT_EQ(4u, problems.size()) << "no question again for the same floppy";
            EXPECT_EQ(0u, problems[1].text.find(denied + " from the floppy disk: " + reason)) << problems[1].text;
            for (int i : {2, 3})
                EXPECT_EQ(Str(IDS_DISK_NOT_BLANK) + "  " + denied + ": " + reason + kInsert, problems[i].text);
            EXPECT_TRUE(FileExists("A:\\folder\\inner.txt"));
        } else {
            EXPECT_EQ(IDOK, result);
            EXPECT_EQ((Floppy{{"new.txt", "new"}}), FilesIn("A:"));
            EXPECT_FALSE(FileExists("A:\\folder"));
            EXPECT_EQ(c.atFailure == IDRETRY ? 2 : 1,
                      std::count(g.fileLines.begin(), g.fileLines.end(), "Erasing folder\\inner.txt"));
        }
    }
}

// The Yes is for the floppy the question described: one that has changed
// since (its serial, its size, its files) is asked about afresh, and
// nothing of it goes unseen.
TEST_F(Engine, OnlyTheFloppyShownIsErased)
{
    const struct {
        const char* name;
        std::function<void()> atQuestion;
    } cases[] = {
        {"another serial number", [] { g.serials = {0x5EA1}; }},
        {"another size", [] { g.space = {{TRUE, 0, 1, 512, 2840, 5760}}; }},
        {"another file", [] { WriteFileBytes("A:\\more.txt", "m"); }},
        {"a file written again while the erase runs", [] {
             g.onFileLine = [](const std::string& line) {
                 if (line == "Erasing NOTES.TXT")
                     WriteFileBytes("A:\\NOTES.TXT", SampleBytes(400, 3));  // a new time
             };
         }},
    };
    MakePackage({{{"a.txt", "a"}}});
    eraseUsed = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g = Boundary();
        RemoveContents("A:");
        WriteFileBytes("A:\\NOTES.TXT", SampleBytes(400, 3));
        int questions = 0;
        EXPECT_EQ(IDABORT, Build([&](const MessageBoxCall& box) {
            if (box.type != (MB_YESNO | MB_ICONEXCLAMATION))
                return IDCANCEL;
            if (++questions > 1)
                return IDNO;
            c.atQuestion();
            return IDYES;
        }));
        EXPECT_EQ(2, questions);
        EXPECT_EQ(SampleBytes(400, 3), ReadFileBytes("A:\\NOTES.TXT"));
    }
}

// Runs with b: holding a link to a folder outside it (made by the test
// script): the erase never goes through it, and the floppy that keeps the
// link gets the not-blank box.
TEST_F(Engine, ALinkOnTheFloppyIsNeverFollowed)
{
    MakePackage({{{"new.txt", "new"}}});
    ASSERT_EQ("kept\n", ReadFileBytes("B:\\link\\keep.txt")) << "the test script makes the link";
    WriteFileBytes("B:\\old.dat", SampleBytes(20000, 5));
    DriveCursor cursor(&drives);
    DriveInfo* drive;
    while (cursor.Next(&drive) && drive->m_chLetter != 'B') {
    }
    ASSERT_EQ('B', drive->m_chLetter);
    drives.ChooseDrive(drive);
    eraseUsed = true;
    EXPECT_EQ(IDABORT, Build([](const MessageBoxCall& box) {
        return box.type == (MB_YESNO | MB_ICONEXCLAMATION) ? IDYES : IDCANCEL;
    }));
    EXPECT_TRUE(StartsWith(Problems().back().text, Str(IDS_DISK_NOT_BLANK))) << Problems().back().text;
    EXPECT_EQ("kept\n", ReadFileBytes("B:\\link\\keep.txt"));
    for (const std::string& line : g.fileLines)
        EXPECT_EQ(std::string::npos, line.find("keep.txt")) << line;
    DeleteFileA("B:\\old.dat");
}
