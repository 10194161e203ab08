#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/LegacyImports.h"

namespace {
typedef BOOL(WINAPI* IsDBCSLeadByteExProc)(UINT, BYTE);

// The system's own, not the one this program puts in its import slot.
IsDBCSLeadByteExProc SystemIsDBCSLeadByteEx()
{
    return reinterpret_cast<IsDBCSLeadByteExProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsDBCSLeadByteEx")));
}
}  // namespace

// This test program is linked like the release: the run-time's calls (the
// exceptions of every other test take its locks) land in the program's own
// functions, not in the system's.
TEST(LegacyImports, TheImportSlotsHoldTheProgramsOwnFunctions)
{
    EXPECT_EQ(reinterpret_cast<void*>(&::CreateSemaphoreW), reinterpret_cast<void*>(&legacy::CreateSemaphoreW));
    EXPECT_EQ(reinterpret_cast<void*>(&::GetModuleHandleW), reinterpret_cast<void*>(&legacy::GetModuleHandleW));
    EXPECT_EQ(reinterpret_cast<void*>(&::LoadLibraryW), reinterpret_cast<void*>(&legacy::LoadLibraryW));
    EXPECT_EQ(reinterpret_cast<void*>(&::IsDBCSLeadByteEx), reinterpret_cast<void*>(&legacy::IsDBCSLeadByteEx));
}

TEST(LegacyImports, SemaphoresCountAndNamedOnesAreShared)
{
    HANDLE unnamed = legacy::CreateSemaphoreW(NULL, 1, 2, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), unnamed);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(unnamed, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(unnamed, 0));
    EXPECT_TRUE(ReleaseSemaphore(unnamed, 2, NULL));
    EXPECT_FALSE(ReleaseSemaphore(unnamed, 1, NULL)) << "beyond the maximum";
    CloseHandle(unnamed);

    HANDLE named = legacy::CreateSemaphoreW(NULL, 0, 1, L"Quorvane legacy semaphore");
    ASSERT_NE(static_cast<HANDLE>(NULL), named);
    HANDLE byAnsiName = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "Quorvane legacy semaphore");
    EXPECT_NE(static_cast<HANDLE>(NULL), byAnsiName);
    HANDLE again = legacy::CreateSemaphoreW(NULL, 0, 1, L"Quorvane legacy semaphore");
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    CloseHandle(again);
    CloseHandle(byAnsiName);
    CloseHandle(named);
}

// Names are taken only when the ANSI code page spells them exactly: a
// best-fit or '?' spelling could open some other object.
TEST(LegacyImports, NamesWithoutAnExactAnsiSpellingAreRefused)
{
    for (const wchar_t* name : {L"Quorvane \x4E2D", L"Quorvane \x0101"}) {
        SetLastError(0);
        EXPECT_EQ(static_cast<HANDLE>(NULL), legacy::CreateSemaphoreW(NULL, 0, 1, name));
        EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());
    }
    SetLastError(0);
    EXPECT_EQ(static_cast<HMODULE>(NULL), legacy::GetModuleHandleW(L"kernel32\x4E2D.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), GetLastError());

    std::wstring tooLong(MAX_PATH, L'q');
    SetLastError(0);
    EXPECT_EQ(static_cast<HMODULE>(NULL), legacy::LoadLibraryW(tooLong.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
}

TEST(LegacyImports, ModulesAreFoundAndLoadedByTheirAnsiNames)
{
    EXPECT_EQ(GetModuleHandleA(NULL), legacy::GetModuleHandleW(NULL));
    EXPECT_EQ(GetModuleHandleA("kernel32.dll"), legacy::GetModuleHandleW(L"KERNEL32.DLL"));

    HMODULE loaded = legacy::LoadLibraryW(L"shell32.dll");
    ASSERT_NE(static_cast<HMODULE>(NULL), loaded);
    EXPECT_EQ(GetModuleHandleA("shell32.dll"), loaded);
    FreeLibrary(loaded);

    SetLastError(0);
    EXPECT_EQ(static_cast<HMODULE>(NULL), legacy::LoadLibraryW(L"no such library.dll"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), GetLastError());
}

TEST(LegacyImports, LeadBytesAgreeWithTheSystem)
{
    // Shift-JIS: lead bytes 81-9F and E0-FC, none at A0 or FD.
    EXPECT_TRUE(legacy::IsDBCSLeadByteEx(932, 0x81));
    EXPECT_TRUE(legacy::IsDBCSLeadByteEx(932, 0x9F));
    EXPECT_FALSE(legacy::IsDBCSLeadByteEx(932, 0xA0));
    EXPECT_TRUE(legacy::IsDBCSLeadByteEx(932, 0xFC));
    EXPECT_FALSE(legacy::IsDBCSLeadByteEx(932, 0xFD));
    EXPECT_FALSE(legacy::IsDBCSLeadByteEx(1252, 0x81));
    EXPECT_FALSE(legacy::IsDBCSLeadByteEx(12345, 0x81)) << "an unknown code page";

    IsDBCSLeadByteExProc system = SystemIsDBCSLeadByteEx();
    ASSERT_NE(static_cast<IsDBCSLeadByteExProc>(NULL), system);
    for (UINT codePage : {932u, 936u, 949u, 950u, 1252u, 437u, 850u, static_cast<UINT>(CP_ACP),
                          static_cast<UINT>(CP_OEMCP)}) {
        for (int b = 0; b < 256; ++b) {
            ASSERT_EQ(!!system(codePage, static_cast<BYTE>(b)), !!legacy::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(b)))
                << "code page " << codePage << ", byte " << b;
        }
    }
}
