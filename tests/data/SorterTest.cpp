#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include "DataTestSupport.h"

using namespace datatest;

namespace {

std::vector<std::wstring> sortedIds(IDataTable* table, const wchar_t* field, int order) {
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    sorter->setField(field);
    sorter->setOrder(order);
    XComPtr<IDataView> view = newView(table);
    view->setSorter(sorter);
    return ids(view);
}

TEST(FieldSorter, NumbersInBothDirectionsNullsLastTiesStable) {
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    addRow(table, L"n1", nullptr);
    addRow(table, L"a", 2.0);
    addRow(table, L"b", -1.5);
    addRow(table, L"c", 2.0);
    addRow(table, L"nan", std::numeric_limits<double>::quiet_NaN());
    addRow(table, L"d", 10.0);
    addRow(table, L"n2", L"");
    addRow(table, L"e", 2.0);
    EXPECT_EQ(sortedIds(table, L"value", 0), list({L"b", L"a", L"c", L"e", L"d", L"n1", L"nan", L"n2"}));
    EXPECT_EQ(sortedIds(table, L"value", 1), list({L"d", L"a", L"c", L"e", L"b", L"n1", L"nan", L"n2"}));
}

TEST(FieldSorter, ManyNumbersInTheOrderOfAStableComparisonSort) {
    // Enough rows for the sorter's radix path, with the values that trip bit-wise orderings:
    // both zeros (equal, so they keep their order), infinities, the smallest subnormals, values
    // that differ only in their lowest bits, and many repeats.
    const double special[] = {0.0,
                              -0.0,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::denorm_min(),
                              -std::numeric_limits<double>::denorm_min(),
                              1.0,
                              std::nextafter(1.0, 2.0),
                              -1.0,
                              std::nextafter(-1.0, -2.0),
                              1e300,
                              -1e-300};
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    std::vector<double> values;
    unsigned seed = 7;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double v = i % 5 == 0 ? special[(seed >> 8) % 12] : double(int(seed >> 16) % 2001 - 1000) / 8.0;
        values.push_back(v);
        addRow(table, std::to_wstring(i).c_str(), v);
    }
    for (int order : {0, 1}) {
        std::vector<int> expected(values.size());
        for (size_t i = 0; i < expected.size(); ++i)
            expected[i] = int(i);
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return order ? values[size_t(b)] < values[size_t(a)] : values[size_t(a)] < values[size_t(b)];
        });
        const std::vector<std::wstring> got = sortedIds(table, L"value", order);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(got[i], std::to_wstring(expected[i])) << "position " << i << ", order " << order;
    }
}

TEST(FieldSorter, TextsOfANumericColumnSortAsNumbers) {
    XComPtr<IDataTable> table = idValueTable(ValueText);
    addRow(table, L"nine", L"9");
    addRow(table, L"ten", L"10");
    addRow(table, L"dash", L"--");
    addRow(table, L"half", L" 0.5 ");
    EXPECT_EQ(sortedIds(table, L"value", 0), list({L"half", L"dash", L"ten", L"nine"}));
    table->getColumn(1)->setValueType(ValueInteger);
    EXPECT_EQ(sortedIds(table, L"value", 0), list({L"half", L"nine", L"ten", L"dash"}));
}

TEST(FieldSorter, TextsByGb2312Bytes) {
    XComPtr<IDataTable> table = idValueTable(ValueText);
    // GB2312 puts 阿 (B0A2) before 中 (D6D0); UTF-16 puts 中 (4E2D) before 阿 (963F).
    addRow(table, L"zhong", L"中国");
    addRow(table, L"a", L"阿拉善");
    addRow(table, L"empty", nullptr);
    addRow(table, L"ascii", L"Zeta");
    addRow(table, L"long2", L"abcdefghZ");
    addRow(table, L"long1", L"abcdefghA");
    addRow(table, L"short", L"abcdefgh");
    addRow(table, L"same", L"中国");
    EXPECT_EQ(sortedIds(table, L"value", 0),
              list({L"ascii", L"short", L"long1", L"long2", L"a", L"zhong", L"same", L"empty"}));
    EXPECT_EQ(sortedIds(table, L"value", 1),
              list({L"zhong", L"same", L"a", L"long2", L"long1", L"short", L"ascii", L"empty"}));

    // A changed cell is compared by its new text, not a remembered one.
    table->getRow(0).getItem(L"value").setText(L"AAA");
    EXPECT_EQ(sortedIds(table, L"value", 0).front(), L"zhong");
}

TEST(FieldSorter, UnknownFieldLeavesTheOrder) {
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    addRow(table, L"a", 2.0);
    addRow(table, L"b", 1.0);
    EXPECT_EQ(sortedIds(table, L"nothing", 1), list({L"a", L"b"}));
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    sorter->setOrder(7);
    EXPECT_EQ(sorter->getOrder(), 1);
}

TEST(TopSorter, PinnedRowsFirstInListOrderAfterTheSorter) {
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    addRow(table, L"a", 5.0);
    addRow(table, L"b", 4.0);
    addRow(table, L"c", 3.0);
    addRow(table, L"b", 2.0);
    addRow(table, L"d", 1.0);
    addRow(table, L"", 0.0);
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    sorter->setField(L"value");
    XComPtr<ITopSorter> top = createInstanceAs<ITopSorter>("Data.TopSorter");
    ASSERT_TRUE(top);
    top->setColumn(L"id");
    top->addValue(L"c");
    top->addValue(L"b");
    top->addValue(L"c");
    top->addValue(L""); // a rule ending in a comma: pins nothing
    XComPtr<IDataView> view = newView(table);
    view->setSorter(sorter);
    view->setTopSorter(top);
    // Pinned c, then both b rows in the sorter's (ascending) order, then the rest.
    EXPECT_EQ(ids(view), list({L"c", L"b", L"b", L"", L"d", L"a"}));
    EXPECT_EQ(view->getRow(1).getItem(L"value").getDouble(), 2.0);

    top->clearValues();
    top->addValue(L"zz");
    view->refresh(true);
    EXPECT_EQ(ids(view), list({L"", L"d", L"b", L"c", L"b", L"a"}));
}

} // namespace
