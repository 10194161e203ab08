#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FloppyNames.h"
#include "TestFiles.h"
#include "package/PackageCheck.h"

namespace {
// A package of one or more disks in a temporary disk image directory. Each
// disk is a list of entries; files() writes the sources.
struct CheckedPackage {
    explicit CheckedPackage(const std::vector<std::vector<std::string>>& disks)
    {
        EXPECT_TRUE(package.LoadFromFile(images.Write("packlist.ini", PackageList(disks)).c_str()));
    }
    void File(const std::string& entry, size_t size) { images.Write(entry, std::string(size, 'x')); }
    const PackageCheck& Run(BOOL bChosenOnly = FALSE)
    {
        check.Run(&package, images.Path().c_str(), bChosenOnly);
        return check;
    }
    std::string Problems() const
    {
        std::string all;
        for (int i = 0; i < check.m_problems.GetSize(); ++i)
            all += std::string(check.m_problems[i]) + "\n";
        return all;
    }

    TempDir images;
    PackageInfo package;
    PackageCheck check;
};

std::vector<std::string> Names(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        char name[16];
        wsprintfA(name, "F%03d.TXT", i);
        names.push_back(name);
    }
    return names;
}
}  // namespace

TEST(PackageCheck, AFloppyHoldsExactly1457664BytesInWholeClusters)
{
    // Disk 1 fills the floppy to the byte; disk 2 is one byte more, which
    // takes a whole cluster; disk 3 is two tiny files, a cluster each.
    CheckedPackage p({{"full.bin"}, {"over.bin"}, {"A.TXT", "B.TXT"}});
    p.File("full.bin", 1457664);
    p.File("over.bin", 1457665);
    p.File("A.TXT", 1);
    p.File("B.TXT", 0);
    const PackageCheck& check = p.Run();
    ASSERT_EQ(3, check.m_disks.GetSize());

    EXPECT_STREQ("Disk 1 - Corvela", check.m_disks[0].strLabel);
    EXPECT_EQ(1457664u, check.m_disks[0].nFloppyBytes);
    EXPECT_EQ(0, check.m_disks[0].RoomLeft());

    EXPECT_EQ(1457665u, check.m_disks[1].nBytes);
    EXPECT_EQ(1457664u + 512, check.m_disks[1].nFloppyBytes);
    EXPECT_EQ(-512, check.m_disks[1].RoomLeft());

    EXPECT_EQ(2, check.m_disks[2].nEntries);
    EXPECT_EQ(1u, check.m_disks[2].nBytes);
    EXPECT_EQ(512u, check.m_disks[2].nFloppyBytes) << "an empty file takes no cluster";

    ASSERT_EQ(1, check.m_problems.GetSize()) << p.Problems();
    EXPECT_STREQ("Disk 2 - Corvela: the files take 1,458,176 bytes on a 1.44MB floppy, 512 more than it holds.",
                 check.m_problems[0]);
}

TEST(PackageCheck, TheRootDirectoryHolds224EntriesLongNamesIncluded)
{
    std::vector<std::string> fits = Names(224), over = Names(225);
    // 74 names of 14 characters take three entries each: 222, and two more.
    std::vector<std::string> longNames;
    for (int i = 0; i < 74; ++i) {
        char name[32];
        wsprintfA(name, "Long name %04d", i);
        longNames.push_back(name);
    }
    longNames.push_back("SHORT1.TXT");
    longNames.push_back("SHORT2.TXT");
    CheckedPackage p({fits, over, longNames});
    for (const std::string& name : over)
        p.File(name, 0);
    for (const std::string& name : longNames)
        p.File(name, 0);
    const PackageCheck& check = p.Run();
    EXPECT_EQ(224, check.m_disks[0].nRootEntries);
    EXPECT_EQ(225, check.m_disks[1].nRootEntries);
    EXPECT_EQ(224, check.m_disks[2].nRootEntries);
    ASSERT_EQ(1, check.m_problems.GetSize()) << p.Problems();
    EXPECT_STREQ("Disk 2 - Corvela: the files need 225 directory entries, more than the 224 of a 1.44MB floppy.",
                 check.m_problems[0]);

    // One entry for a plain upper-case 8.3 name; a long name adds one per 13 characters.
    const std::pair<const char*, int> names[] = {
        {"SETUP.EXE", 1},      {"SETUP", 1},         {"A-B_C~1.$$$", 1},  {"setup.exe", 2},
        {"ABCDEFGHI.TXT", 2},  {"SETUP.EXEC", 2},    {"A.B.C", 2},        {"NAME.", 1},
        {"ABCDEFGHIJKLM", 2},  {"ABCDEFGHIJKLMN", 3}, {"WITH SPACE", 2},  {".HIDDEN", 2},
        {"A+B.TXT", 2},
    };
    for (const auto& name : names) {
        FloppyFiles files;
        files.Put(name.first, "");
        EXPECT_EQ(name.second, files[0].RootEntries()) << name.first;
    }
}

TEST(PackageCheck, EachFormatHoldsItsWholeClustersAndItsRootEntries)
{
    // Room and cluster sizes as fsck.fat and mformat count them.
    const struct {
        const char* format;
        ULONGLONG room;
        ULONGLONG cluster;
        int rootEntries;
        const char* name;
    } rows[] = {
        {"720", 730112, 1024, 112, "720KB"},    {"1200", 1213952, 512, 224, "1.2MB"},
        {"1440", 1457664, 512, 224, "1.44MB"},  {"1680", 1716224, 2048, 16, "1.68MB"},
        {"2880", 2931712, 1024, 240, "2.88MB"},
    };
    for (const auto& row : rows) {
        const FloppyFormat* format = FloppyFormat::Find(row.format);
        ASSERT_NE(nullptr, format) << row.format;
        // Disk 1 fills the floppy, disk 2 is a byte over, disk 3 an entry
        // over: 13-character names take two entries each, and one short name.
        std::vector<std::string> names{"ODD.TXT"};
        for (int i = 0; i < row.rootEntries / 2; ++i) {
            char name[32];
            wsprintfA(name, "Long name %03d", i);
            names.push_back(name);
        }
        CheckedPackage p({{"FULL.BIN"}, {"OVER.BIN"}, names});
        p.File("FULL.BIN", row.room);
        p.File("OVER.BIN", row.room + 1);
        for (const std::string& name : names)
            p.File(name, 0);
        PackageCheck check(*format);
        check.Run(&p.package, p.images.Path().c_str(), FALSE);
        ASSERT_EQ(3, check.m_disks.GetSize()) << row.format;
        EXPECT_EQ(0, check.m_disks[0].RoomLeft()) << row.format;
        EXPECT_EQ(-static_cast<LONGLONG>(row.cluster), check.m_disks[1].RoomLeft()) << row.format;
        EXPECT_EQ(row.rootEntries + 1, check.m_disks[2].nRootEntries) << row.format;
        ASSERT_EQ(2, check.m_problems.GetSize()) << row.format;
        EXPECT_EQ("Disk 2 - Corvela: the files take " + std::string(FormatByteCount(row.room + row.cluster)) +
                      " bytes on a " + row.name + " floppy, " + std::string(FormatByteCount(row.cluster)) +
                      " more than it holds.",
                  std::string(check.m_problems[0]));
        EXPECT_EQ("Disk 3 - Corvela: the files need " + std::to_string(row.rootEntries + 1) +
                      " directory entries, more than the " + std::to_string(row.rootEntries) + " of a " + row.name +
                      " floppy.",
                  std::string(check.m_problems[1]));
    }
}

TEST(PackageCheck, FindsEveryEntryTheBuildCouldNotCopyAsListed)
{
    CheckedPackage p({{"disk1\\setup.exe", "disk1\\setup.ini", "disk1\\missing.dll", "disk1",
                       "extra\\SETUP.INI", "disk1\\held.cab", "disk1\\read.cab"},
                      {"disk2\\gone.cab", "disk2/kept.cab", "other\\KEPT.CAB"}});
    p.File("disk1\\setup.exe", 1000);
    p.File("disk1\\setup.ini", 100);
    p.File("extra\\SETUP.INI", 3000);
    p.File("disk1\\held.cab", 10);
    p.File("disk1\\read.cab", 10);
    p.File("disk2\\kept.cab", 10);
    // Another program holds one file and lets nobody read it, and reads the
    // other, letting others read too: the build, which opens its sources
    // for itself alone, could copy neither.
    HANDLE held = CreateFileA((p.images / "disk1\\held.cab").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE read = CreateFileA((p.images / "disk1\\read.cab").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_NE(INVALID_HANDLE_VALUE, read);
    const PackageCheck& check = p.Run();
    CloseHandle(held);
    CloseHandle(read);

    std::string dir = p.images.Path();
    EXPECT_EQ("Disk 1 - Corvela: disk1\\missing.dll is missing (there is no " + dir + "\\disk1\\missing.dll).\n"
              "Disk 1 - Corvela: disk1 names a directory, not a file (" + dir + "\\disk1).\n"
              "Disk 1 - Corvela: disk1\\setup.ini and extra\\SETUP.INI both land on the floppy as setup.ini, "
              "and only the second stays.\n"
              "Disk 1 - Corvela: disk1\\held.cab cannot be opened for reading (" + dir + "\\disk1\\held.cab).\n"
              "Disk 1 - Corvela: disk1\\read.cab cannot be opened for reading (" + dir + "\\disk1\\read.cab).\n"
              "Disk 2 - Corvela: disk2\\gone.cab is missing (there is no " + dir + "\\disk2\\gone.cab).\n"
              "Disk 2 - Corvela: disk2/kept.cab and other\\KEPT.CAB both land on the floppy as kept.cab; "
              "the second cannot be copied, so the first stays.\n"
              "Disk 2 - Corvela: other\\KEPT.CAB is missing (there is no " + dir + "\\other\\KEPT.CAB).\n",
              p.Problems());
    // What lands: setup.exe and the second SETUP.INI.
    EXPECT_EQ(7, check.m_disks[0].nEntries);
    EXPECT_EQ(4000u, check.m_disks[0].nBytes);
    EXPECT_EQ(4, check.m_disks[0].nRootEntries) << "lower-case names take a long-name entry each";
    EXPECT_EQ(10u, check.m_disks[1].nBytes) << "the first kept.cab";

    // The wizard checks only the disks the user chose.
    DiskInfo* pDisk = NULL;
    DiskCursor disks(&p.package);
    ASSERT_TRUE(disks.Next(&pDisk));
    pDisk->m_bChosen = FALSE;
    p.Run(TRUE);
    ASSERT_EQ(1, p.check.m_disks.GetSize());
    EXPECT_STREQ("Disk 2 - Corvela", p.check.m_disks[0].strLabel);
    EXPECT_EQ(3, p.check.m_problems.GetSize()) << p.Problems();
}

// Which entry lands in which slot of the root under which long and short
// name, by FAT's rules, and what the check says of it. Entry i's file has
// 2^i bytes, so the check's byte count tells which files landed.
TEST(PackageCheck, NamesLandAsOnAFatFloppy)
{
    const struct {
        std::vector<std::string> entries;
        std::string slots;                  // long | short | root entries | entry
        std::vector<std::string> problems;  // after the disk's label
    } rows[] = {
        {{"Long file 1.txt", "LONGFI~1.TXT"},
         "Long file 1.txt | LONGFI~1.TXT | 3 | LONGFI~1.TXT",
         {"LONGFI~1.TXT is the short name of Long file 1.txt on the floppy: the second replaces the first."}},
        {{"LONGFI~1.TXT", "Long file 1.txt"},
         "LONGFI~1.TXT | LONGFI~1.TXT | 1 | LONGFI~1.TXT; Long file 1.txt | LONGFI~2.TXT | 3 | Long file 1.txt", {}},
        {{"Long file 1.txt", "x\\longfi~1.txt"},
         "Long file 1.txt | LONGFI~1.TXT | 3 | x\\longfi~1.txt",
         {"longfi~1.txt is the short name of Long file 1.txt on the floppy: the second replaces the first."}},
        {{"longfi~1.txt", "Long file 1.txt"},
         "longfi~1.txt | LONGFI~1.TXT | 2 | longfi~1.txt; Long file 1.txt | LONGFI~2.TXT | 3 | Long file 1.txt", {}},
        {{"\xF5.txt", "o.txt"}, "\xF5.txt | _~1.TXT | 2 | \xF5.txt; o.txt | O.TXT | 2 | o.txt", {}},
        {{"o.txt", "\xF5.txt"}, "o.txt | O.TXT | 2 | o.txt; \xF5.txt | _~1.TXT | 2 | \xF5.txt", {}},
        {{"stra\xDF" "e.txt", "STRASSE.TXT", "\xE6on.txt", "AEON.TXT"},
         "stra\xDF" "e.txt | STRA\xDF" "E.TXT | 2 | stra\xDF" "e.txt; STRASSE.TXT | STRASSE.TXT | 1 | STRASSE.TXT; "
         "\xE6on.txt | \xC6ON.TXT | 2 | \xE6on.txt; AEON.TXT | AEON.TXT | 1 | AEON.TXT", {}},
        {{"my.long.file.txt", "na\xEFve r\xE9sum\xE9.doc"},
         "my.long.file.txt | MYLONG~1.TXT | 3 | my.long.file.txt; "
         "na\xEFve r\xE9sum\xE9.doc | NA_VER~1.DOC | 3 | na\xEFve r\xE9sum\xE9.doc", {}},
        {{"\xC9T\xC9.TXT", "\xE9t\xE9.doc", "a\\\xE9t\xE9.txt"},
         "\xC9T\xC9.TXT | \xC9T\xC9.TXT | 1 | a\\\xE9t\xE9.txt; \xE9t\xE9.doc | \xC9T\xC9.DOC | 2 | \xE9t\xE9.doc",
         {"\xC9T\xC9.TXT and a\\\xE9t\xE9.txt both land on the floppy as \xC9T\xC9.TXT, and only the second stays."}},
        {{"c\\notes.txt . "}, "notes.txt | NOTES.TXT | 2 | c\\notes.txt . ", {}},
        {{"a\\readme.", "b\\readme"},
         "readme | README | 2 | b\\readme",
         {"a\\readme. and b\\readme both land on the floppy as readme, and only the second stays."}},
        {{"NUL.TXT", "con", "sub\\Com1.log", "LPT9.A.B", "COM0.TXT", "x\\CLOCK$", "clock$.txt", "CLOCK.TXT"},
         "COM0.TXT | COM0.TXT | 1 | COM0.TXT; CLOCK.TXT | CLOCK.TXT | 1 | CLOCK.TXT",
         {"NUL.TXT is a device name on DOS and Windows and cannot be a file.",
          "con is a device name on DOS and Windows and cannot be a file.",
          "Com1.log is a device name on DOS and Windows and cannot be a file.",
          "LPT9.A.B is a device name on DOS and Windows and cannot be a file.",
          "CLOCK$ is a device name on DOS and Windows and cannot be a file.",
          "clock$.txt is a device name on DOS and Windows and cannot be a file."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entries[0] + ", ...");
        FloppyFiles files;
        for (const std::string& entry : row.entries)
            files.Put(entry.c_str(), entry.c_str());
        EXPECT_EQ(row.slots, DescribeSlots(files));

        CheckedPackage p({row.entries});
        int landing = 0;  // a device is no file, and counts as none
        for (size_t i = 0; i < row.entries.size(); ++i) {
            if (FloppyFiles::CanLand(FloppyFiles::LandingName(row.entries[i].c_str())) == FloppyFiles::kLands)
                p.File(row.entries[i], size_t(1) << i), ++landing;
        }
        const PackageCheck& check = p.Run();
        EXPECT_EQ(landing, check.m_disks[0].nEntries);
        std::string problems;
        for (const std::string& problem : row.problems)
            problems += "Disk 1 - Corvela: " + problem + "\n";
        EXPECT_EQ(problems, p.Problems());
        ULONGLONG bytes = 0;
        int rootEntries = 0;
        for (int i = 0; i < files.GetSize(); ++i) {
            for (size_t j = 0; j < row.entries.size(); ++j)
                bytes += row.entries[j] == static_cast<LPCSTR>(files[i].strEntry) ? 1u << j : 0;
            rootEntries += files[i].RootEntries();
        }
        EXPECT_EQ(bytes, check.m_disks[0].nBytes);
        EXPECT_EQ(rootEntries, check.m_disks[0].nRootEntries);
    }
}

// Run in a Japanese code page: a double-byte character has no case, and
// its trail byte may be a letter or a backslash.
TEST(PackageCheck, DoubleByteNamesLandWhole)
{
    FloppyFiles files;
    for (const char* entry : {"d\\\x83\x61.txt", "d\\\x83\x41.txt", "\x95\x5C.txt", "\x95\x5C.TXT",
                              "\x95\x5C\x95\x5C long name.txt"})
        files.Put(entry, entry);
    EXPECT_EQ("\x83\x61.txt | \x83\x61.TXT | 2 | d\\\x83\x61.txt; \x83\x41.txt | \x83\x41.TXT | 2 | d\\\x83\x41.txt; "
              "\x95\x5C.txt | \x95\x5C.TXT | 2 | \x95\x5C.TXT; "
              "\x95\x5C\x95\x5C long name.txt | \x95\x5C\x95\x5CLO~1.TXT | 3 | \x95\x5C\x95\x5C long name.txt",
              DescribeSlots(files));
}

TEST(PackageCheck, AFloppyNameFollowsTheLastBackslashOrSlash)
{
    const std::pair<const char*, const char*> entries[] = {
        {"setup.exe", "setup.exe"},     {"disk1\\setup.exe", "setup.exe"}, {"disk1/setup.exe", "setup.exe"},
        {"a/b\\c.txt", "c.txt"},        {"a\\b/c.txt", "c.txt"},
    };
    for (const auto& entry : entries)
        EXPECT_STREQ(entry.second, FloppyFileName(entry.first)) << entry.first;
}

TEST(PackageCheck, ByteCountsAreWrittenWithThousandsSeparators)
{
    EXPECT_STREQ("0", FormatByteCount(0));
    EXPECT_STREQ("999", FormatByteCount(999));
    EXPECT_STREQ("1,000", FormatByteCount(1000));
    EXPECT_STREQ("1,457,664", FormatByteCount(1457664));
    EXPECT_STREQ("18,446,744,073,709,551,615", FormatByteCount(~0ULL));
}
