// The C library's memory functions for the release programs, on the
// process heap, which every Windows has. A request that cannot be met
// returns NULL, as the C library's do: the framework and the C++ run-time
// turn that into their exceptions.
#include <windows.h>
#include <stdlib.h>

void* malloc(size_t size)
{
    // A zero-byte block is still a block of its own.
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void* calloc(size_t count, size_t size)
{
    if (size != 0 && count > (size_t)-1 / size)
        return NULL;
    size_t total = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

void* realloc(void* block, size_t size)
{
    if (block == NULL)
        return malloc(size);
    if (size == 0) {
        free(block);
        return NULL;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void free(void* block)
{
    if (block != NULL)
        HeapFree(GetProcessHeap(), 0, block);
}
