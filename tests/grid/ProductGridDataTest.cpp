// The product grid over real host tables and views: cell texts and colours, sorting and the
// top-row rules.
#include <gtest/gtest.h>
#include <objbase.h>
#include "FakeHost.h"
#include "gridframe/NumberLocale.h"
#include "gridframe/XmlDom.h"
#include "grid/AssembleFinanceGrid.h"
#include "resources/ResourceText.h"
#include "tests/gridframe/FakeTheme.h"

namespace {

struct Product {
    const wchar_t* code;
    const wchar_t* name;
    const wchar_t* percent; // held as text, as the table may hold it
    const wchar_t* createdate;
    const wchar_t* company;
};

const Product kProducts[] = {
    {L"c1", L"甲", L"0.012", L"2010-01-02", L"ABC-DEF"},
    {L"c2", L"乙", L"-0.005", L"0001-01-01", L"ABC-DEF-GHI"},
    {L"c3", L"丙", L"0", L"2012-03-04", L"ABC"},
    {L"c4", L"丁", L"0.1", L"2013-05-06", L"-ABC"},
    {L"c5", L"戊", L"", L"2014-07-08", L""}, // no company
};

class ProductGridData : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        NumberLocale::setCurrent(NumberLocale::plain());
        grid = std::make_unique<AssembleFinanceGrid>();
        // The host always has them: their absence is a fault of the host, not a reason to skip.
        ASSERT_TRUE(grid->GetProductTable() && grid->GetSortView()) << "the host has no data components";
        app = new FakeApp;
        grid->SetApp(app.get());
        Data::IDataTable* table = grid->GetProductTable();
        for (const wchar_t* column : {L"code", L"aliascode", L"name", L"percent", L"createdate", L"company"})
            table->addColumn(column, Data::ValueText);
        for (const Product& p : kProducts) {
            Data::IDataRow& row = table->getRow(table->addRow());
            row.getItem(L"code").setText(p.code);
            row.getItem(L"aliascode").setText(p.code);
            row.getItem(L"name").setText(p.name);
            if (*p.percent)
                row.getItem(L"percent").setText(p.percent);
            row.getItem(L"createdate").setText(p.createdate);
            if (*p.company)
                row.getItem(L"company").setText(p.company);
        }
        grid->GetSortView()->refresh(true);

        theme = new FakeTheme;
        theme->colors = {{"list_name", 0x11},           {"list_company", 0x12},
                         {"list_prev_data", 0x13},      {"list_value_zero", 0x20},
                         {"list_value_negative", 0x21}, {"list_value_positive", 0x22},
                         {"list_highlight", 0x30}};
        grid->SetTheme(theme.get());
        header = XmlDom::parse(LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER").c_str());
        ASSERT_TRUE(header);
        // Hidden: sorting needs a live window, not a shown one.
        ASSERT_TRUE(grid->Create(nullptr, XRect(0, 0, 600, 300), WS_POPUP, 0, 0));
    }
    void TearDown() override {
        header.reset();
        grid.reset();
        ColumnInfo::signColors() = {};
        CoUninitialize();
    }

    // The column as the control describes it, with its item in the default header.
    HeaderInfo2 column(const wchar_t* name) {
        ComRef<IXMLDOMNode> node;
        ComRef<IXMLDOMElement> root = XmlDom::documentElement(header.get());
        for (ComRef<IXMLDOMNode> item = XmlDom::firstChild(root.get()); item && !node;
             item = XmlDom::nextSibling(item.get())) {
            node = XmlDom::childByName(item.get(), name);
            XStringW value;
            bool present = false;
            if (!node && XmlDom::attribute(item.get(), L"name", value, present) && value == name)
                node = item;
        }
        return HeaderInfo2(name, node.get());
    }
    XStringW text(int row, const wchar_t* name) {
        XStringW out;
        grid->GetItemText(row, column(name), out);
        return out;
    }
    COLORREF color(int row, const wchar_t* name) {
        COLORREF out = 0xDEAD;
        HeaderInfo2 info = column(name);
        XStringW shown;
        grid->GetItemText(row, info, shown);
        grid->GetItemColor(row, info, shown, out);
        return out;
    }
    std::wstring codes() {
        std::wstring all;
        for (int i = 0; i < grid->GetRowsCount(); ++i)
            all += text(i, L"aliascode").c_str();
        return all;
    }

    std::unique_ptr<AssembleFinanceGrid> grid;
    XComPtr<FakeApp> app;
    XComPtr<FakeTheme> theme;
    ComRef<IXMLDOMDocument> header;
};

TEST_F(ProductGridData, CellTexts) {
    EXPECT_STREQ(text(0, L"_index").c_str(), L"1");
    EXPECT_STREQ(text(4, L"index_rank").c_str(), L"5");
    EXPECT_STREQ(text(0, L"percent").c_str(), L"1.20%");
    EXPECT_STREQ(text(1, L"percent").c_str(), L"-0.50%");
    EXPECT_STREQ(text(2, L"percent").c_str(), L"0.00%");
    EXPECT_STREQ(text(4, L"percent").c_str(), L"--");
    EXPECT_STREQ(text(1, L"createdate").c_str(), L"--");
    EXPECT_STREQ(text(0, L"createdate").c_str(), L"2010-01-02");
    EXPECT_STREQ(text(0, L"company").c_str(), L"DEF");
    EXPECT_STREQ(text(1, L"company").c_str(), L"DEF-GHI");
    EXPECT_STREQ(text(2, L"company").c_str(), L"ABC");
    EXPECT_STREQ(text(3, L"company").c_str(), L"-ABC");
    // A missing company reads as the text of a missing value, which is no company name to cut.
    EXPECT_STREQ(text(4, L"company").c_str(), L"--");
}

TEST_F(ProductGridData, CellColours) {
    EXPECT_EQ(color(0, L"percent"), COLORREF(0x22));
    EXPECT_EQ(color(1, L"percent"), COLORREF(0x21));
    EXPECT_EQ(color(2, L"percent"), COLORREF(0x20));
    EXPECT_EQ(color(4, L"percent"), COLORREF(0x20)); // "--"
    EXPECT_EQ(color(0, L"company"), COLORREF(0x12));
    EXPECT_EQ(color(0, L"createdate"), COLORREF(0x13));
    EXPECT_EQ(color(0, L"name"), COLORREF(0x11));
    // A column without a header item keeps the control's colour.
    EXPECT_EQ(color(0, L"code"), COLORREF(0xDEAD));

    // No watched-list module: asked again on every call; once it is there, watched products'
    // key columns are highlighted and their other cells keep their colours.
    int asked = app->moduleRequests;
    color(0, L"name");
    EXPECT_GT(app->moduleRequests, asked);
    app->concern = new FakeConcern;
    app->concern->addWatched(L"c2");
    EXPECT_EQ(color(1, L"aliascode"), COLORREF(0x30));
    EXPECT_EQ(color(1, L"name"), COLORREF(0x30));
    EXPECT_EQ(color(1, L"code"), COLORREF(0x30));
    EXPECT_EQ(color(1, L"company"), COLORREF(0x12));
    EXPECT_EQ(color(0, L"name"), COLORREF(0x11));
    asked = app->moduleRequests;
    color(1, L"name");
    EXPECT_EQ(app->moduleRequests, asked); // kept once found
}

TEST_F(ProductGridData, Sorting) {
    text(0, L"percent"); // the grid is painted before a caption is clicked
    // index_rank is not sortable: false, order kept.
    EXPECT_FALSE(grid->sort(L"index_rank", true));
    EXPECT_EQ(codes(), L"c1c2c3c4c5");
    // percent is typed d: numeric order although the table holds text; empty values last.
    EXPECT_TRUE(grid->sort(L"percent", true));
    EXPECT_EQ(grid->GetFieldSorter()->getOrder(), 1);
    EXPECT_EQ(codes(), L"c4c1c3c2c5");
    EXPECT_STREQ(text(0, L"index_rank").c_str(), L"1");
    EXPECT_TRUE(grid->sort(L"percent", false));
    EXPECT_EQ(codes(), L"c2c3c1c4c5");

    // A header column that is no field of the table: the sorter is set, nothing re-sorted.
    ComRef<IXMLDOMDocument> extra = XmlDom::parse(L"<header><item name=\"nosuch\"/></header>");
    ComRef<IXMLDOMNode> node = XmlDom::firstChild(XmlDom::documentElement(extra.get()).get());
    ASSERT_TRUE(grid->GetColumnInfo(L"nosuch", node.get()));
    EXPECT_TRUE(grid->sort(L"nosuch", true));
    EXPECT_STREQ(grid->GetFieldSorter()->getField().c_str(), L"nosuch");
    EXPECT_EQ(grid->GetFieldSorter()->getOrder(), 1);
    EXPECT_EQ(codes(), L"c2c3c1c4c5");
    // A column the grid knows nothing of cannot be sorted.
    EXPECT_FALSE(grid->sort(L"unknown", true));
}

TEST_F(ProductGridData, SelectedProductStaysSelected) {
    grid->SetCurrSel(1); // c2
    ASSERT_EQ(grid->GetCurrSel(), 1) << "the grid control keeps no selection";
    text(0, L"percent");
    EXPECT_TRUE(grid->sort(L"percent", true));
    EXPECT_EQ(grid->GetCurrSel(), 3);
    EXPECT_STREQ(text(grid->GetCurrSel(), L"aliascode").c_str(), L"c2");
}

TEST_F(ProductGridData, TopRules) {
    text(0, L"percent");
    grid->SetDefaultTopRule(L"code c3"); // no "=": nothing changes
    EXPECT_EQ(codes(), L"c1c2c3c4c5");
    grid->SetDefaultTopRule(L" code = c4, c3 ,");
    EXPECT_EQ(codes(), L"c4c3c1c2c5");
    EXPECT_STREQ(text(0, L"index_rank").c_str(), L"1");
    // The always rule pins rows in what is shown; their rank stays their sorted place.
    grid->SetAlwaysTopRule(L"code=c5");
    EXPECT_EQ(codes(), L"c5c4c3c1c2");
    EXPECT_STREQ(text(0, L"index_rank").c_str(), L"5");
    // Sorting keeps the default rule's rows first.
    EXPECT_TRUE(grid->sort(L"percent", false));
    EXPECT_EQ(codes(), L"c5c4c3c2c1");
}

TEST_F(ProductGridData, HeaderSortsByItsSortColumn) {
    // The descriptor comes from the control's header document, found by name.
    ASSERT_NE(grid->SetHeader(LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER")), 0);
    EXPECT_STREQ(grid->GetFieldSorter()->getField().c_str(), L"percent");
    EXPECT_EQ(codes(), L"c4c1c3c2c5");
}

} // namespace
