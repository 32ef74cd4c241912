#include <gtest/gtest.h>
#include <objbase.h>
#include "FakeTheme.h"
#include "gridframe/GeneralDataGrid.h"
#include "gridframe/XmlDom.h"

namespace {

XComPtr<FakeTheme> makeTheme() {
    XComPtr<FakeTheme> theme(new FakeTheme);
    const char* keys[5] = {"fntn_font_name", "fntn_font_bold", "fntn_font_regular", "fntn_font_digital",
                           "fntn_font_digital_bold"};
    for (int i = 0; i < 5; ++i) {
        FontInfo font;
        font.attributes = XStringW::format(L"font-family=\"F%d\" font-size=\"9\" font-style=\"\"", i);
        theme->fonts[keys[i]] = font;
    }
    theme->colors["list_bg_evenLine"] = 0x010101;
    theme->colors["list_bg_oddLine"] = 0x020202;
    theme->colors["list_sel_bg"] = 0x030303;
    theme->colors["list_status"] = 0x0000AA;
    theme->colors["list_value_zero"] = 0x10;
    theme->colors["list_value_negative"] = 0x20;
    theme->colors["list_value_positive"] = 0x30;
    theme->colors["list_highlight"] = 0x40;
    return theme;
}

TEST(ThemeDataGrid, FontExpansionMatchesWholeSymbolicNames) {
    XComPtr<FakeTheme> theme = makeTheme();
    XStringW expanded = ThemeDataGrid::ExpandFonts(
        L"<item font=\"_font_digital_bold\"/><item font=\"_font_digital\"/><item font=\"_font_other\"/>",
        theme.get());
    EXPECT_STREQ(expanded.c_str(), L"<item font=\"_font_digital_bold\" font-family=\"F4\" font-size=\"9\" "
                                   L"font-style=\"\"/><item font=\"_font_digital\" font-family=\"F3\" "
                                   L"font-size=\"9\" font-style=\"\"/><item font=\"_font_other\"/>");
    // Inserted attributes are never searched again.
    theme->fonts["fntn_font_name"].attributes =
        L"font-family=\"x font=&quot;_font_bold&quot;\" font=\"_font_bold\"";
    expanded = ThemeDataGrid::ExpandFonts(L"<item font=\"_font_name\"/>", theme.get());
    EXPECT_EQ(expanded.find(L"F1"), -1);
}

TEST(ThemeDataGrid, RowBackgrounds) {
    GeneralDataGrid grid;
    XComPtr<FakeTheme> theme = makeTheme();
    grid.SetTheme(theme.get());
    COLORREF color = 0;
    grid.GetRowBkColor(0, false, color);
    EXPECT_EQ(color, COLORREF(0x020202)); // the first row is an odd line
    grid.GetRowBkColor(1, false, color);
    EXPECT_EQ(color, COLORREF(0x010101));
    grid.GetRowBkColor(1, true, color);
    EXPECT_EQ(color, COLORREF(0x030303));
}

TEST(ThemeDataGrid, ReappliedThemeRecoloursCachedColumns) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        GeneralDataGrid grid;
        XComPtr<FakeTheme> theme = makeTheme();
        grid.SetTheme(theme.get());
        ComRef<IXMLDOMDocument> document = XmlDom::parse(
            L"<header><item name=\"buystate\" text_color=\"list_status\"/><item name=\"percent\"/></header>");
        ASSERT_TRUE(document);
        ComRef<IXMLDOMNode> status = XmlDom::firstChild(XmlDom::documentElement(document.get()).get());
        ComRef<IXMLDOMNode> percent = XmlDom::nextSibling(status.get());
        ColumnInfo* info = grid.GetColumnInfo(L"buystate", status.get());
        ASSERT_TRUE(info);
        EXPECT_EQ(grid.GetColumnInfo(L"buystate", nullptr), info); // cached by name
        EXPECT_EQ(info->ColorForText(L"开放"), COLORREF(0xAA));
        ColumnInfo* sign = grid.GetColumnInfo(L"percent", percent.get());
        ASSERT_TRUE(sign);
        EXPECT_EQ(sign->ColorForText(L"-0.50%"), COLORREF(0x20));
        EXPECT_EQ(grid.GetHighlightColor(), COLORREF(0x40));

        theme->colors["list_status"] = 0x0000BB;
        theme->colors["list_value_negative"] = 0x21;
        grid.SetTheme(theme.get());
        EXPECT_EQ(info->ColorForText(L"开放"), COLORREF(0xBB));
        EXPECT_EQ(sign->ColorForText(L"-0.50%"), COLORREF(0x21));
        EXPECT_FALSE(grid.GetColumnInfo(L"", status.get())); // groups have no descriptor
        EXPECT_FALSE(grid.GetColumnInfo(L"other", nullptr));
        EXPECT_EQ(grid.CachedColumnCount(), 2u);
        grid.SetHeader(L"<header/>");
        EXPECT_EQ(grid.CachedColumnCount(), 0u);
    }
    ColumnInfo::signColors() = {};
    CoUninitialize();
}

} // namespace
