#include <gtest/gtest.h>
#include <fstream>
#include <iterator>
#include "resources/ResourceText.h"

namespace {

TEST(ResourceText, GridHeaderIsEmbeddedAsStored) {
    XStringW header = LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER");
    ASSERT_FALSE(header.isEmpty());
    EXPECT_TRUE(header.startsWith(L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<header>\r\n"));
    EXPECT_TRUE(
        header.endsWith(L"name=\"company\" width=\"175\" text_color=\"list_company\" />\r\n</header>"));
    EXPECT_GE(header.find(L"title=\"序号\""), 0);
    EXPECT_GE(header.find(L"text_format=\":::0001-01-01=--\""), 0);
    EXPECT_EQ(header.find(L"\n\n"), -1);
    EXPECT_EQ(header.find(wchar_t(0xFFFD)), -1);
}

TEST(ResourceText, MissingResourceGivesEmptyText) {
    EXPECT_TRUE(LoadResourceText(ThisModule(), L"XML", L"NO_SUCH").isEmpty());
    EXPECT_TRUE(LoadResourceText(ThisModule(), L"NOTYPE", L"GRIDHEADER").isEmpty());
}

} // namespace
