// How a table keeps its cells: 16 bytes each in chunks that tell a cell its table, row and column;
// texts in blocks of the table, repeated ones once per column. What must hold whatever the layout.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <string>
#include "tests/data/DataTestSupport.h"

using namespace datatest;

namespace {

std::wstring cellText(int row, int column) {
    return L"r" + std::to_wstring(row) + L"c" + std::to_wstring(column);
}

std::wstring textAt(IDataContainer* c, int row, int column) {
    return c->getRow(row).getItem(column).getText().c_str();
}

double withBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

TEST(CellStore, EveryCellOfManyChunksKeepsItsOwnValueThroughAWiderRow) {
    // 19 columns: many chunks, whose last rows do not fill them; with and without an announcement.
    for (bool announced : {true, false}) {
        XComPtr<IDataTable> table = newTable();
        for (int c = 0; c < 19; ++c)
            table->addColumn((L"c" + std::to_wstring(c)).c_str(), ValueText);
        const int rows = 3000;
        if (announced)
            table->reserveRows(rows);
        for (int r = 0; r < rows; ++r) {
            IDataRow& row = table->getRow(table->addRow());
            for (int c = 0; c < 19; ++c)
                if (c % 3 == 1)
                    row.getItem(c).setDouble(r + c / 100.0);
                else
                    row.getItem(c).setText(cellText(r, c).c_str());
        }
        table->addColumn(L"added", ValueInteger);
        table->getRow(rows - 1).getItem(L"added").setInt(7);
        for (int r = 0; r < rows; ++r) {
            ASSERT_EQ(table->getRow(r).itemCount(), 20);
            for (int c = 0; c < 19; ++c)
                if (c % 3 == 1)
                    ASSERT_EQ(table->getRow(r).getItem(c).getDouble(), r + c / 100.0) << r << "/" << c;
                else
                    ASSERT_EQ(textAt(table, r, c), cellText(r, c)) << r << "/" << c;
        }
        EXPECT_TRUE(table->getRow(0).getItem(L"added").isNull());
        EXPECT_EQ(table->getRow(rows - 1).getItem(L"added").getInt(), 7);
    }
}

TEST(CellStore, NaNsThatLookLikeOtherValuesStayNumbers) {
    // A cell's word holds a real as it is, other values as NaNs with a tag: a real NaN with such
    // bits must not read back as a null, an integer or a text (whose pointer it would be).
    XComPtr<IDataTable> table = idValueTable(ValueReal);
    IDataItem& cell = table->getRow(table->addRow()).getItem(L"value");
    for (uint64_t bits : {0xFFF9000000000000ull, 0xFFFA00000000002Aull, 0xFFFB000012345678ull,
                          0xFFFBFFFFFFFFFFFFull, 0x7FF8000000000001ull, 0xFFF8000000000000ull}) {
        cell.setDouble(withBits(bits));
        EXPECT_FALSE(cell.isNull());
        EXPECT_TRUE(std::isnan(cell.getDouble()));
        EXPECT_EQ(cell.getInt(), 0);
        EXPECT_GE(cell.getText().find(L"nan"), 0) << std::hex << bits;
    }
    for (double edge : {-0.0, HUGE_VAL, -HUGE_VAL, 4.9e-324, -1.7976931348623157e308}) {
        cell.setDouble(edge);
        EXPECT_EQ(std::signbit(cell.getDouble()), std::signbit(edge));
        EXPECT_EQ(cell.getDouble(), edge);
    }
    cell.setInt(-2147483647 - 1);
    EXPECT_EQ(cell.getInt(), -2147483647 - 1);
    EXPECT_EQ(cell.getDouble(), -2147483648.0);
}

TEST(CellStore, TextsWrittenOverAreReclaimedWithoutTouchingTheOthers) {
    // A column of few values keeps each once; a column of many stops looking them up. Texts
    // written over again and again are laid out anew now and then: every cell must still read
    // its own text, and equal texts stay apart when one of their cells changes.
    XComPtr<IDataTable> table = idValueTable(ValueText);
    const int rows = 2000;
    for (int r = 0; r < rows; ++r)
        addRow(table, (L"id" + std::to_wstring(r)).c_str(), (L"公司" + std::to_wstring(r % 4)).c_str());
    const std::wstring longText(300, L'长');
    IDataItem& busy = table->getRow(7).getItem(L"value");
    for (int i = 0; i < 20000; ++i)
        busy.setText((longText + std::to_wstring(i)).c_str());
    EXPECT_EQ(textAt(table, 7, 1), longText + L"19999");
    table->getRow(8).getItem(L"value").setText(L"公司9");
    for (int r = 0; r < rows; ++r) {
        ASSERT_EQ(textAt(table, r, 0), L"id" + std::to_wstring(r));
        if (r != 7 && r != 8) {
            ASSERT_EQ(textAt(table, r, 1), L"公司" + std::to_wstring(r % 4)) << r;
        }
    }
    EXPECT_EQ(textAt(table, 8, 1), L"公司9");
    EXPECT_EQ(textAt(table, 4, 1), L"公司0") << "a text shared with row 8 before";
}

TEST(CellStore, TextOrderFollowsACellThatChangesAfterASort) {
    // GB2312 keys are kept between sorts; a changed cell must not sort by its old text.
    XComPtr<IDataTable> table = idValueTable(ValueText);
    addRow(table, L"1", L"乙");
    addRow(table, L"2", L"丙");
    addRow(table, L"3", L"甲");
    XComPtr<IDataView> view = newView(table);
    XComPtr<IFieldSorter> sorter = createInstanceAs<IFieldSorter>("Data.FieldSorter");
    sorter->setField(L"value");
    view->setSorter(sorter.get());
    EXPECT_EQ(ids(view), list({L"2", L"3", L"1"})); // 丙 甲 乙 by GB2312 bytes
    table->getRow(1).getItem(L"value").setText(L"乙乙");
    view->refresh(true);
    EXPECT_EQ(ids(view), list({L"3", L"1", L"2"}));
}
