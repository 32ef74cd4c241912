#include <gtest/gtest.h>
#include <objbase.h>
#include "FakeItem.h"
#include "FakeTheme.h"
#include "gridframe/ColumnInfo.h"
#include "gridframe/NumberLocale.h"
#include "gridframe/XmlDom.h"
#include "module/host/XComPtr.h"

namespace {

class ColumnInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        NumberLocale::setCurrent(NumberLocale::plain());
        theme = new FakeTheme;
        theme->colors["list_name"] = 0x112233;
    }
    void TearDown() override { CoUninitialize(); }

    // The descriptor of the first item of a header text.
    std::unique_ptr<ColumnInfo> build(const wchar_t* item) {
        XStringW text = XStringW(L"<header>") + item + L"</header>";
        document = XmlDom::parse(text);
        if (!document)
            return nullptr;
        ComRef<IXMLDOMElement> root = XmlDom::documentElement(document.get());
        ComRef<IXMLDOMNode> node = XmlDom::firstChild(root.get());
        return ColumnInfo::Build(nullptr, theme.get(), node.get());
    }

    XComPtr<FakeTheme> theme;
    ComRef<IXMLDOMDocument> document;
};

TEST_F(ColumnInfoTest, AttributesAreReadExactly) {
    auto info = build(L"<item name='a' sortable='False' data_type='double'/>");
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->sortable()); // only the exact text "false" makes a column unsortable
    EXPECT_EQ(info->valueType(), ColumnInfo::Real);
    info = build(L"<item name='a' sortable='false' data_type='int'/>");
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->sortable());
    EXPECT_EQ(info->valueType(), ColumnInfo::Integer);
    info = build(L"<item name='a' data_type='D'/>");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->valueType(), ColumnInfo::Text);
    info = build(L"<item name='percent' data_type='d' text_format='%.02f%%:*100'/>");
    ASSERT_TRUE(info);
    FakeItem value(0.0523);
    EXPECT_STREQ(info->Format(&value).c_str(), L"5.23%");
    EXPECT_FALSE(ColumnInfo::Build(nullptr, theme.get(), nullptr));
}

TEST_F(ColumnInfoTest, FixedColourFollowsTheTheme) {
    auto info = build(L"<item name='name' text_color='list_name'/>");
    ASSERT_TRUE(info);
    EXPECT_STREQ(info->colorKey().c_str(), "list_name");
    EXPECT_EQ(info->ColorForText(L"-5"), COLORREF(0x112233));
    theme->colors["list_name"] = 0x445566;
    info->ResolveColor(theme.get());
    EXPECT_EQ(info->ColorForText(L"x"), COLORREF(0x445566));
    // A key the theme lacks keeps 0.
    info = build(L"<item name='name' text_color='list_missing'/>");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->ColorForText(L"1"), COLORREF(0));
}

TEST_F(ColumnInfoTest, SignColourOfTheShownText) {
    ColumnInfo::signColors() = {1, 2, 3};
    auto info = build(L"<item name='percent'/>");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->ColorForText(L"0.00%"), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L"-0.50%"), COLORREF(2));
    EXPECT_EQ(info->ColorForText(L"1.20%"), COLORREF(3));
    EXPECT_EQ(info->ColorForText(L"--"), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L""), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L"name"), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L"-ABC"), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L"Nanjing"), COLORREF(1)); // a name, not NaN
    EXPECT_EQ(info->ColorForText(L"Infinity"), COLORREF(1));
    EXPECT_EQ(info->ColorForText(L"inf%"), COLORREF(3));
    EXPECT_EQ(info->ColorForText(L"-inf"), COLORREF(2));
    // Texts shown with the user's decimal comma keep the sign of their value.
    NumberLocale comma = NumberLocale::plain();
    comma.decimalPoint = L",";
    NumberLocale::setCurrent(comma);
    EXPECT_EQ(info->ColorForText(L"-0,50%"), COLORREF(2));
    EXPECT_EQ(info->ColorForText(L"0,01%"), COLORREF(3));
    EXPECT_EQ(info->ColorForText(L"0,00%"), COLORREF(1));
    NumberLocale::setCurrent(NumberLocale::plain());
    ColumnInfo::signColors() = {};
}

TEST_F(ColumnInfoTest, DocumentsWithDtdsAreRefused) {
    EXPECT_FALSE(XmlDom::parse(L"<!DOCTYPE h [<!ENTITY x 'y'>]><header>&x;</header>"));
    EXPECT_FALSE(XmlDom::parse(L"<header><item"));
    ComRef<IXMLDOMDocument> declared =
        XmlDom::parse(L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<header><item a='中'/></header>");
    ASSERT_TRUE(declared);
    XStringW text;
    EXPECT_TRUE(XmlDom::serialise(declared.get(), text));
    EXPECT_GE(text.find(L"<item a=\"中\"/>"), 0) << text.c_str();
}

} // namespace
