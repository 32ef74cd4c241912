#include <gtest/gtest.h>
#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>
#include "DataTestSupport.h"

using namespace datatest;

namespace {

// Keeps rows whose "value" is at least a threshold; records how many rows it was handed.
class AtLeastFilter final : public IDataFilter {
public:
    explicit AtLeastFilter(double threshold) : threshold_(threshold) {}
    int addRef() override { return ++refs; }
    int release() override { return --refs; } // lives on the test's stack
    void filter(IDataContainer* source, int* rows, int* count) override {
        handed = *count;
        int kept = 0;
        for (int i = 0; i < *count; ++i)
            if (source->getRow(rows[i]).getItem(L"value").getDouble() >= threshold_)
                rows[kept++] = rows[i];
        *count = kept;
    }
    int refs = 1;
    int handed = -1;

private:
    double threshold_;
};

class ViewChain : public ::testing::Test {
protected:
    void SetUp() override {
        table = idValueTable(ValueReal);
        addRow(table, L"a", 3.0);
        addRow(table, L"b", 1.0);
        addRow(table, L"c", 2.0);
        sortView = newView(table);
        sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
        sorter->setField(L"value");
        sortView->setSorter(sorter);
        displayView = newView(sortView);
        ASSERT_TRUE(sortView && displayView && sorter);
        sortView->addEventSink(&sortSink);
        displayView->addEventSink(&displaySink);
    }
    void TearDown() override {
        sortView->removeEventSink(&sortSink);
        displayView->removeEventSink(&displaySink);
    }

    XComPtr<IDataTable> table;
    XComPtr<IDataView> sortView, displayView;
    XComPtr<IFieldSorter> sorter;
    CountingSink sortSink, displaySink;
};

TEST_F(ViewChain, FollowsTheTableThroughBothViews) {
    EXPECT_EQ(ids(displayView), list({L"b", L"c", L"a"}));
    AtLeastFilter filter(2.0);
    displayView->addFilter(&filter);
    EXPECT_EQ(ids(displayView), list({L"c", L"a"}));
    // The display view's indices are the sort view's rows.
    EXPECT_EQ(displayView->getSourceIndex(0), 1);
    EXPECT_EQ(sortView->getSourceIndex(1), 2);
    EXPECT_EQ(displayView->getSourceIndex(2), -1);

    {
        XComPtr<IUpdateContext> context = table->beginUpdate();
        addRow(table, L"d", 2.5);
        table->getRow(1).getItem(L"value").setDouble(9.0);
        context->commit();
    }
    EXPECT_EQ(ids(sortView), list({L"c", L"d", L"a", L"b"}));
    EXPECT_EQ(ids(displayView), list({L"c", L"d", L"a", L"b"}));

    table->clear(0);
    EXPECT_EQ(displayView->rowCount(), 0);
    EXPECT_TRUE(displayView->isEmpty());
    displayView->removeFilter(&filter);
    EXPECT_EQ(filter.refs, 1) << "the view let go of the filter";
}

TEST_F(ViewChain, OneNotificationPerOutermostCommit) {
    sortSink = CountingSink();
    displaySink = CountingSink();
    XComPtr<IUpdateContext> outer = table->beginUpdate();
    {
        XComPtr<IUpdateContext> inner = table->beginUpdate();
        addRow(table, L"d", 0.5);
        inner->commit();
        inner->commit(); // a second commit of the same context is no second end
    }
    table->getRow(0).getItem(L"value").setDouble(0.1);
    EXPECT_EQ(displaySink.changed, 0) << "nothing is told before the outermost commit";
    outer = nullptr; // releasing an uncommitted context commits it
    EXPECT_EQ(sortSink.changing, 1);
    EXPECT_EQ(sortSink.changed, 1);
    EXPECT_EQ(displaySink.changing, 1);
    EXPECT_EQ(displaySink.changed, 1);
    // Every sink saw the old rows before and the new rows after, also the one downstream.
    EXPECT_EQ(displaySink.before, list({L"b", L"c", L"a"}));
    EXPECT_EQ(displaySink.after, list({L"a", L"d", L"b", L"c"}));
    EXPECT_EQ(sortSink.before, list({L"b", L"c", L"a"}));
}

TEST_F(ViewChain, ContextOnAViewGroupsFilterChanges) {
    AtLeastFilter low(2.0), high(3.0);
    {
        XComPtr<IUpdateContext> context = displayView->beginUpdate();
        displayView->addFilter(&low);
        displayView->addFilter(&high);
        EXPECT_EQ(displaySink.changed, 0);
        EXPECT_EQ(displayView->rowCount(), 3) << "still the rows before the context";
    }
    EXPECT_EQ(displaySink.changing, 1);
    EXPECT_EQ(displaySink.changed, 1);
    EXPECT_EQ(ids(displayView), list({L"a"}));
    EXPECT_EQ(high.handed, 2) << "filters run in the order attached, each on the survivors";
    displayView->removeFilter(&low);
    displayView->removeFilter(&high);
}

TEST_F(ViewChain, QuietRefreshStillMovesTheViewsDownstream) {
    sorter->setOrder(1);
    sortView->refresh(false);
    EXPECT_EQ(sortSink.changed, 0);
    EXPECT_EQ(displaySink.changing, 1);
    EXPECT_EQ(displaySink.changed, 1);
    EXPECT_EQ(ids(displayView), list({L"a", L"c", L"b"}));
}

TEST_F(ViewChain, AViewReleasedWhileFollowingIsForgotten) {
    XComPtr<IDataView> extra = newView(table);
    extra = nullptr;
    addRow(table, L"e", 4.0); // must not reach the released view
    EXPECT_EQ(ids(displayView), list({L"b", L"c", L"a", L"e"}));
    displayView->setSource(nullptr);
    EXPECT_EQ(displayView->rowCount(), 0);
    EXPECT_EQ(displayView->getRow(0).itemCount(), 0);
}

TEST_F(ViewChain, AViewCannotBeItsOwnSource) {
    sortView->setSource(displayView);
    EXPECT_EQ(sortView->getSource().get(), static_cast<IDataContainer*>(table.get()));
    EXPECT_EQ(ids(displayView), list({L"b", L"c", L"a"}));
}

TEST(DataTable, CellsReadAsTheHostPromises) {
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    IDataRow& row = table->getRow(table->addRow());
    IDataItem& value = row.getItem(L"value");
    EXPECT_TRUE(value.isNull());
    value.setText(L"");
    EXPECT_TRUE(value.isNull()) << "an empty text is null";
    EXPECT_EQ(value.getDouble(), 0.0);
    value.setDouble(0.1);
    EXPECT_FALSE(value.isNull());
    EXPECT_STREQ(value.getText().c_str(), L"0.1000");
    value.setDouble(1.0 / 3.0);
    EXPECT_EQ(value.getText().toDouble(), 1.0 / 3.0) << "the text reads back as the same number";
    value.setText(L"12.5");
    EXPECT_EQ(value.getDouble(), 12.5);
    EXPECT_EQ(value.getInt(), 12);
    value.setInt(-7);
    EXPECT_STREQ(value.getText().c_str(), L"-7");

    // A real's text never switches to exponent notation (a grid cutting "-9.99902e-05" at its
    // right end shows another number), and has at least four decimals, so that a column of
    // net values lines up; more only where the value has them.
    struct {
        double number;
        const wchar_t* text;
    } reals[] = {{-0.0000999902, L"-0.0000999902"},
                 {1e-7, L"0.0000001"},
                 {2.5e16, L"25000000000000000.0000"},
                 {1e21, L"1000000000000000000000.0000"},
                 {-12.34, L"-12.3400"},
                 {1.088, L"1.0880"},
                 {1.009, L"1.0090"},
                 {10, L"10.0000"},
                 {0.0403, L"0.0403"},
                 {0.0, L"0.0000"}};
    for (const auto& r : reals) {
        value.setDouble(r.number);
        EXPECT_STREQ(value.getText().c_str(), r.text);
    }
    for (double awkward : {2.2250738585072014e-308, 1.7976931348623157e308, 0.1 + 0.2, -1.0 / 7e9}) {
        value.setDouble(awkward);
        XStringW text = value.getText();
        EXPECT_LT(text.find(L'e'), 0) << text.toUtf8().c_str();
        EXPECT_EQ(text.toDouble(), awkward) << text.toUtf8().c_str();
    }

    // Misspelt columns and rows out of range are harmless.
    IDataItem& missing = row.getItem(L"no such column");
    missing.setText(L"x");
    EXPECT_TRUE(missing.isNull());
    EXPECT_TRUE(table->getRow(5).getItem(L"id").isNull());
    EXPECT_TRUE(table->getRow(-1).getItem(0).isNull());
    EXPECT_EQ(table->getColumnIndex(L"value"), 1);
    EXPECT_EQ(table->getColumnIndex(nullptr), -1);
    EXPECT_EQ(table->getColumn(2), nullptr);

    // A column added later gives every row a null cell; reset removes rows and columns.
    EXPECT_EQ(table->addColumn(L"extra", ValueInteger), 2);
    EXPECT_TRUE(table->getRow(0).getItem(L"extra").isNull());
    EXPECT_EQ(table->addColumn(L"extra", ValueText), 2) << "a name is one column";
    table->reset();
    EXPECT_EQ(table->columnCount(), 0);
    EXPECT_EQ(table->rowCount(), 0);
}

// Reals with up to four decimals (most net values) take a short way to their text; every real
// must still read as to_chars' shortest positional digits, made up to four decimals with zeros,
// through getText and readText alike.
TEST(DataTable, RealTextsAreTheShortestDigitsWhicheverWayTheyAreMade) {
    XComPtr<IDataTable> table = createInstanceAs<IDataTable>("Data.DataTable");
    table->addColumn(L"value", ValueReal);
    IDataItem& value = table->getRow(table->addRow()).getItem(0);
    std::mt19937_64 random(5);
    std::vector<double> numbers = {0.0,       -0.0,           1.088,          10.0,
                                   0.0001,    -0.00005,       999999999.9999, 1e9,
                                   1e9 + 0.5, 123456789.1234, 0.1 + 0.2,      2.5e-320};
    for (int i = 0; i < 20000; ++i) {
        const double scale = std::pow(10.0, double(int(random() % 13)) - 4);
        const double decimal = double(int64_t(random() % 20000001) - 10000000) / 1e4 * scale;
        numbers.push_back(decimal);
        numbers.push_back(std::nextafter(decimal, 1e300));
        numbers.push_back(std::nextafter(decimal, -1e300));
    }
    XStringW read;
    for (double number : numbers) {
        char digits[400];
        auto end = std::to_chars(digits, digits + sizeof digits, number, std::chars_format::fixed).ptr;
        std::wstring expected(digits, end);
        const size_t point = expected.find(L'.');
        const size_t decimals = point == std::wstring::npos ? 0 : expected.size() - point - 1;
        if (point == std::wstring::npos)
            expected += L'.';
        expected.append(decimals < 4 ? 4 - decimals : 0, L'0');
        value.setDouble(number);
        ASSERT_EQ(std::wstring(value.getText().c_str()), expected);
        value.readText(read);
        ASSERT_EQ(std::wstring(read.c_str()), expected);
    }
}

TEST(DataTable, TextsOfEveryLengthSurviveRewritesAndMovesOfTheirCells) {
    // Short texts live inside the cell, long ones beside it: both must read back after a cell
    // changes between them and after its row's cells move (a column added to filled rows).
    const std::wstring texts[] = {L"a", L"开放", L"1234567", L"12345678", L"集合理财产品名称很长", L"200001"};
    XComPtr<IDataTable> table = idValueTable(ValueText);
    for (const std::wstring& text : texts)
        addRow(table, text.c_str(), text.c_str());
    for (int r = 0; r < table->rowCount(); ++r) {
        IDataItem& value = table->getRow(r).getItem(L"value");
        value.setText(texts[(r + 3) % 6].c_str());
        value.setDouble(r + 0.5);
        value.setText(texts[(r + 1) % 6].c_str());
    }
    for (int c = 0; c < 8; ++c)
        table->addColumn((L"more" + std::to_wstring(c)).c_str(), ValueText);
    for (int r = 0; r < table->rowCount(); ++r) {
        EXPECT_EQ(std::wstring(table->getRow(r).getItem(L"id").getText().c_str()), texts[r]);
        EXPECT_EQ(std::wstring(table->getRow(r).getItem(L"value").getText().c_str()), texts[(r + 1) % 6]);
    }
    EXPECT_EQ(table->getRow(2).getItem(L"id").getDouble(), 1234567.0) << "a short text reads as a number";
    EXPECT_EQ(table->getRow(3).getItem(L"id").getInt(), 12345678);
    table->getRow(0).getItem(L"id").setText(nullptr);
    EXPECT_TRUE(table->getRow(0).getItem(L"id").isNull());
}

TEST(DataTable, ReservedRowsReadBackThroughRefillsOfEveryShape) {
    // A fill announced by reserveRows keeps its cells apart from rows added otherwise, and a
    // clear keeps that memory for the next fill: every refill below (same size, longer texts,
    // more rows than announced, fewer rows, other columns) must read back only its own values.
    const std::wstring longs[] = {L"集合理财产品名称很长", L"a longer text than the cell holds", L"12345678"};
    XComPtr<IDataTable> table = idValueTable(ValueText);
    auto fill = [&](int reserved, int rows, int round) {
        table->clear(0);
        table->reserveRows(reserved);
        for (int r = 0; r < rows; ++r) {
            // Texts move between short and long from round to round; a real and a null too.
            const std::wstring id = round % 2 ? longs[r % 3] + std::to_wstring(r) : std::to_wstring(r);
            IDataRow& row = table->getRow(table->addRow());
            row.getItem(L"id").setText(id.c_str());
            if ((r + round) % 3 == 1)
                row.getItem(L"value").setDouble(r + round * 0.25);
            else if ((r + round) % 3 == 2)
                row.getItem(L"value").setText(longs[(r + round) % 3].c_str());
        }
    };
    auto check = [&](int rows, int round) {
        ASSERT_GE(table->rowCount(), rows) << "round " << round;
        for (int r = 0; r < rows; ++r) {
            IDataRow& row = table->getRow(r);
            const std::wstring id = round % 2 ? longs[r % 3] + std::to_wstring(r) : std::to_wstring(r);
            EXPECT_EQ(std::wstring(row.getItem(L"id").getText().c_str()), id) << round << "/" << r;
            IDataItem& value = row.getItem(L"value");
            if ((r + round) % 3 == 1)
                EXPECT_EQ(value.getDouble(), r + round * 0.25) << round << "/" << r;
            else if ((r + round) % 3 == 2)
                EXPECT_EQ(std::wstring(value.getText().c_str()), longs[(r + round) % 3]) << round << "/" << r;
            else
                EXPECT_TRUE(value.isNull()) << round << "/" << r;
        }
    };
    const int shapes[][2] = {{50, 50}, {50, 50}, {50, 80}, {200, 200}, {3, 3}, {0, 7}, {60, 60}};
    for (int round = 0; round < 7; ++round) {
        fill(shapes[round][0], shapes[round][1], round);
        check(shapes[round][1], round);
        EXPECT_EQ(table->rowCount(), shapes[round][1]);
    }

    // A column added to the filled rows, then rows added past the announced number and an
    // announcement while rows are there: old values stay, new cells are null and writable.
    EXPECT_EQ(table->addColumn(L"extra", ValueInteger), 2);
    table->reserveRows(10);
    for (int r = 0; r < 5; ++r)
        table->getRow(table->addRow()).getItem(L"id").setText(longs[r % 3].c_str());
    check(60, 6); // the first 60 rows as before
    ASSERT_EQ(table->rowCount(), 65);
    for (int r = 0; r < 65; ++r) {
        IDataRow& row = table->getRow(r);
        ASSERT_EQ(row.itemCount(), 3);
        EXPECT_TRUE(row.getItem(L"extra").isNull()) << r;
        row.getItem(L"extra").setInt(r);
    }
    EXPECT_EQ(table->getRow(30).getItem(L"extra").getInt(), 30);
    EXPECT_EQ(std::wstring(table->getRow(62).getItem(L"id").getText().c_str()), longs[2]);

    // After a reset the same memory serves rows of another width.
    table->reset();
    table->addColumn(L"only", ValueText);
    table->reserveRows(400);
    for (int r = 0; r < 400; ++r)
        table->getRow(table->addRow()).getItem(0).setText(longs[r % 3].c_str());
    ASSERT_EQ(table->getRow(399).itemCount(), 1);
    EXPECT_EQ(std::wstring(table->getRow(398).getItem(L"only").getText().c_str()), longs[2]);
}

} // namespace
