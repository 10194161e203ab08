#include <gtest/gtest.h>

#include "framework/CArray.h"

TEST(CArray, GrowingKeepsElementsAndAddingOwnElementIsSafe)
{
    CStringArray a;
    a.Add("first");
    for (int i = 0; i < 100; ++i)
        a.Add(a[0]);  // the source lives in the block that is about to move
    ASSERT_EQ(101, a.GetSize());
    EXPECT_STREQ("first", a[100]);
}

TEST(CArray, SetSizeDefaultConstructsAndShrinks)
{
    CStringArray a;
    a.SetSize(3);
    EXPECT_STREQ("", a[2]);
    a[1] = "x";
    a.SetSize(2);
    EXPECT_EQ(2, a.GetSize());
    EXPECT_STREQ("x", a[1]);
}

TEST(CArray, ImpossibleSizeRaisesMemoryException)
{
    // 2^31 elements of 1 MB: in a 32-bit process the byte count would wrap
    // and the array refuses it outright; in a 64-bit one it does not wrap,
    // but no allocator can give 2^51 bytes, and that is refused too.
    struct Megabyte {
        char bytes[1 << 20];
    };
    CArray<Megabyte> a;
    bool thrown = false;
    try {
        a.SetSize(0x7FFFFFFF);
    } catch (CMemoryException* e) {
        e->Delete();
        thrown = true;
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(0, a.GetSize());
}
