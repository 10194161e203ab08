// Not a program: an exe built for the Pentium Pro, whose LargerOf compiles
// to a conditional move (see tests/CMakeLists.txt for how it is built).
// tests/check-i486.sh makes sure the instruction check refuses it.
#include <windows.h>

__attribute__((noinline)) int LargerOf(int a, int b)
{
    return a > b ? a : b;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    return LargerOf(lstrlenA(lpCmdLine), 3);
}
