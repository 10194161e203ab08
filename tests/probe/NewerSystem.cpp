// Not a program: an exe that asks for more than Windows 95 has, in each way
// the release check knows (see tests/CMakeLists.txt for how it is linked).
// tests/check-release.sh makes sure the check refuses it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    LARGE_INTEGER size;
    return GetFileSizeEx(NULL, &size) ? 0 : 1;
}
