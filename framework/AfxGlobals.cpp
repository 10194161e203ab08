#include "AfxGlobals.h"

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleA(NULL);
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(NULL);
}
