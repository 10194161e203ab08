#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "Driver.h"

// A folder becomes a list that QvCheck finds clean and QvImage builds into
// images holding the folder's files; a list that is there stays without
// /force, a file no floppy holds leaves the list as it was, and /force
// replaces it whole.
TEST(Plan, AFolderBecomesASetThatChecksCleanAndBuilds)
{
    ProgramDir dir;
    const std::map<std::string, std::string> files = {
        {"setup.exe", SampleBytes(300000, 1)}, {"Read me first.txt", SampleBytes(5000, 2)},
        {"data\\data1.cab", SampleBytes(900000, 3)}, {"data\\data2.cab", SampleBytes(900000, 4)},
        {"a\\SETUP.INI", SampleBytes(300, 5)}, {"b\\setup.ini", SampleBytes(400, 6)}};
    std::multimap<std::string, std::string> byName;  // upper-case floppy name to content
    for (const auto& file : files) {
        dir.Write("set\\" + file.first, file.second);
        std::string name = file.first.substr(file.first.find_last_of('\\') + 1);
        CharUpperA(&name[0]);
        byName.insert({name, file.second});
    }
    ConsoleRun plan = RunConsoleProgram(dir, "QvPlan.exe", "/fewest /first setup.exe set");
    ASSERT_EQ(0u, plan.exitCode) << plan.output;
    EXPECT_NE(std::string::npos, plan.output.find("\r\n2 disks; no plan can use fewer than 2\r\n")) << plan.output;
    EXPECT_EQ(0u, RunConsoleProgram(dir, "QvCheck.exe").exitCode);
    ConsoleRun images = RunConsoleProgram(dir, "QvImage.exe");
    ASSERT_EQ(0u, images.exitCode) << images.output;
    size_t nRead = 0;
    for (int disk = 1; disk <= 2; ++disk) {
        for (const auto& file : ImageFilesByMtools(dir / ("Disk " + std::to_string(disk) + " - set.img"))) {
            std::string name = file.first;
            CharUpperA(&name[0]);
            bool bSame = false;
            for (auto it = byName.lower_bound(name); it != byName.upper_bound(name); ++it)
                bSame |= it->second == file.second;
            EXPECT_TRUE(bSame) << file.first << " on disk " << disk;
            ++nRead;
        }
    }
    EXPECT_EQ(files.size(), nRead);

    std::string list = ReadFileBytes(dir / "packlist.ini");
    ConsoleRun kept = RunConsoleProgram(dir, "QvPlan.exe", "/name Other set");
    EXPECT_EQ(3u, kept.exitCode) << kept.output;
    EXPECT_EQ(list, ReadFileBytes(dir / "packlist.ini"));
    // A device name can be a file only where names are not parsed.
    dir.Write("set\\huge.bin", std::string(1500000, 'h'));
    std::string device = "\\\\?\\" + (dir / "set\\NUL.TXT");
    CloseHandle(CreateFileA(device.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL));
    ConsoleRun tooLarge = RunConsoleProgram(dir, "QvPlan.exe", "/force set");
    EXPECT_EQ(1u, tooLarge.exitCode);
    EXPECT_NE(std::string::npos, tooLarge.output.find("set\\huge.bin: 1,500,000 bytes, 1,500,160 on a 1.44 MB floppy, "
                                                      "42,496 bytes too large.\r\n  set\\NUL.TXT: NUL.TXT is a device "
                                                      "name on DOS and Windows and cannot be a file.\r\nNo package list"))
        << tooLarge.output;
    EXPECT_EQ(list, ReadFileBytes(dir / "packlist.ini"));
    EXPECT_FALSE(FileExists(dir / "packlist.ini.tmp"));
    DeleteFileA((dir / "set\\huge.bin").c_str());
    DeleteFileA(device.c_str());
    // Files of the user's under the names the writing uses stop it, untouched.
    for (const char* inTheWay : {"packlist.ini.tmp", "packlist.ini.old"}) {
        dir.Write(inTheWay, "mine");
        EXPECT_EQ(3u, RunConsoleProgram(dir, "QvPlan.exe", "/force /name Other set").exitCode) << inTheWay;
        EXPECT_EQ("mine", ReadFileBytes(dir / inTheWay));
        EXPECT_EQ(list, ReadFileBytes(dir / "packlist.ini"));
        DeleteFileA((dir / inTheWay).c_str());
    }
    EXPECT_EQ(0u, RunConsoleProgram(dir, "QvPlan.exe", "/force /name Other set").exitCode);
    EXPECT_NE(std::string::npos, ReadFileBytes(dir / "packlist.ini").find("\r\nName=Other\r\n"));
    EXPECT_FALSE(FileExists(dir / "packlist.ini.tmp") || FileExists(dir / "packlist.ini.old"));
    EXPECT_EQ(2u, RunConsoleProgram(dir, "QvPlan.exe", "C:\\windows").exitCode);
}
