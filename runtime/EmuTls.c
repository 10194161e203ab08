// The thread-local variables gcc makes on Windows, where it emulates them
// through this function, in place of libgcc's, which is built for a
// Pentium Pro. Each thread's variables hang off one Win32 TLS slot. A
// thread's copies stay allocated when it ends: the only such variable in
// our programs is the C++ run-time's exception state, a few bytes, and they
// start few threads.
#include <windows.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

// As gcc lays it out: the index is 0 until the variable is first used.
typedef struct {
    size_t size;
    size_t align;
    volatile size_t index;
    const void* initial;
} EmuTlsObject;

static DWORD g_slot = TLS_OUT_OF_INDEXES;
static size_t g_nVariables;
static volatile LONG g_lock;

static size_t NumberVariable(EmuTlsObject* object)
{
    while (__sync_lock_test_and_set(&g_lock, 1))
        Sleep(0);
    if (g_slot == TLS_OUT_OF_INDEXES)
        g_slot = TlsAlloc();
    if (g_slot == TLS_OUT_OF_INDEXES)
        abort();
    if (object->index == 0)
        object->index = ++g_nVariables;
    size_t index = object->index;
    __sync_lock_release(&g_lock);
    return index;
}

void* __emutls_get_address(EmuTlsObject* object)
{
    size_t index = object->index;
    if (index == 0)
        index = NumberVariable(object);

    // TlsGetValue clears the last error, which the caller may be about to read.
    DWORD dwLastError = GetLastError();
    // [0] is the number of variables the block has room for.
    void** block = (void**)TlsGetValue(g_slot);
    if (block == NULL || (size_t)block[0] < index) {
        size_t nOld = block != NULL ? (size_t)block[0] : 0;
        size_t nNew = index + 8;
        block = (void**)realloc(block, (nNew + 1) * sizeof(void*));
        if (block == NULL)
            abort();
        memset(block + nOld + 1, 0, (nNew - nOld) * sizeof(void*));
        block[0] = (void*)nNew;
        TlsSetValue(g_slot, block);
    }
    SetLastError(dwLastError);

    if (block[index] == NULL) {
        size_t align = object->align > sizeof(void*) ? object->align : sizeof(void*);
        char* raw = (char*)malloc(object->size + align - 1);
        if (raw == NULL)
            abort();
        void* variable = (void*)(((uintptr_t)raw + align - 1) & ~(uintptr_t)(align - 1));
        if (object->initial != NULL)
            memcpy(variable, object->initial, object->size);
        else
            memset(variable, 0, object->size);
        block[index] = variable;
    }
    return block[index];
}
