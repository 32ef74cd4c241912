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
    // In a text column, " 0.5 " (blanks) and "--" are no numbers and keep their text places.
    EXPECT_EQ(sortedIds(table, L"value", 0), list({L"half", L"dash", L"nine", L"ten"}));
    table->getColumn(1)->setValueType(ValueInteger);
    EXPECT_EQ(sortedIds(table, L"value", 0), list({L"half", L"nine", L"ten", L"dash"}));
}

TEST(FieldSorter, ATextColumnOfNumbersSortsByValue) {
    // Net values and growth values as the grid sorts them: a column typed as text whose cells
    // are reals, with a missing value, and texts that read as numbers.
    XComPtr<IDataTable> table = idValueTable(ValueText);
    addRow(table, L"a", 9.08);
    addRow(table, L"b", 110.07);
    addRow(table, L"c", 2.0665);
    addRow(table, L"none", nullptr);
    addRow(table, L"d", 10.063);
    addRow(table, L"e", -0.00009);
    addRow(table, L"f", -0.68);
    addRow(table, L"g", L"+3");
    addRow(table, L"h", L"-.5");
    addRow(table, L"i", L"9.08"); // the same value as a: after it in both directions
    EXPECT_EQ(sortedIds(table, L"value", 0),
              list({L"f", L"h", L"e", L"c", L"g", L"a", L"i", L"d", L"b", L"none"}));
    EXPECT_EQ(sortedIds(table, L"value", 1),
              list({L"b", L"d", L"a", L"i", L"g", L"c", L"e", L"h", L"f", L"none"}));

    // Percentages read as hundredths; a number and a text that is none compare as texts ("--"
    // first going up, last going down, as before), and texts among themselves by their bytes.
    XComPtr<IDataTable> mixed = idValueTable(ValueText);
    addRow(mixed, L"pct", L"5.00%");
    addRow(mixed, L"dash", L"--");
    addRow(mixed, L"tenth", L"0.1");
    addRow(mixed, L"word", L"abc");
    addRow(mixed, L"two", L"2");
    EXPECT_EQ(sortedIds(mixed, L"value", 0), list({L"dash", L"pct", L"tenth", L"two", L"word"}));
    EXPECT_EQ(sortedIds(mixed, L"value", 1), list({L"word", L"two", L"tenth", L"pct", L"dash"}));
    // An exponent is no plain decimal: "1e3" stays a text, before "2" by its bytes.
    XComPtr<IDataTable> exponent = idValueTable(ValueText);
    addRow(exponent, L"ten", L"10");
    addRow(exponent, L"exp", L"1e3");
    addRow(exponent, L"two", L"2");
    EXPECT_EQ(sortedIds(exponent, L"value", 0), list({L"exp", L"two", L"ten"}));

    // Enough numbers for the radix path: the order equals a stable sort by value.
    XComPtr<IDataTable> many = idValueTable(ValueText);
    std::vector<double> values;
    for (int i = 0; i < 600; ++i) {
        values.push_back(double((i * 7919) % 1201 - 600) / 64.0);
        addRow(many, std::to_wstring(i).c_str(), XStringW::format(L"%.6f", values.back()).c_str());
    }
    std::vector<int> expected(values.size());
    for (size_t i = 0; i < expected.size(); ++i)
        expected[i] = int(i);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int a, int b) { return values[size_t(b)] < values[size_t(a)]; });
    const std::vector<std::wstring> got = sortedIds(many, L"value", 1);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], std::to_wstring(expected[i])) << "position " << i;
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
