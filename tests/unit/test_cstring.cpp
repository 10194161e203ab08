#include <gtest/gtest.h>

#include "framework/CString.h"
#include "package/ProgramDirectory.h"
#include "runtime/CommandLine.h"

TEST(CString, CopiesShareOneBufferUntilOneIsWritten)
{
    CString a("floppy");
    CString b(a);
    EXPECT_EQ(static_cast<LPCSTR>(a), static_cast<LPCSTR>(b));
    EXPECT_EQ(2, a.GetRefCount());

    b += " disk";
    EXPECT_STREQ("floppy", a);
    EXPECT_STREQ("floppy disk", b);
    EXPECT_EQ(1, a.GetRefCount());

    CString c(a);
    LPSTR p = c.GetBuffer(10);
    p[0] = 'F';
    c.ReleaseBuffer();
    EXPECT_STREQ("floppy", a);
    EXPECT_STREQ("Floppy", c);
}

TEST(CString, SelfAssignmentAndSelfAppendKeepTheText)
{
    CString a("ab");
    a = a;
    a += a;
    a = static_cast<LPCSTR>(a) + 1;  // a tail of its own buffer
    EXPECT_STREQ("bab", a);
}

TEST(CString, EmptyTextsAreNotCountedAndNullIsEmpty)
{
    CString a;
    CString b(static_cast<LPCSTR>(NULL));
    CString c(a);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(-1, c.GetRefCount());
    EXPECT_STREQ("", c);
}

TEST(CString, FormatGrowsToAnyLength)
{
    CString s;
    s.Format("Disk %d - %s", 3, "Corvela");
    EXPECT_STREQ("Disk 3 - Corvela", s);

    std::string longName(5000, 'x');
    s.Format("[%s]", longName.c_str());
    EXPECT_EQ(5002, s.GetLength());
}

TEST(CString, LeftRightAndMidClampToTheText)
{
    CString s("A:\\setup.exe");
    EXPECT_STREQ("A:", s.Left(2));
    EXPECT_STREQ("A:\\setup.exe", s.Left(99));
    EXPECT_STREQ("", s.Left(-1));
    EXPECT_STREQ("exe", s.Right(3));
    EXPECT_STREQ("A:\\setup.exe", s.Right(99));
    EXPECT_STREQ("setup", s.Mid(3, 5));
    EXPECT_STREQ("exe", s.Mid(9));
    EXPECT_STREQ("", s.Mid(40, 2));
}

TEST(CString, ReverseFindFindsTheLastCharacter)
{
    EXPECT_EQ(5, CString("disk1\\setup.exe").ReverseFind('\\'));
    EXPECT_EQ(-1, CString("setup.exe").ReverseFind('\\'));
    EXPECT_EQ(2, CString("C:\\").ReverseFind('\\'));
}

// Runs under the Japanese code page (932), where 0x95 0x5C is one character
// whose second byte is the backslash code.
TEST(CString, DoubleByteTrailBackslashIsNotASeparator)
{
    ASSERT_EQ(932u, GetACP()) << "this test needs LC_ALL=ja_JP.UTF-8";
    CString path("C:\\dir\\\x95\x5C");
    EXPECT_EQ(6, path.ReverseFind('\\'));
    CString plain("C:\\\x95\x5C\\file");
    EXPECT_EQ(5, plain.ReverseFind('\\'));
    // Nor in a folder given to a tool, or before a quote on its command line.
    EXPECT_STREQ("C:\\\x95\x5C\\", FolderPath("C:\\\x95\x5C"));
    char* argv[4];
    char text[32];
    ASSERT_EQ(3, SplitCommandLine("x \"D:\\\x95\x5C\" /force", argv, text));
    EXPECT_STREQ("D:\\\x95\x5C", argv[1]);
}
