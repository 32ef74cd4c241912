#include <gtest/gtest.h>
#include <objbase.h>
#include <string>
#include <vector>
#include "FakeTheme.h"
#include "gridframe/GeneralDataGrid.h"
#include "gridframe/XmlDom.h"
#include "tests/control/ControlCalls.h"

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

TEST(ThemeDataGrid, ThemeSetsTheControlInContractOrderWithItsDefaults) {
    controltest::Recorder recorder;
    ASSERT_TRUE(recorder.appearanceInstalled());
    GeneralDataGrid grid;

    // Without any key: the table's defaults, the system's scroll-bar colours, 23-pixel rows and
    // header, and no grid lines.
    XComPtr<FakeTheme> bare(new FakeTheme);
    grid.SetTheme(bare.get());
    const std::vector<std::string> defaults = {
        "SetBkColor 0x000000",
        "SetBdColor 0xFFFFFF",
        "SetGridColor 0xFFFFFF",
        "SetHeaderColor 0xFFFFFF",
        "SetHeaderBkColor 0x000000",
        "SetScrollArrowColor " + controltest::hex(GetSysColor(COLOR_BTNTEXT)),
        "SetScrollButtonColor " + controltest::hex(GetSysColor(COLOR_BTNFACE)),
        "SetScrollFaceColor " + controltest::hex(GetSysColor(COLOR_SCROLLBAR)),
        "SetScrollDarkColor " + controltest::hex(GetSysColor(COLOR_BTNSHADOW)),
        "SetScrollLightColor " + controltest::hex(GetSysColor(COLOR_BTNHIGHLIGHT)),
        "SetHeaderFont  0",
        "SetDrawGridLine 0 0",
        "SetHeaderRowHight 23",
        "SetRowHight 23",
    };
    EXPECT_EQ(recorder.callsOn(&grid), defaults);
    EXPECT_EQ(grid.GetTheme(), bare.get());
    COLORREF row = 0;
    grid.GetRowBkColor(1, true, row);
    EXPECT_EQ(row, COLORREF(0xFF0000)); // kept when the theme has no key

    // Every key given: each read into its own setter, header height before row height.
    XComPtr<FakeTheme> full(new FakeTheme);
    const char* keys[] = {"list_bg",
                          "list_column_bg",
                          "list_border",
                          "list_border_inside",
                          "list_title",
                          "list_scroll_arrow",
                          "list_scroll_button",
                          "list_scroll_face",
                          "list_scroll_darkborder",
                          "list_scroll_lightborder"};
    for (COLORREF i = 0; i < 10; ++i)
        full->colors[keys[i]] = 0x010101 * (i + 1);
    full->fonts["fntn_font_header"].faceName = L"Header Face";
    full->fonts["fntn_font_header"].size = 11;
    full->ints["list_horizontal_border"] = 1;
    full->ints["list_list_row_heihgt"] = 30;
    full->ints["list_header_row_heihgt"] = 40;
    recorder.clear();
    grid.SetTheme(full.get());
    const std::vector<std::string> themed = {
        "SetBkColor 0x010101",           "SetBdColor 0x030303",
        "SetGridColor 0x040404",         "SetHeaderColor 0x050505",
        "SetHeaderBkColor 0x020202",     "SetScrollArrowColor 0x060606",
        "SetScrollButtonColor 0x070707", "SetScrollFaceColor 0x080808",
        "SetScrollDarkColor 0x090909",   "SetScrollLightColor 0x0A0A0A",
        "SetHeaderFont Header Face 11",  "SetDrawGridLine 1 0",
        "SetHeaderRowHight 40",          "SetRowHight 30",
    };
    EXPECT_EQ(recorder.callsOn(&grid), themed);
    full->ints = {{"list_vertical_border", 2}};
    recorder.clear();
    grid.SetTheme(full.get());
    std::vector<std::string> calls = recorder.callsOn(&grid);
    ASSERT_EQ(calls.size(), themed.size());
    EXPECT_EQ(calls[11], "SetDrawGridLine 0 1");

    // A null theme changes nothing and keeps the theme applied before.
    recorder.clear();
    grid.SetTheme(nullptr);
    grid.ThemeDataGrid::SetTheme(nullptr);
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(grid.GetTheme(), full.get());
}

TEST(ThemeDataGrid, NullThemeLeavesDefinitionsRefused) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        GeneralDataGrid grid;
        grid.SetTheme(nullptr);
        EXPECT_EQ(grid.GetTheme(), nullptr);
        // The descriptors are forgotten even when the definition itself is refused.
        ComRef<IXMLDOMDocument> document =
            XmlDom::parse(L"<header><item name=\"buystate\" text_color=\"list_status\"/></header>");
        ComRef<IXMLDOMNode> item = XmlDom::firstChild(XmlDom::documentElement(document.get()).get());
        ASSERT_TRUE(grid.GetColumnInfo(L"buystate", item.get()));
        ASSERT_EQ(grid.CachedColumnCount(), 1u);
        EXPECT_EQ(grid.SetHeader(L"<header><item name=\"code\"/></header>"), 0);
        EXPECT_EQ(grid.CachedColumnCount(), 0u);
        EXPECT_EQ(grid.GetColumnInfo(L"buystate", nullptr), nullptr);
    }
    CoUninitialize();
}

} // namespace
