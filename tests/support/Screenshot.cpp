#include "Screenshot.h"

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "TestFiles.h"

void SaveScreenshot(const std::string& name, unsigned settle)
{
    const char* dir = getenv("QUORVANE_SCREENSHOTS");
    if (dir == NULL || *dir == '\0')
        return;
    Sleep(settle);

    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    void* bits = NULL;
    HBITMAP bitmap = CreateDIBSection(screen, &bmi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();

    DWORD stride = ((width * 3) + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(bmi.bmiHeader);
    file.bfSize = file.bfOffBits + stride * height;
    std::string content(reinterpret_cast<char*>(&file), sizeof(file));
    content.append(reinterpret_cast<char*>(&bmi.bmiHeader), sizeof(bmi.bmiHeader));
    content.append(static_cast<char*>(bits), stride * height);
    WriteFileBytes(std::string(dir) + "\\" + name + ".bmp", content);

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
}
