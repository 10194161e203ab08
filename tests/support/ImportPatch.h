// Replaces one function that this test program imports from a system DLL,
// for the lifetime of the object. This is the seam through which tests make
// the system report what a real machine cannot produce on demand (a drive
// that is not ready, a write-protected floppy); the code under test still
// calls the plain Win32 function. AllocationFailure uses it to make one
// allocation fail.
#pragma once
#include <windows.h>

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, const void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // The real function, for replacements that only sometimes interfere.
    template <class F>
    F Original() const
    {
        return reinterpret_cast<F>(m_original);
    }

private:
    void Store(void* value);

    void** m_slot;
    void* m_original;
};

// While it lives, the allocation (malloc) after the first nAllowed ones
// fails. Only that one: the exception that reports it needs memory too.
class AllocationFailure {
public:
    explicit AllocationFailure(int nAllowed);
    // True once the failing allocation was asked for.
    bool Happened() const;

private:
    ImportPatch m_patch;
};
