// Files and directories for tests, removed again when the test ends.
#pragma once
#include <windows.h>

#include <map>
#include <string>

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
// Overwrites one byte of an existing file in place.
void PatchFileByte(const std::string& path, LONG offset, char value);
void SetLastWriteTime(const std::string& path, const FILETIME& time);
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
