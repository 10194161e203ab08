// Files for tests: temporary directories (removed again when the test
// ends), files of chosen bytes, and packages, which are a package list and
// the files it names. SampleBytes differ from file to file, so a file that
// lands in the wrong place shows. Failures to write throw.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }
    // Writes a file below the directory, creating subdirectories on the way.
    std::string Write(const std::string& name, const std::string& content) const;

private:
    std::string m_path;
};

void WriteFileBytes(const std::string& path, const std::string& content);
// Bytes that differ from file to file, so a mix-up shows.
std::string SampleBytes(size_t size, unsigned seed);
// Overwrites one byte of an existing file in place, as a bad sector
// would: its modification time stays.
void PatchFileByte(const std::string& path, LONG offset, char value);
void SetLastWriteTime(const std::string& path, const FILETIME& time);
FILETIME LastWriteTime(const std::string& path);
// The UTC time of a local date and time, as a FAT floppy keeps them.
FILETIME LocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// A time moved by a number of seconds.
FILETIME AddSeconds(const FILETIME& time, LONGLONG seconds);
// Makes a file look an hour old. The platform's profile reader parses a
// file changed in the last two seconds afresh on every call; a package
// list beside an installed program is older than that.
void AgeFile(const std::string& path);
// Writes a file of zeros at path until its disk is full.
void FillDisk(const std::string& path);
// The files directly in a directory (a floppy's root): name to content.
std::map<std::string, std::string> FilesIn(const std::string& dir);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
void RemoveTree(const std::string& path);
// Empties a directory (such as a floppy's root) without removing it.
void RemoveContents(const std::string& dir);
// The directory of the test program itself.
std::string TestProgramDirectory();

// A package list of the product name whose disks hold these entries.
using PackageDisks = std::vector<std::vector<std::string>>;
std::string PackageList(const PackageDisks& disks, const std::string& name = "Corvela");
// Writes packlist.ini for these disks into dir, and each entry's file with
// its content, except an entry whose content is kNoFile; returns the
// list's path.
using PackageFiles = std::vector<std::vector<std::pair<std::string, std::string>>>;
const char* const kNoFile = "<missing>";
std::string WritePackage(const TempDir& dir, const PackageFiles& disks, const std::string& name = "Corvela");
// list followed by a section of padding that makes it size bytes long.
std::string PaddedList(const std::string& list, size_t size);
// The example package: two disks of the product Corvela (disk1\setup.exe
// and disk1\setup.ini, then disk2\data.cab), its files of the given sizes.
inline const PackageDisks kCorvela = {{"disk1\\setup.exe", "disk1\\setup.ini"}, {"disk2\\data.cab"}};
std::string WriteCorvela(const TempDir& dir, size_t setupSize = 40000, size_t iniSize = 300, size_t cabSize = 300000);
