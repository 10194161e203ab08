// MemoryCopy: a written file held in memory, for comparing a source with a
// copy that differs exactly where a test says, without a floppy.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "verify/FileComparer.h"

class MemoryCopy : public CopyReader {
public:
    MemoryCopy(std::string bytes, const FILETIME& time) : m_bytes(std::move(bytes)), m_time(time) {}
    BOOL Open(DWORD*) override { return TRUE; }
    ULONGLONG GetLength() override { return m_bytes.size(); }
    BOOL GetLastWriteTime(FILETIME* pTime) override
    {
        *pTime = m_time;
        return TRUE;
    }
    BOOL ReadBlock(BYTE* pBuffer, UINT* pnRead, DWORD*) override
    {
        size_t n = std::min<size_t>(FileComparer::kBlockSize, m_bytes.size() - m_position);
        memcpy(pBuffer, m_bytes.data() + m_position, n);
        m_position += n;
        *pnRead = static_cast<UINT>(n);
        return TRUE;
    }

private:
    std::string m_bytes;
    FILETIME m_time;
    size_t m_position = 0;
};
