#include <gtest/gtest.h>
#include "module/host/XString.h"

namespace {

TEST(XStringWFormat, DatesNumbersAndTexts) {
    EXPECT_STREQ(XStringW::format(L"%d-%02d-%02d", 2024, 3, 7).c_str(), L"2024-03-07");
    EXPECT_STREQ(XStringW::format(L"%.02f%%", 5.2345).c_str(), L"5.23%");
    EXPECT_STREQ(XStringW::format(L"[%s|%5s|%-5s|%.2s]", L"ab", L"ab", L"ab", L"abc").c_str(),
                 L"[ab|   ab|ab   |ab]");
    EXPECT_STREQ(XStringW::format(L"%hs", "narrow").c_str(), L"narrow");
    EXPECT_STREQ(XStringW::format(L"%c%c", L'中', L'x').c_str(), L"中x");
    EXPECT_STREQ(XStringW::format(L"%I64d %lld %u %x %X", 1LL << 40, -5LL, 4000000000u, 255, 255).c_str(),
                 L"1099511627776 -5 4000000000 ff FF");
    EXPECT_STREQ(XStringW::format(L"%*d|%-*d|%.*f", 4, 7, 3, 1, 1, 2.25).c_str(), L"   7|1  |2.2");
    EXPECT_STREQ(XStringW::format(L"%s", L"集合理财产品").c_str(), L"集合理财产品");
    EXPECT_STREQ(XStringW::format(L"%s", static_cast<const wchar_t*>(nullptr)).c_str(), L"(null)");
}

TEST(XStringWFormat, OddFormatsAreHandledSafely) {
    // Unknown conversions are copied, %n writes nothing, a lone % at the end stays.
    EXPECT_STREQ(XStringW::format(L"a%qb").c_str(), L"a%qb");
    int untouched = 42;
    EXPECT_STREQ(XStringW::format(L"x%ny", &untouched).c_str(), L"xy");
    EXPECT_EQ(untouched, 42);
    EXPECT_STREQ(XStringW::format(L"100%").c_str(), L"100%");
    // Huge widths are clamped instead of allocating gigabytes.
    EXPECT_EQ(XStringW::format(L"%999999999d", 1).length(), 1024);
    EXPECT_STREQ(XStringW::format(nullptr).c_str(), L"");
}

TEST(XStringWEdit, ReplaceAllFindAndSubstrings) {
    XStringW s(L"beg_date ~ end_date ~ beg_date");
    EXPECT_EQ(s.replace(L"beg_date", L"2024-01-02"), 2);
    EXPECT_STREQ(s.c_str(), L"2024-01-02 ~ end_date ~ 2024-01-02");
    EXPECT_EQ(s.replace(L"", L"x"), 0);
    EXPECT_EQ(s.replace(L"missing", L"x"), 0);

    XStringW grow(L"aaa");
    EXPECT_EQ(grow.replace(L"a", L"aa"), 3); // replacement containing the pattern: no loop
    EXPECT_STREQ(grow.c_str(), L"aaaaaa");
    XStringW overlap(L"aaaa");
    EXPECT_EQ(overlap.replace(L"aa", L"b"), 2);
    EXPECT_STREQ(overlap.c_str(), L"bb");
    XStringW self(L"ab");
    self.replace(L"a", self.c_str()); // the replacement aliases the string itself
    EXPECT_STREQ(self.c_str(), L"abb");

    XStringW t(L"ABC-DEF-GHI");
    EXPECT_EQ(t.find(L'-'), 3);
    EXPECT_EQ(t.find(L"-", 4), 7);
    EXPECT_EQ(t.reverseFind(L'-'), 7);
    EXPECT_EQ(t.find(L"XYZ"), -1);
    EXPECT_STREQ(t.mid(4).c_str(), L"DEF-GHI");
    EXPECT_STREQ(t.mid(4, 3).c_str(), L"DEF");
    EXPECT_STREQ(t.mid(-3, 2).c_str(), L"AB");
    EXPECT_STREQ(t.mid(50).c_str(), L"");
    EXPECT_STREQ(t.left(3).c_str(), L"ABC");
    EXPECT_STREQ(t.right(3).c_str(), L"GHI");
    EXPECT_STREQ(t.right(99).c_str(), L"ABC-DEF-GHI");
}

TEST(XStringWEdit, TrimAndCaseIncludingNonAscii) {
    XStringW s(L" \t\x3000text\r\n ");
    EXPECT_STREQ(s.trim().c_str(), L"text");
    XStringW blank(L"   ");
    EXPECT_TRUE(blank.trim().isEmpty());

    EXPECT_STREQ(XStringW(L"ABC Ünïcode ÄÖ ΣΑΣ ЖУК ＡＢＣ").toLower().c_str(), L"abc ünïcode äö σασ жук ａｂｃ");
    EXPECT_STREQ(XStringW(L"华夏ABC").toLower().c_str(), L"华夏abc");
    EXPECT_EQ(XStringW(L"Straße").compareNoCase(L"STRAßE"), 0);
    EXPECT_LT(XStringW(L"abc").compare(L"abd"), 0);
    EXPECT_GT(XStringW(L"abc").compare(XStringW(L"ab")), 0);
    EXPECT_TRUE(XStringW(L"abc") == L"abc");
}

TEST(XStringWCodePage, Gb2312AndUtf8RoundTrips) {
    const XStringW chinese(L"集合理财产品净值模块，正在查询数据，请稍等...");
    XStringA gb = chinese.toCodePage("gb2312");
    // "集" is 0xBC 0xAF in GB2312.
    ASSERT_GE(gb.length(), 2);
    EXPECT_EQ(static_cast<unsigned char>(gb.at(0)), 0xBC);
    EXPECT_EQ(static_cast<unsigned char>(gb.at(1)), 0xAF);
    EXPECT_EQ(XStringW::fromCodePage(gb, "GB2312"), chinese);
    EXPECT_EQ(XStringW::fromCodePage(gb, "936"), chinese);

    XStringA utf8 = chinese.toUtf8();
    EXPECT_EQ(utf8.length(), int(std::string(u8"集合理财产品净值模块，正在查询数据，请稍等...").size()));
    EXPECT_EQ(XStringW::fromUtf8(utf8.c_str()), chinese);
    EXPECT_EQ(XStringW::fromCodePage(utf8, "utf-8"), chinese);

    EXPECT_TRUE(chinese.toCodePage("no-such-page").isEmpty());
    EXPECT_TRUE(XStringW::fromCodePage("abc", 3, "no-such-page").isEmpty());
    EXPECT_TRUE(XStringW::fromCodePage(nullptr, 5, "gb2312").isEmpty());
}

TEST(XStringWNumbers, WholeTextMustBeANumber) {
    bool ok = false;
    EXPECT_DOUBLE_EQ(XStringW(L" 1.25 ").toDouble(&ok), 1.25);
    EXPECT_TRUE(ok);
    XStringW(L"1.25x").toDouble(&ok);
    EXPECT_FALSE(ok);
    XStringW(L"").toDouble(&ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(XStringW(L"-42").toInt(&ok), -42);
    EXPECT_TRUE(ok);
    XStringW(L"1.5").toInt(&ok);
    EXPECT_FALSE(ok);
}

TEST(XStringWBuffer, WindowsStyleBufferAccess) {
    XStringW s;
    wchar_t* p = s.getBuffer(10);
    wcscpy(p, L"hello");
    s.releaseBuffer();
    EXPECT_EQ(s.length(), 5);
    s += L" world";
    EXPECT_STREQ(s.c_str(), L"hello world");
    s.append(s.c_str() + 6, 5); // appending a part of itself
    EXPECT_STREQ(s.c_str(), L"hello worldworld");
    XStringW moved(std::move(s));
    EXPECT_TRUE(s.isEmpty());
    EXPECT_STREQ(moved.c_str(), L"hello worldworld");
}

} // namespace
