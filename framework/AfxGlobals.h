// Where the program's own module and resources are.
#pragma once
#include <windows.h>

HINSTANCE AfxGetInstanceHandle();
// String tables, dialog templates, icons and bitmaps come from here.
HINSTANCE AfxGetResourceHandle();
