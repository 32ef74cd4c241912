#include <gtest/gtest.h>
#include <string>
#include "resources/ResourceText.h"
#include "tests/database/DataPathQueries.h"

namespace {

// The default header, whole: GB2312 decoded, CR LF line ends, no line end after the last line.
const wchar_t kGridHeader[] =
    L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n"
    L"<header>\r\n"
    L"  <item title=\"序号\" font=\"_font_bold\"\r\n"
    L"        align=\"center\" name=\"_index\" width=\"50\"\r\n"
    L"        text_color=\"list_prev_data\" visible=\"false\"/>\r\n"
    L"  <item title=\"排序\" font=\"_font_bold\"\r\n"
    L"    align=\"center\" name=\"index_rank\" width=\"50\"\r\n"
    L"    sortable=\"false\" text_color=\"list_prev_data\" />\r\n"
    L"  <item title=\"代码\" font=\"_font_digital\" align=\"center\"\r\n"
    L"        name=\"aliascode\" width=\"80\" text_color=\"list_name\" />\r\n"
    L"  <item title=\"名称\" font=\"_font_name\" align=\"left\" name=\"name\"\r\n"
    L"        width=\"145\" text_color=\"list_name\" />\r\n"
    L"  <item title=\"end_date\" font=\"_font_regular\" align=\"center\" >\r\n"
    L"    <item title=\"单位净值\" font=\"_font_digital_bold\"\r\n"
    L"          align=\"center\" name=\"value\" width=\"94\"\r\n"
    L"          text_color=\"list_prev_data\" />\r\n"
    L"    <item title=\"累计净值\" font=\"_font_digital_bold\"\r\n"
    L"          align=\"center\" name=\"totalvalue\" width=\"83\"\r\n"
    L"          text_color=\"list_prev_data\" />\r\n"
    L"  </item>\r\n"
    L"  <item title=\"beg_date\" font=\"_font_regular\" align=\"center\" >\r\n"
    L"    <item title=\"单位净值\" font=\"_font_digital_bold\"\r\n"
    L"          align=\"center\" name=\"previousvalue\" width=\"83\"\r\n"
    L"          text_color=\"list_prev_data\" />\r\n"
    L"    <item title=\"累计净值\" font=\"_font_digital_bold\"\r\n"
    L"          align=\"center\" name=\"previoustotalvalue\" width=\"83\"\r\n"
    L"          text_color=\"list_prev_data\" />\r\n"
    L"  </item>\r\n"
    L"  <item title=\"增长值\" font=\"_font_digital_bold\" align=\"center\"\r\n"
    L"        titlealign=\"center\" name=\"updown\" width=\"83\" />\r\n"
    L"  <item title=\"增长率\" sort=\"desc\" font=\"_font_digital_bold\"\r\n"
    L"        align=\"center\" titlealign=\"center\" name=\"percent\" width=\"83\"\r\n"
    L"        data_type=\"d\" text_format=\"%.02f%%:*100\" />\r\n"
    L"  <item title=\"申购\" font=\"_font_bold\" align=\"center\"\r\n"
    L"      titlealign=\"center\" name=\"buystate\" width=\"60\"\r\n"
    L"      text_color=\"list_status\" />\r\n"
    L"  <item title=\"赎回\" font=\"_font_bold\" align=\"center\"\r\n"
    L"      titlealign=\"center\" name=\"redeemstate\" width=\"60\"\r\n"
    L"      text_color=\"list_status\" />\r\n"
    L"  <item title=\"投资类型\" font=\"_font_regular\" align=\"center\"\r\n"
    L"  name=\"investtype\" width=\"83\" text_color=\"list_style\" />\r\n"
    L"  <item title=\"基金类型\" font=\"_font_regular\" align=\"center\"\r\n"
    L"      name=\"fundtype\" width=\"96\" text_color=\"list_type\" />\r\n"
    L"  <item title=\"投资风格\" font=\"_font_regular\" align=\"center\"\r\n"
    L"        name=\"investstyle\" width=\"83\" text_color=\"list_style\" />\r\n"
    L"  <item title=\"成立日期\" font=\"_font_regular\" align=\"center\" name=\"createdate\"\r\n"
    L"        width=\"98\" text_color=\"list_prev_data\"\r\n"
    L"        text_format=\":::0001-01-01=--\" />\r\n"
    L"  <item title=\"基金公司\" font=\"_font_regular\" align=\"left\"\r\n"
    L"        name=\"company\" width=\"175\" text_color=\"list_company\" />\r\n"
    L"</header>";

TEST(ResourceText, BothResourcesAreEmbeddedWhole) {
    EXPECT_EQ(std::wstring(LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER").c_str()), kGridHeader);
    EXPECT_EQ(std::wstring(LoadResourceText(ThisModule(), L"SQL", L"QUERY").c_str()), kProductQuery);
}

TEST(ResourceText, MissingResourceGivesEmptyText) {
    EXPECT_TRUE(LoadResourceText(ThisModule(), L"XML", L"NO_SUCH").isEmpty());
    EXPECT_TRUE(LoadResourceText(ThisModule(), L"NOTYPE", L"GRIDHEADER").isEmpty());
}

} // namespace
