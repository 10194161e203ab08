#include <gtest/gtest.h>
#include <windows.h>

#include "drives/DriveInfo.h"

namespace {
// A 32-bit memory canvas whose pixels can be read back.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width)
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;  // top-down rows
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(NULL);
        m_bitmap = CreateDIBSection(m_dc, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits),
                                    NULL, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, width, height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int m_width;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    DWORD* m_bits;
};

HICON SolidIcon(COLORREF color)
{
    HDC screen = GetDC(NULL);
    HBITMAP bits = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bits);
    HBRUSH brush = CreateSolidBrush(color);
    RECT r = {0, 0, 16, 16};
    FillRect(dc, &r, brush);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, NULL);  // all zero: fully opaque
    HDC maskDc = CreateCompatibleDC(NULL);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    PatBlt(maskDc, 0, 0, 16, 16, BLACKNESS);
    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    ICONINFO info = {TRUE, 0, 0, mask, bits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(bits);
    DeleteObject(mask);
    return icon;
}

class DrawItem : public ::testing::Test {
protected:
    void SetUp() override
    {
        drive.m_strDisplayName = "Floppy (A:)";
        drive.m_hIcon = SolidIcon(kNormal);
        drive.m_hSelectedIcon = SolidIcon(kSelected);
    }
    void TearDown() override
    {
        DestroyIcon(drive.m_hIcon);
        DestroyIcon(drive.m_hSelectedIcon);
    }
    void Draw(int top, int height, UINT state)
    {
        DRAWITEMSTRUCT dis = {};
        dis.CtlType = ODT_LISTBOX;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = state;
        dis.hDC = canvas.dc();
        dis.rcItem = {0, top, 200, top + height};
        drive.DrawItem(&dis);
    }
    // Rows of the canvas where the icon's column shows the given colour.
    std::pair<int, int> IconRows(COLORREF color)
    {
        int first = -1, last = -1;
        for (int y = 0; y < 40; ++y) {
            if (canvas.At(10, y) == color) {
                if (first < 0)
                    first = y;
                last = y;
            }
        }
        return {first, last};
    }

    const COLORREF kNormal = RGB(255, 0, 0);
    const COLORREF kSelected = RGB(0, 0, 255);
    Canvas canvas{200, 40};
    DriveInfo drive;
};

bool AnyPixel(const Canvas& c, int x0, int x1, int y0, int y1, COLORREF color)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (c.At(x, y) == color)
                return true;
    return false;
}
}  // namespace

TEST_F(DrawItem, SelectedItemUsesHighlightColoursAndTheSelectedIcon)
{
    Draw(10, 20, ODS_SELECTED);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), canvas.At(190, 20));
    EXPECT_TRUE(AnyPixel(canvas, 24, 120, 10, 30, GetSysColor(COLOR_HIGHLIGHTTEXT)));
    EXPECT_EQ(kSelected, canvas.At(10, 20));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), canvas.At(199, 10)) << "no focus, no dotted edge";
}

TEST_F(DrawItem, PlainItemUsesWindowColoursAndTheNormalIcon)
{
    Draw(10, 20, 0);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), canvas.At(190, 20));
    EXPECT_TRUE(AnyPixel(canvas, 24, 120, 10, 30, GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_EQ(kNormal, canvas.At(10, 20));
}

TEST_F(DrawItem, FocusedItemGetsADottedEdge)
{
    Draw(10, 20, ODS_SELECTED | ODS_FOCUS);
    int changed = 0;
    for (int x = 40; x < 200; ++x)
        changed += canvas.At(x, 10) != GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_GT(changed, 40) << "the top edge should be dotted over the highlight";
}

TEST_F(DrawItem, IconIsCentredInATallItem)
{
    Draw(10, 20, 0);
    EXPECT_EQ(std::make_pair(12, 27), IconRows(kNormal)) << "2 pixels below the item's top";
}

TEST_F(DrawItem, IconStartsAboveALowItem)
{
    Draw(10, 13, 0);
    EXPECT_EQ(std::make_pair(9, 24), IconRows(kNormal)) << "1 pixel above the item's top";
}
