#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "package/SetPlanner.h"

// The disks each mode gives a small folder: each disk's files in the
// list's order, disks apart by " | ".
TEST(SetPlanner, PutsEachFolderOnTheDisksEachModeMust)
{
    std::vector<std::pair<std::string, ULONGLONG>> tiny;  // three root entries each
    for (int i = 1; i <= 7; ++i)
        tiny.push_back({"Tiny file " + std::to_string(i) + ".txt", 100});
    const struct {
        const char* what;
        const char* format;
        std::vector<std::pair<std::string, ULONGLONG>> files;
        std::vector<std::string> first;
        std::string inOrder, fewest;
        int nBound;
    } rows[] = {
        {"a disk filled exactly", "1440", {{"FULL.BIN", 1457152}, {"A.TXT", 512}}, {},
         "A.TXT FULL.BIN", "A.TXT FULL.BIN", 1},
        {"one cluster over", "1440", {{"FULL.BIN", 1457152}, {"A.TXT", 513}}, {},
         "A.TXT | FULL.BIN", "FULL.BIN | A.TXT", 2},
        {"a root of 16 entries filled by long names", "1680",
         {{"BIG1.CAB", 1000000}, {"BIG2.CAB", 1000000}, tiny[0], tiny[1], tiny[2], tiny[3], tiny[4], tiny[5], tiny[6]},
         {},
         "BIG1.CAB | BIG2.CAB Tiny file 1.txt Tiny file 2.txt Tiny file 3.txt Tiny file 4.txt Tiny file 5.txt | "
         "Tiny file 6.txt Tiny file 7.txt",
         "BIG1.CAB Tiny file 1.txt Tiny file 2.txt Tiny file 3.txt Tiny file 4.txt Tiny file 5.txt | "
         "BIG2.CAB Tiny file 6.txt Tiny file 7.txt",
         2},
        {"two files of one FAT name", "1440", {{"a\\SETUP.INI", 100}, {"b\\setup.ini", 100}, {"c\\readme.txt", 100}},
         {}, "a\\SETUP.INI | b\\setup.ini c\\readme.txt", "b\\setup.ini c\\readme.txt | a\\SETUP.INI", 2},
        {"a name that would be the other's alias", "1440", {{"LONGFI~1.TXT", 100}, {"Long file 1.txt", 100}}, {},
         "Long file 1.txt | LONGFI~1.TXT", "Long file 1.txt | LONGFI~1.TXT", 1},
        {"/first", "1440", {{"A.CAB", 1000000}, {"B.CAB", 1000000}, {"SETUP.EXE", 400000}}, {"setup.exe"},
         "SETUP.EXE A.CAB | B.CAB", "SETUP.EXE A.CAB | B.CAB", 2},
    };
    for (const auto& row : rows) {
        for (BOOL bFewest : {FALSE, TRUE}) {
            SetPlanner planner(*FloppyFormat::Find(row.format));
            for (const auto& file : row.files)
                planner.AddFile(file.first.c_str(), file.second);
            CStringArray first;
            for (const std::string& name : row.first)
                first.Add(name.c_str());
            CString strUnmatched;
            ASSERT_TRUE(planner.PutFirst(first, &strUnmatched)) << row.what;
            planner.Plan(bFewest);
            std::string disks;
            for (int d = 0; d < planner.GetDisks().GetSize(); ++d) {
                const CArray<int>& files = planner.GetDisks()[d].files;
                for (int j = 0; j < files.GetSize(); ++j)
                    disks += (j > 0 ? " " : d > 0 ? " | " : "") + std::string(planner.GetFile(files[j]).strEntry);
            }
            EXPECT_EQ(bFewest ? row.fewest : row.inOrder, disks) << row.what << (bFewest ? ", fewest" : ", in order");
            EXPECT_EQ(row.nBound, planner.LowerBound()) << row.what;
        }
    }
}
