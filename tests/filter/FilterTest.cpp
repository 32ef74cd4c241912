// The filters alone, over host tables: what a keyword or a value list keeps, and the value sets
// the bar offers.
#include <gtest/gtest.h>
#include <stdexcept>
#include "filter/MultiValueFilter.h"
#include "filter/SearchFilterImpl.h"
#include "filter/ValueSet.h"
#include "tests/filter/FilterTables.h"

using filtertest::kept;
using filtertest::table;
using V = std::vector<int>;

namespace {

template <class T> XComPtr<T> make() {
    XComPtr<T> p;
    p.attach(new T());
    return p;
}

} // namespace

TEST(SearchFilter, AnyKeywordInAnyColumnIgnoringCaseKeepsSurvivorsInOrder) {
    auto t = table({L"code", L"name", L"company"}, {
                                                       {L"1", L"xABCy", L"none"},    // first column hit
                                                       {L"2", L"plain", L"none"},    // no hit
                                                       {L"3", L"other", L"Fund Co"}, // second keyword
                                                       {L"4", L"abc", L"x"},         // hit at position 0
                                                       {L"5", L"ab c", L"x"},        // not a substring
                                                   });
    auto f = make<SearchFilterImpl>();
    f->addField(L"name");
    f->addField(L"company");
    f->addField(L"name");
    f->addKeyword(L"ABC");
    f->addKeyword(L"fund");
    f->addKeyword(L"Fund");
    EXPECT_EQ(f->getFields().size(), 2u);
    ASSERT_EQ(f->getKeywords().size(), 2u);
    EXPECT_EQ(f->getKeywords()[0], L"abc");
    EXPECT_EQ(kept(f, t), (V{0, 2, 3}));

    // Only the listed columns are searched.
    f->clearFields();
    f->addField(L"code");
    EXPECT_EQ(kept(f, t), V{});
}

TEST(SearchFilter, NothingChangesWithoutKeywordsColumnsRowsOrArguments) {
    auto t = table({L"name"}, {{L"a"}, {L"b"}});
    auto f = make<SearchFilterImpl>();
    f->addField(L"name");
    EXPECT_EQ(kept(f, t), (V{0, 1})); // no keywords
    f->addKeyword(L"zzz");
    f->clearFields();
    EXPECT_EQ(kept(f, t), (V{0, 1})); // no columns
    f->addField(L"name");

    int rows[2] = {1, 0};
    int count = 0;
    f->filter(t, rows, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rows[0], 1);
    count = 2;
    f->filter(nullptr, rows, &count);
    f->filter(t, nullptr, &count);
    f->filter(t, rows, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(rows[0], 1);
}

TEST(ValueFilter, PassesExactTextsOnlyAndNoRowWithoutValues) {
    auto t = table({L"company"}, {{L"A"}, {L"a"}, {L"A "}, {L"AB"}, {L"B"}, {L""}});
    auto f = make<MultiValueFilter>();
    f->setColumn(L"company");
    f->addValue(L"A");
    f->addValue(L"B");
    f->addValue(L"A");
    EXPECT_EQ(f->getValues().size(), 2u);
    EXPECT_EQ(kept(f, t), (V{0, 4}));

    f->removeValue(L"C");
    f->removeValue(L"A");
    EXPECT_EQ(kept(f, t), V{4});
    f->clearValues();
    EXPECT_EQ(kept(f, t), V{});
}

TEST(ValueFilter, UnknownOrEmptyColumnLeavesRowsAloneAndSetColumnResolvesAgain) {
    auto t = table({L"style", L"company"}, {{L"X", L"A"}, {L"A", L"B"}});
    auto f = make<MultiValueFilter>();
    f->addValue(L"A");
    EXPECT_EQ(kept(f, t), (V{0, 1})); // no column
    f->setColumn(L"missing");
    EXPECT_EQ(kept(f, t), (V{0, 1}));
    f->setColumn(L"company");
    EXPECT_EQ(kept(f, t), V{0});
    f->setColumn(L"style");
    EXPECT_EQ(kept(f, t), V{1});
    f->setColumn(nullptr);
    EXPECT_EQ(kept(f, t), (V{0, 1}));
}

TEST(ValueFilter, AnotherSourceWithOtherColumnOrderIsLookedUpAgain) {
    auto first = table({L"style", L"company"}, {{L"A", L"B"}});
    auto second = table({L"company", L"style"}, {{L"A", L"B"}});
    auto f = make<MultiValueFilter>();
    f->setColumn(L"company");
    f->addValue(L"A");
    EXPECT_EQ(kept(f, first), V{});
    // Testing the second source's column 1 (its style) would drop the row.
    EXPECT_EQ(kept(f, second), V{0});
}

TEST(ValueSetTest, GbOrderWithoutFoldingDistinctTexts) {
    // GB2312 puts 啊 (B0A1) before 波 (B2A8) before 长 (B3A4); UTF-16 order is 长 (957F), 啊
    // (554A)... so the set's order shows which one it follows.
    auto t = table({L"company"}, {{L"长"},
                                  {L"波"},
                                  {L"啊"},
                                  {L"波"},
                                  {L""},
                                  // Thai letters are not in GB2312: both become the same byte.
                                  {L"公司\u0E01"},
                                  {L"公司\u0E02"}});
    ValueSet set;
    set.collect(t, L"company");
    std::vector<XStringW> values = set.values();
    ASSERT_EQ(values.size(), 5u);
    EXPECT_EQ(values[0], L"啊");
    EXPECT_EQ(values[1], L"波");
    EXPECT_EQ(values[2], L"长");
    EXPECT_EQ(values[3], L"公司\u0E01");
    EXPECT_EQ(values[4], L"公司\u0E02");

    set.collect(t, L"missing");
    EXPECT_TRUE(set.empty());
}

namespace {

// A product source whose row at failAt cannot be read, as when a host container raises.
class FailingSource final : public Data::IDataContainer {
public:
    FailingSource(Data::IDataContainer* rows, int failAt) : inner(rows), failAt(failAt) {}
    int addRef() override { return 1; }
    int release() override { return 1; }
    bool isEmpty() const override { return inner->isEmpty(); }
    int rowCount() const override { return inner->rowCount(); }
    Data::IDataRow& getRow(int index) override {
        if (index == failAt)
            throw std::runtime_error("row unreadable");
        return inner->getRow(index);
    }
    int columnCount() const override { return inner->columnCount(); }
    int getColumnIndex(const wchar_t* name) const override { return inner->getColumnIndex(name); }
    Data::IColumnItem* getColumn(int index) override { return inner->getColumn(index); }
    XComPtr<Data::IUpdateContext> beginUpdate() override { return inner->beginUpdate(); }

private:
    Data::IDataContainer* inner;
    int failAt;
};

} // namespace

TEST(FilterFailure, AnUnreadableRowLeavesTheViewsRowListWhole) {
    // Rows 1 and 2 match; row 3 fails after they have been kept.
    auto t = table({L"name"}, {{L"x"}, {L"abc"}, {L"abc"}, {L"abc"}});
    FailingSource source(t, 3);
    auto search = make<SearchFilterImpl>();
    search->addField(L"name");
    search->addKeyword(L"abc");
    auto values = make<MultiValueFilter>();
    values->setColumn(L"name");
    values->addValue(L"abc");
    for (Data::IDataFilter* f :
         {static_cast<Data::IDataFilter*>(search.get()), static_cast<Data::IDataFilter*>(values.get())}) {
        int rows[4] = {0, 1, 2, 3};
        int count = 4;
        EXPECT_NO_THROW(f->filter(&source, rows, &count));
        EXPECT_EQ(count, 4);
        EXPECT_EQ(V(rows, rows + 4), (V{0, 1, 2, 3}));
    }
}
