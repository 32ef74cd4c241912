#include <gtest/gtest.h>
#include "module/host/XString.h"

TEST(XStringA, ComparesBytesAsUnsigned) {
    // GB2312 bytes are above 0x7F; a signed comparison would put them before ASCII.
    XStringA gb = XStringW(L"中").toCodePage("gb2312");
    EXPECT_GT(gb.compare("z"), 0);
    EXPECT_LT(XStringA("abc").compare(XStringA("abd")), 0);
    EXPECT_EQ(XStringA("abc"), XStringA("abc"));
    EXPECT_LT(XStringA("ab"), XStringA("abc"));
}

TEST(XStringA, FormatFindAndWiden) {
    XStringA s = XStringA::format("%s=%d", "x", 5);
    EXPECT_STREQ(s.c_str(), "x=5");
    EXPECT_EQ(s.find("="), 1);
    EXPECT_EQ(s.find("?"), -1);
    EXPECT_STREQ(s.toWide("ascii").c_str(), L"x=5");
}
