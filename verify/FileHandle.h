// A file handle that is closed when it goes: the readers of floppies,
// sources and images open files with flags CFile does not take (past the
// cache, for sequential reads).
#pragma once
#include <windows.h>

class FileHandle {
public:
    explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }

    // FALSE when the system reports an error closing it (data not written).
    BOOL Close()
    {
        BOOL bClosed = m_h == INVALID_HANDLE_VALUE || ::CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return bClosed;
    }
    void Attach(HANDLE h)
    {
        Close();
        m_h = h;
    }
    BOOL IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }

    HANDLE m_h;
};
