#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "package/PackageInfo.h"

namespace {
const char* const kCorvela =
    "[Global]\r\nName=Corvela\r\n"
    "[Disks]\r\nNumber=2\r\n"
    "[Disk0]\r\nFiles=2\r\nFile0=disk1\\setup.exe\r\nFile1=disk1\\setup.ini\r\n"
    "[Disk1]\r\nFiles=1\r\nFile0=disk2\\data.cab\r\n";

class PackageList : public ::testing::Test {
protected:
    BOOL Load(const std::string& content)
    {
        return package.LoadFromFile(dir.Write("packlist.ini", content).c_str());
    }

    std::vector<DiskInfo*> Disks()
    {
        std::vector<DiskInfo*> disks;
        DiskCursor cursor(&package);
        DiskInfo* disk;
        while (cursor.Next(&disk))
            disks.push_back(disk);
        return disks;
    }

    TempDir dir;
    PackageInfo package;
};

std::vector<std::string> Entries(DiskInfo* disk)
{
    std::vector<std::string> entries;
    FileCursor cursor(disk);
    CString entry;
    while (cursor.Next(entry))
        entries.push_back(static_cast<LPCSTR>(entry));
    return entries;
}
}  // namespace

TEST_F(PackageList, TheExampleLoadsWithEveryDiskChosen)
{
    ASSERT_TRUE(Load(kCorvela));
    EXPECT_STREQ("Corvela", package.GetName());
    auto disks = Disks();
    ASSERT_EQ(2u, disks.size());
    EXPECT_EQ(0, disks[0]->m_nNumber);
    EXPECT_EQ(1, disks[1]->m_nNumber);
    EXPECT_EQ((std::vector<std::string>{"disk1\\setup.exe", "disk1\\setup.ini"}), Entries(disks[0]));
    EXPECT_EQ((std::vector<std::string>{"disk2\\data.cab"}), Entries(disks[1]));
    EXPECT_TRUE(disks[0]->m_bChosen && disks[1]->m_bChosen);
    EXPECT_TRUE(disks[0]->m_strLabel.IsEmpty());
    EXPECT_EQ(2, package.CountChosenDisks());

    disks[1]->m_bChosen = FALSE;
    EXPECT_EQ(1, package.CountChosenDisks());
}

TEST_F(PackageList, NumberingStartsAtZero)
{
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=3\n"
                      "[Disk1]\nFiles=1\nFile0=a\n[Disk2]\nFiles=1\nFile0=b\n[Disk3]\nFiles=1\nFile0=c\n"));
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=1\n[Disk0]\nFiles=2\nFile1=a\nFile2=b\n"));
}

TEST_F(PackageList, CountsDecideHowManySectionsAndKeysAreRead)
{
    ASSERT_TRUE(Load("[Global]\nName=P\n[Disks]\nNumber=1\n"
                     "[Disk0]\nFiles=2\nFile0=a\nFile1=b\nFile2=c\n"
                     "[Disk1]\nFiles=1\nFile0=d\n"));
    auto disks = Disks();
    ASSERT_EQ(1u, disks.size());
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), Entries(disks[0]));
}

TEST_F(PackageList, LongValuesAreCutTo259Characters)
{
    std::string name(300, 'N'), entry(300, 'e');
    ASSERT_TRUE(Load("[Global]\nName=" + name + "\n[Disks]\nNumber=1\n[Disk0]\nFiles=1\nFile0=" +
                     entry + "\n"));
    EXPECT_STREQ(name.substr(0, 259).c_str(), package.GetName());
    EXPECT_EQ(std::string(259, 'e'), Entries(Disks()[0])[0]);
}

TEST_F(PackageList, MissingOrEmptyRequiredValuesFailTheLoad)
{
    const std::string disk0 = "[Disk0]\nFiles=1\nFile0=a\n";
    EXPECT_FALSE(Load("[Global]\nName=\n[Disks]\nNumber=1\n" + disk0));
    EXPECT_FALSE(Load("[Disks]\nNumber=1\n" + disk0));
    for (const char* number : {"0", "-1", "two", ""})
        EXPECT_FALSE(Load(std::string("[Global]\nName=P\n[Disks]\nNumber=") + number + "\n" + disk0))
            << "Number=" << number;
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=1\n[Disk0]\nFiles=2\nFile0=a\nFile1=\n"));
    EXPECT_FALSE(package.LoadFromFile((dir / "no-such-list.ini").c_str()));
}

TEST_F(PackageList, OneDiskWithoutFilesFailsTheWholeLoadAndStopsThere)
{
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=3\n"
                      "[Disk0]\nFiles=1\nFile0=a\n[Disk1]\nFiles=0\n[Disk2]\nFiles=1\nFile0=c\n"));
    auto disks = Disks();
    ASSERT_EQ(3u, disks.size());
    EXPECT_EQ(1, disks[1]->m_nNumber);
    EXPECT_EQ(-1, disks[2]->m_nNumber) << "disks after the failing one are not read";
}

TEST_F(PackageList, CountsTooLargeForMemoryFailInsteadOfCrashing)
{
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=2000000000\n[Disk0]\nFiles=1\nFile0=a\n"));
    EXPECT_FALSE(Load("[Global]\nName=P\n[Disks]\nNumber=1\n[Disk0]\nFiles=2000000000\nFile0=a\n"));
}

TEST_F(PackageList, CursorsStopAtTheirEndsAndKeepTheirPosition)
{
    ASSERT_TRUE(Load("[Global]\nName=P\n[Disks]\nNumber=1\n[Disk0]\nFiles=1\nFile0=a\n"));
    DiskCursor disks(&package);
    DiskInfo* disk = NULL;
    ASSERT_TRUE(disks.Next(&disk));
    EXPECT_EQ(1, disks.m_nPosition);
    DiskInfo* untouched = disk;
    EXPECT_FALSE(disks.Next(&disk));
    EXPECT_EQ(1, disks.m_nPosition);
    EXPECT_EQ(untouched, disk);
    disks.Reset();
    EXPECT_TRUE(disks.Next(&disk));

    FileCursor files(disk);
    CString entry("unchanged");
    ASSERT_TRUE(files.Next(entry));
    EXPECT_FALSE(files.Next(entry));
    EXPECT_STREQ("a", entry);
    EXPECT_EQ(1, files.m_nPosition);
    files.Reset();
    EXPECT_TRUE(files.Next(entry));
}

TEST_F(PackageList, NameIsHandedOutAsACopy)
{
    ASSERT_TRUE(Load(kCorvela));
    CString name = package.GetName();
    name += "!";
    EXPECT_STREQ("Corvela", package.GetName());
}

// The settings file sits beside the program, so these tests write one next
// to the test executable and remove it afterwards.
class DiskImagesSetting : public ::testing::Test {
protected:
    void TearDown() override { DeleteFileA(settings.c_str()); }
    void Write(const std::string& content) { WriteFileBytes(settings, content); }

    std::string programDir = TestProgramDirectory();
    std::string settings = programDir + "\\Quorvane.ini";
    PackageInfo package;
};

TEST_F(DiskImagesSetting, MissingOrEmptyMeansTheProgramDirectory)
{
    DeleteFileA(settings.c_str());
    EXPECT_STREQ(programDir.c_str(), package.GetDiskImagesDir());
    Write("[Paths]\nDiskImages=\n");
    EXPECT_STREQ(programDir.c_str(), package.GetDiskImagesDir());
}

TEST_F(DiskImagesSetting, ValueIsUsedAsWrittenAndReadAfreshEachTime)
{
    Write("[Paths]\nDiskImages=D:\\images\\\n");
    EXPECT_STREQ("D:\\images\\", package.GetDiskImagesDir());
    Write("[Paths]\nDiskImages=relative\\dir\n");
    EXPECT_STREQ("relative\\dir", package.GetDiskImagesDir());
}
