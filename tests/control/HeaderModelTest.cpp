#include <windows.h>

#include <gtest/gtest.h>

#include "HeaderModel.h"
#include "XmlCompare.h"

namespace {
const wchar_t kGrouped[] =
    L"<header>"
    L"<item title=\"代码\" name=\"aliascode\" width=\"60\" align=\"center\" custom=\"x\" "
    L"font=\"_font_name\"/>"
    L"<item title=\"end_date\" font=\"_font_bold\" align=\"center\">"
    L"<item title=\"单位净值\" name=\"value\" width=\"70\" align=\"right\" text_format=\"%.04f\" "
    L"sort=\"desc\"/>"
    L"<item title=\"累计净值\" name=\"totalvalue\" width=\"abc\" visible=\"false\"/>"
    L"</item>"
    L"<item title=\"公司\" name=\"company\" width=\"-5\" font-family=\"SimSun\" font-size=\"11\" "
    L"font-style=\"bold\"/>"
    L"</header>";

std::wstring text(const XStringW& s) {
    return std::wstring(s.c_str());
}
} // namespace

class HeaderModelTest : public ::testing::Test {
protected:
    HeaderModel model;
};

TEST_F(HeaderModelTest, ReadsColumnsGroupsAndAttributes) {
    ASSERT_TRUE(model.load(kGrouped));
    const auto& c = model.columns();
    ASSERT_EQ(4u, c.size());
    EXPECT_EQ(XStringW(L"aliascode"), c[0].name);
    EXPECT_EQ(60, c[0].width);
    EXPECT_EQ(HeaderInfo2::AlignCenter, c[0].align);
    EXPECT_EQ(-1, c[0].groupIndex);
    EXPECT_NE(nullptr, c[0].GetNode());
    EXPECT_EQ(XStringW(L"value"), c[1].name);
    EXPECT_EQ(0, c[1].groupIndex);
    EXPECT_EQ(XStringW(L"end_date"), c[1].group);
    EXPECT_EQ(HeaderInfo2::AlignRight, c[1].align);
    // Unusable widths fall back to the default instead of failing the header.
    EXPECT_EQ(HeaderModel::kDefaultWidth, c[2].width);
    EXPECT_FALSE(c[2].visible);
    EXPECT_EQ(HeaderModel::kDefaultWidth, c[3].width);
    EXPECT_EQ(XStringW(L"SimSun"), c[3].fontFamily);
    EXPECT_EQ(11, c[3].fontSize);
    EXPECT_TRUE(c[3].bold);
    ASSERT_EQ(1u, model.groups().size());
    EXPECT_EQ(1, model.initialSortColumn());
    EXPECT_TRUE(model.initialSortDescending());
}

TEST_F(HeaderModelTest, RefusesTextsThatAreNoHeaderAndKeepsThePrevious) {
    ASSERT_TRUE(model.load(kGrouped));
    EXPECT_FALSE(model.load(L"<header><item name=\"a\">"));             // not well-formed
    EXPECT_FALSE(model.load(L"<columns><item name=\"a\"/></columns>")); // other root
    EXPECT_FALSE(model.load(L"<header/>"));                             // no columns
    EXPECT_FALSE(model.load(L""));
    // No document type definitions: nothing of the text may be expanded or fetched.
    EXPECT_FALSE(model.load(L"<!DOCTYPE header [<!ENTITY x \"y\">]><header><item name=\"&x;\"/></header>"));
    EXPECT_FALSE(model.load(
        L"<!DOCTYPE header SYSTEM \"http://localhost/h.dtd\"><header><item name=\"a\"/></header>"));
    ASSERT_EQ(4u, model.columns().size());
    EXPECT_EQ(XStringW(L"aliascode"), model.columns()[0].name);
}

TEST_F(HeaderModelTest, DeepNestingShowsOnlyTheFirstGroupLevel) {
    ASSERT_TRUE(model.load(L"<header><item title=\"g\"><item name=\"a\"><item name=\"deep\"/></item>"
                           L"<item name=\"b\"/></item></header>"));
    ASSERT_EQ(2u, model.columns().size());
    EXPECT_EQ(XStringW(L"a"), model.columns()[0].name);
    EXPECT_EQ(XStringW(L"b"), model.columns()[1].name);
}

TEST_F(HeaderModelTest, ThousandsOfColumnsAreCapped) {
    std::wstring t = L"<header>";
    for (int i = 0; i < 6000; ++i)
        t += L"<item name=\"c" + std::to_wstring(i) + L"\" width=\"50\"/>";
    t += L"</header>";
    ASSERT_TRUE(model.load(t.c_str()));
    EXPECT_EQ(size_t(HeaderModel::kMaxColumns), model.columns().size());
}

TEST_F(HeaderModelTest, TextRoundTripsWithUnknownAttributesInOrder) {
    ASSERT_TRUE(model.load(kGrouped));
    EXPECT_EQ(L"", xmlDifference(kGrouped, text(model.text())));
}

TEST_F(HeaderModelTest, ChangesGoIntoTheDocumentKeepingAttributeOrder) {
    ASSERT_TRUE(model.load(kGrouped));
    EXPECT_TRUE(model.setWidth(0, 99));
    EXPECT_FALSE(model.setWidth(0, 99)); // no change, no report
    EXPECT_TRUE(model.setVisible(2, true));
    EXPECT_TRUE(model.moveColumn(3, 0));  // company before aliascode
    EXPECT_FALSE(model.moveColumn(2, 0)); // a grouped column stays in its group
    EXPECT_FALSE(model.moveColumn(0, 3)); // nor does a column enter a group
    EXPECT_FALSE(model.moveColumn(1, 2)); // aliascode is right before the group already
    EXPECT_TRUE(model.moveColumn(3, 2));  // totalvalue before value inside the group
    std::wstring expected =
        L"<header>"
        L"<item title=\"公司\" name=\"company\" width=\"-5\" font-family=\"SimSun\" font-size=\"11\" "
        L"font-style=\"bold\"/>"
        L"<item title=\"代码\" name=\"aliascode\" width=\"99\" align=\"center\" custom=\"x\" "
        L"font=\"_font_name\"/>"
        L"<item title=\"end_date\" font=\"_font_bold\" align=\"center\">"
        L"<item title=\"累计净值\" name=\"totalvalue\" width=\"abc\" visible=\"true\"/>"
        L"<item title=\"单位净值\" name=\"value\" width=\"70\" align=\"right\" text_format=\"%.04f\" "
        L"sort=\"desc\"/>"
        L"</item>"
        L"</header>";
    EXPECT_EQ(L"", xmlDifference(expected, text(model.text())));
    EXPECT_EQ(XStringW(L"company"), model.columns()[0].name);
    EXPECT_EQ(0, model.columns()[0].index);
}

TEST_F(HeaderModelTest, FindsItemsInsideGroups) {
    ASSERT_TRUE(model.load(kGrouped));
    ComRef<IXMLDOMElement> root;
    ASSERT_EQ(S_OK, model.document()->get_documentElement(root.put()));
    ComRef<IXMLDOMNodeList> items;
    ASSERT_EQ(S_OK, root->get_childNodes(items.put()));
    ComRef<IXMLDOMNode> node;
    ASSERT_TRUE(HeaderModel::findItem(items.get(), L"totalvalue", node.put()));
    EXPECT_EQ(XStringW(L"累计净值"), xml::attribute(node.get(), L"title"));
    EXPECT_FALSE(HeaderModel::findItem(items.get(), L"missing", node.put()));
    EXPECT_EQ(nullptr, node.get());
    EXPECT_FALSE(HeaderModel::findItem(nullptr, L"value", node.put()));
}

TEST_F(HeaderModelTest, AColumnMovesBeforeAWholeGroup) {
    ASSERT_TRUE(model.load(L"<header><item title=\"g\"><item name=\"a\"/><item name=\"b\"/></item>"
                           L"<item name=\"c\"/></header>"));
    EXPECT_FALSE(model.moveColumn(2, 1)); // not between grouped columns
    ASSERT_TRUE(model.moveColumn(2, 0));
    EXPECT_EQ(L"", xmlDifference(L"<header><item name=\"c\"/><item title=\"g\"><item name=\"a\"/>"
                                 L"<item name=\"b\"/></item></header>",
                                 text(model.text())));
    EXPECT_EQ(XStringW(L"c"), model.columns()[0].name);
}

TEST_F(HeaderModelTest, AcceptsTheStoredDeclarationInWideText) {
    // Stored definitions declare gb2312; the text arrives here already decoded.
    std::wstring t = L"<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n";
    t += kGrouped;
    ASSERT_TRUE(model.load(t.c_str()));
    EXPECT_EQ(4u, model.columns().size());
    EXPECT_EQ(XStringW(L"代码"), model.columns()[0].title);
    EXPECT_EQ(L"", xmlDifference(kGrouped, text(model.text())));
}
