#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Cursors.h"
#include "ImportPatch.h"
#include "drives/DriveList.h"

namespace {
std::vector<DriveInfo*> Records(DriveList& list)
{
    return Items<DriveInfo>(DriveCursor(&list));
}

// Stands in for the system's drive strings; what it reports is set per test.
std::string g_driveStrings;
int g_growths;  // how many more times the set of drives grows while asked
DWORD g_extra;
DWORD WINAPI FakeLogicalDriveStrings(DWORD nBufferLength, LPSTR lpBuffer)
{
    DWORD needed = static_cast<DWORD>(g_driveStrings.size()) + 1 + g_extra;
    if (lpBuffer == NULL || nBufferLength < needed) {
        if (g_growths > 0) {
            --g_growths;
            g_extra += 8;
        }
        return needed;
    }
    memcpy(lpBuffer, g_driveStrings.data(), g_driveStrings.size());
    lpBuffer[g_driveStrings.size()] = '\0';
    return static_cast<DWORD>(g_driveStrings.size());
}

using ShellInfoFn = DWORD_PTR(WINAPI*)(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT);
ShellInfoFn g_realShellInfo;  // the patched import slot would only call us again
DWORD_PTR WINAPI NoShellInfoForB(LPCSTR path, DWORD attrs, SHFILEINFOA* info, UINT cb, UINT flags)
{
    if (path[0] == 'B' || path[0] == 'b')
        return 0;
    return g_realShellInfo(path, attrs, info, cb, flags);
}
}  // namespace

// The test prefix has two tmpfs floppies registered as a: and b:.
TEST(DriveList, FindsTheFloppiesInLetterOrderAndChoosesTheFirst)
{
    DriveList list;
    ASSERT_TRUE(list.FindRemovableDrives());
    auto records = Records(list);
    ASSERT_EQ(2u, records.size());
    EXPECT_STREQ("A:\\", records[0]->m_strRoot);
    EXPECT_STREQ("B:\\", records[1]->m_strRoot);
    EXPECT_EQ('A', records[0]->m_chLetter);
    EXPECT_EQ('B', records[1]->m_chLetter);
    for (DriveInfo* d : records) {
        EXPECT_FALSE(d->m_strDisplayName.IsEmpty());
        EXPECT_NE(nullptr, d->m_hIcon);
        EXPECT_NE(nullptr, d->m_hSelectedIcon);
    }
    EXPECT_TRUE(records[0]->m_bChosen);
    EXPECT_FALSE(records[1]->m_bChosen);

    DriveInfo* chosen = NULL;
    ASSERT_TRUE(list.GetChosenDrive(&chosen));
    EXPECT_EQ(records[0], chosen);
    list.ChooseDrive(records[1]);
    EXPECT_FALSE(records[0]->m_bChosen);
    ASSERT_TRUE(list.GetChosenDrive(&chosen));
    EXPECT_EQ(records[1], chosen);
}

TEST(DriveList, CursorEndsAndStartsAgainAfterReset)
{
    DriveList empty;
    DriveInfo* drive = NULL;
    EXPECT_FALSE(DriveCursor(&empty).Next(&drive));
    EXPECT_FALSE(empty.GetChosenDrive(&drive));
    EXPECT_EQ(nullptr, drive);

    DriveList list;
    ASSERT_TRUE(list.FindRemovableDrives());
    DriveCursor cursor(&list);
    EXPECT_TRUE(cursor.Next(&drive));
    EXPECT_TRUE(cursor.Next(&drive));
    EXPECT_FALSE(cursor.Next(&drive));
    EXPECT_EQ(2, cursor.m_nPosition);
    cursor.Reset();
    EXPECT_TRUE(cursor.Next(&drive));
    EXPECT_EQ('A', drive->m_chLetter);
}

TEST(DriveInfo, LowerCaseRootKeepsItsCaseButTheLetterIsUpper)
{
    DriveInfo drive;
    EXPECT_FALSE(drive.InitFromRoot(""));
    EXPECT_EQ('?', drive.m_chLetter);
    EXPECT_TRUE(drive.InitFromRoot("b:\\"));
    EXPECT_STREQ("b:\\", drive.m_strRoot);
    EXPECT_EQ('B', drive.m_chLetter);
}

TEST(DriveList, OnlyRemovableDrivesAreListed)
{
    g_driveStrings = std::string("C:\\\0B:\\\0Z:\\\0", 12);
    g_growths = 0;
    g_extra = 0;
    ImportPatch patch("kernel32.dll", "GetLogicalDriveStringsA", (void*)FakeLogicalDriveStrings);
    DriveList list;
    ASSERT_TRUE(list.FindRemovableDrives());
    auto records = Records(list);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ('B', records[0]->m_chLetter);
    EXPECT_TRUE(records[0]->m_bChosen);
}

TEST(DriveList, DriveStringsGrowingBetweenCallsAreNeverReadPastTheBuffer)
{
    g_driveStrings = std::string("A:\\\0", 4);
    g_extra = 0;
    g_growths = 1;  // a drive appears between the two calls
    {
        ImportPatch patch("kernel32.dll", "GetLogicalDriveStringsA", (void*)FakeLogicalDriveStrings);
        DriveList list;
        EXPECT_TRUE(list.FindRemovableDrives());
    }
    g_extra = 0;
    g_growths = 1000;  // grows on every look: give up rather than loop
    ImportPatch patch("kernel32.dll", "GetLogicalDriveStringsA", (void*)FakeLogicalDriveStrings);
    DriveList list;
    EXPECT_FALSE(list.FindRemovableDrives());
}

TEST(DriveList, OneDriveWithoutShellInfoEmptiesTheWholeList)
{
    ImportPatch patch("shell32.dll", "SHGetFileInfoA", (void*)NoShellInfoForB);
    g_realShellInfo = patch.Original<ShellInfoFn>();
    DriveList list;
    EXPECT_FALSE(list.FindRemovableDrives());
    DriveInfo* drive = NULL;
    EXPECT_FALSE(list.GetChosenDrive(&drive));
    EXPECT_TRUE(Records(list).empty());
}

// Runs in a prefix without any removable drive.
TEST(NoRemovableDrive, FindingDrivesFailsWithAnEmptyList)
{
    DriveList list;
    EXPECT_FALSE(list.FindRemovableDrives());
    EXPECT_TRUE(Records(list).empty());
}
