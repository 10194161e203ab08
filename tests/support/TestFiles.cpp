#include "TestFiles.h"

#include <stdexcept>

TempDir::TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    char name[MAX_PATH];
    if (!GetTempFileNameA(base, "qv", 0, name))
        throw std::runtime_error("GetTempFileName failed");
    DeleteFileA(name);
    if (!CreateDirectoryA(name, NULL))
        throw std::runtime_error("CreateDirectory failed");
    m_path = name;
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

std::string TempDir::Write(const std::string& name, const std::string& content) const
{
    std::string path = *this / name;
    for (size_t i = m_path.size() + 1; (i = path.find('\\', i)) != std::string::npos; ++i)
        CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    WriteFileBytes(path, content);
    return path;
}

std::string SampleBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(x >> 16);
    }
    return bytes;
}

void PatchFileByte(const std::string& path, LONG offset, char value)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD written = 0;
    FILETIME time;
    BOOL ok = h != INVALID_HANDLE_VALUE && GetFileTime(h, NULL, NULL, &time) &&
              SetFilePointer(h, offset, NULL, FILE_BEGIN) == DWORD(offset) &&
              WriteFile(h, &value, 1, &written, NULL) && written == 1 && SetFileTime(h, NULL, NULL, &time);
    CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot change " + path);
}

void SetLastWriteTime(const std::string& path, const FILETIME& time)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BOOL ok = h != INVALID_HANDLE_VALUE && SetFileTime(h, NULL, NULL, &time);
    CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot set the time of " + path);
}

FILETIME LastWriteTime(const std::string& path)
{
    FILETIME time = {0, 0};
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    BOOL ok = h != INVALID_HANDLE_VALUE && GetFileTime(h, NULL, NULL, &time);
    CloseHandle(h);
    if (!ok)
        throw std::runtime_error("cannot read the time of " + path);
    return time;
}

FILETIME LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(year), st.wMonth = static_cast<WORD>(month), st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour), st.wMinute = static_cast<WORD>(minute), st.wSecond = static_cast<WORD>(second);
    FILETIME local, utc;
    if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc))
        throw std::runtime_error("not a time: " + std::to_string(year));
    return utc;
}

FILETIME AddSeconds(const FILETIME& time, LONGLONG seconds)
{
    ULARGE_INTEGER t = {{time.dwLowDateTime, time.dwHighDateTime}};
    t.QuadPart += seconds * 10000000;
    return {t.LowPart, t.HighPart};
}

void AgeFile(const std::string& path)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 3600ULL * 10000000ULL;
    SetLastWriteTime(path, {t.LowPart, t.HighPart});
}

void FillDisk(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    static const char zeros[4096] = {};
    DWORD written = sizeof(zeros);
    while (written == sizeof(zeros) && WriteFile(h, zeros, sizeof(zeros), &written, NULL)) {
    }
    CloseHandle(h);
}

void WriteFileBytes(const std::string& path, const std::string& content)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    BOOL ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, NULL);
    CloseHandle(h);
    if (!ok || written != content.size())
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                           NULL);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    std::string content(GetFileSize(h, NULL), '\0');
    DWORD read = 0;
    ReadFile(h, &content[0], static_cast<DWORD>(content.size()), &read, NULL);
    CloseHandle(h);
    content.resize(read);
    return content;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveContents(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = fd.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

void RemoveTree(const std::string& path)
{
    RemoveContents(path);
    RemoveDirectoryA(path.c_str());
}

std::string TestProgramDirectory()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.rfind('\\'));
}

std::map<std::string, std::string> FilesIn(const std::string& dir)
{
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[fd.cFileName] = ReadFileBytes(dir + "\\" + fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return files;
}

std::string PackageList(const PackageDisks& disks, const std::string& name)
{
    std::string list = "[Global]\r\nName=" + name + "\r\n[Disks]\r\nNumber=" + std::to_string(disks.size()) + "\r\n";
    for (size_t k = 0; k < disks.size(); ++k) {
        list += "[Disk" + std::to_string(k) + "]\r\nFiles=" + std::to_string(disks[k].size()) + "\r\n";
        for (size_t j = 0; j < disks[k].size(); ++j)
            list += "File" + std::to_string(j) + "=" + disks[k][j] + "\r\n";
    }
    return list;
}

std::string WritePackage(const TempDir& dir, const PackageFiles& disks, const std::string& name)
{
    PackageDisks entries;
    for (const auto& disk : disks) {
        entries.emplace_back();
        for (const auto& file : disk) {
            entries.back().push_back(file.first);
            if (file.second != kNoFile)
                dir.Write(file.first, file.second);
        }
    }
    return dir.Write("packlist.ini", PackageList(entries, name));
}

std::string PaddedList(const std::string& list, size_t size)
{
    std::string padded = list + "[Padding]\r\nJunk=";
    return padded + std::string(size - padded.size() - 2, 'p') + "\r\n";
}

std::string WriteCorvela(const TempDir& dir, size_t setupSize, size_t iniSize, size_t cabSize)
{
    return WritePackage(dir, {{{"disk1\\setup.exe", SampleBytes(setupSize, 1)}, {"disk1\\setup.ini", SampleBytes(iniSize, 2)}},
                              {{"disk2\\data.cab", SampleBytes(cabSize, 3)}}});
}
