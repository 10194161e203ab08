#include "ImportPatch.h"

#include <cstring>
#include <stdexcept>
#include <string>

ImportPatch::ImportPatch(const char* dll, const char* function, const void* replacement)
    : m_slot(NULL), m_original(NULL)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name != 0 && m_slot == NULL; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (strcmp(reinterpret_cast<char*>(byName->Name), function) == 0) {
                m_slot = reinterpret_cast<void**>(&slots->u1.Function);
                break;
            }
        }
    }
    if (m_slot == NULL)
        throw std::runtime_error(std::string("not imported: ") + dll + "!" + function);
    m_original = *m_slot;
    Store(const_cast<void*>(replacement));
}

ImportPatch::~ImportPatch()
{
    Store(m_original);
}

void ImportPatch::Store(void* value)
{
    DWORD old;
    VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &old);
    *m_slot = value;
    VirtualProtect(m_slot, sizeof(void*), old, &old);
}

namespace {
int g_mallocsBeforeFailure = -1;

void* __cdecl FailOneMalloc(size_t size)
{
    static auto real = reinterpret_cast<void*(__cdecl*)(size_t)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "malloc")));
    return g_mallocsBeforeFailure-- == 0 ? NULL : real(size);
}
}  // namespace

AllocationFailure::AllocationFailure(int nAllowed)
    : m_patch("msvcrt.dll", "malloc", reinterpret_cast<const void*>(FailOneMalloc))
{
    g_mallocsBeforeFailure = nAllowed;
}

bool AllocationFailure::Happened() const
{
    return g_mallocsBeforeFailure < 0;
}
