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

namespace {
// Move-only, like a disk with its entries; counts live objects so a lost or
// doubly destroyed element shows.
struct Tracked {
    static int live;
    int value;
    CStringArray inner;
    explicit Tracked(int v = 0) : value(v) { ++live; }
    Tracked(Tracked&& other) noexcept : value(other.value), inner(std::move(other.inner)) { ++live; }
    Tracked& operator=(Tracked&&) = default;
    ~Tracked() { --live; }
};
int Tracked::live = 0;
}  // namespace

TEST(CArray, MoveOnlyElementsGrowAndMoveWithoutLossOrLeak)
{
    Tracked::live = 0;
    {
        CArray<Tracked> a;
        for (int i = 0; i < 1000; ++i) {
            int at = a.Add(Tracked(i));
            a[at].inner.Add("entry");
        }
        ASSERT_EQ(1000, a.GetSize());
        EXPECT_EQ(1000, Tracked::live);
        EXPECT_EQ(999, a[999].value);
        EXPECT_STREQ("entry", a[0].inner[0]);

        const Tracked* first = &a[0];
        CArray<Tracked> b;
        b.Add(Tracked(-1));
        b = std::move(a);
        EXPECT_EQ(first, &b[0]) << "the block is taken over, so addresses stay valid";
        EXPECT_EQ(0, a.GetSize());
        EXPECT_EQ(1000, Tracked::live) << "what b held before is destroyed";

        CArray<Tracked> c;
        c.SetSize(1);
        c[0] = std::move(b[500]);
        EXPECT_EQ(500, c[0].value);
        EXPECT_STREQ("entry", c[0].inner[0]);
        EXPECT_EQ(0, b[500].inner.GetSize());
    }
    EXPECT_EQ(0, Tracked::live);
}
