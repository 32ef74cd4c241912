// How a query fills a table: columns, types, nulls, first and later fills, and failures that
// must leave the table as it was.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include "TestTables.h"
#include "HostDatabase.h"
#include "TestFiles.h"

namespace {

using Data::ValueInteger;
using Data::ValueReal;
using Data::ValueText;

const char kFillSql[] = R"sql(
create table t (i integer, r real, s varchar(20), d date, n numeric, b blob);
insert into t values (1, null, 'one', '2024-01-02', 5, x'00ff');
insert into t values (2, 2.5, '集合理财产品', null, 6, null);
insert into t values (3, -0.25, '', '2024-01-04', null, null);
insert into t values (4, 1e300, '𠀀x', '2024-01-05', 7.5, null);
)sql";

class QueryFillTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = TestFiles::makeDatabase(L"fill.db", kFillSql);
        db_ = openDatabase(file_.c_str(), 200);
        ASSERT_TRUE(db_);
        ASSERT_TRUE(db_->isOpen());
        table_ = newTable();
    }

    std::wstring columnName(int index) { return table_->getColumn(index)->getName(); }
    int columnType(int index) { return table_->getColumn(index)->getValueType(); }
    Data::IDataItem& cell(int row, const wchar_t* column) { return table_->getRow(row).getItem(column); }

    std::wstring file_;
    XComPtr<IDatabase> db_;
    XComPtr<Data::IDataTable> table_;
};

TEST_F(QueryFillTest, FirstFillBuildsColumnsFromTheSelectListWithTypesAndNulls) {
    ASSERT_TRUE(db_->query(L"select i, r, s as label, d, n, b, i * 1.5 as expr, null as missing, "
                           L"upper(s) as up, count(*) over () as total from t order by i",
                           table_, true, 0));
    ASSERT_EQ(10, table_->columnCount());
    const wchar_t* names[] = {L"i", L"r", L"label", L"d", L"n", L"b", L"expr", L"missing", L"up", L"total"};
    // Declared types decide where they name one; otherwise the first non-null value does, and
    // a column of nulls only is text.
    const int types[] = {ValueInteger, ValueReal, ValueText, ValueText, ValueInteger,
                         ValueText,    ValueReal, ValueText, ValueText, ValueInteger};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(names[c], columnName(c));
        EXPECT_EQ(types[c], columnType(c)) << c;
    }
    ASSERT_EQ(4, table_->rowCount());
    EXPECT_EQ(3, cell(2, L"i").getInt());
    EXPECT_TRUE(cell(0, L"r").isNull());
    EXPECT_DOUBLE_EQ(-0.25, cell(2, L"r").getDouble());
    EXPECT_DOUBLE_EQ(1e300, cell(3, L"r").getDouble());
    EXPECT_TRUE(cell(1, L"d").isNull());
    EXPECT_EQ(XStringW(L"2024-01-05"), cell(3, L"d").getText());
    EXPECT_DOUBLE_EQ(7.5, cell(3, L"n").getDouble());
    EXPECT_TRUE(cell(2, L"n").isNull());
    EXPECT_TRUE(cell(0, L"b").isNull()); // blobs have no cell form
    EXPECT_DOUBLE_EQ(3.0, cell(1, L"expr").getDouble());
    EXPECT_TRUE(cell(3, L"missing").isNull());
    EXPECT_EQ(4, cell(0, L"total").getInt());
}

TEST_F(QueryFillTest, TextsReachSqliteAndComeBackAsUtf16) {
    ASSERT_TRUE(db_->query(L"select s, length(s) as len from t where s = '集合理财产品' or s like '𠀀%' "
                           L"order by i",
                           table_, true, 0));
    ASSERT_EQ(2, table_->rowCount());
    EXPECT_EQ(XStringW(L"集合理财产品"), cell(0, L"s").getText());
    EXPECT_EQ(6, cell(0, L"len").getInt());
    EXPECT_EQ(XStringW(L"𠀀x"), cell(1, L"s").getText()); // a surrogate pair survives
    EXPECT_EQ(2, cell(1, L"len").getInt());
}

TEST_F(QueryFillTest, IntegersBeyondIntBecomeReals) {
    ASSERT_TRUE(db_->query(L"select 3000000000 as big, -2147483648 as low", table_, true, 0));
    EXPECT_DOUBLE_EQ(3000000000.0, cell(0, L"big").getDouble());
    EXPECT_EQ(-2147483647 - 1, cell(0, L"low").getInt());
}

TEST_F(QueryFillTest, LaterFillReplacesRowsAndKeepsColumns) {
    ASSERT_TRUE(db_->query(L"select i, s from t order by i", table_, true, 0));
    ASSERT_EQ(4, table_->rowCount());
    table_->getColumn(1)->setValueType(ValueReal); // a caller's choice must survive a refill

    // Same names in another order, and one the table lacks: rows go by name, the new column is
    // added at the end.
    ASSERT_TRUE(db_->query(L"select s, i, r from t where i >= 3 order by i", table_, false, 0));
    ASSERT_EQ(3, table_->columnCount());
    EXPECT_EQ(L"i", columnName(0));
    EXPECT_EQ(L"s", columnName(1));
    EXPECT_EQ(L"r", columnName(2));
    EXPECT_EQ(ValueReal, columnType(1));
    ASSERT_EQ(2, table_->rowCount());
    EXPECT_EQ(3, cell(0, L"i").getInt());
    EXPECT_EQ(4, cell(1, L"i").getInt());
    EXPECT_EQ(XStringW(L"𠀀x"), cell(1, L"s").getText());

    // A first fill starts over: the old columns are gone.
    ASSERT_TRUE(db_->query(L"select r as value from t where 0", table_, true, 0));
    ASSERT_EQ(1, table_->columnCount());
    EXPECT_EQ(L"value", columnName(0));
    EXPECT_TRUE(table_->isEmpty());
}

TEST_F(QueryFillTest, ViewsHearOfAFillOnceAndOfAFailureNever) {
    XComPtr<Data::IDataView> view = createInstanceAs<Data::IDataView>("Data.DataView");
    ASSERT_TRUE(view);
    ViewChangeCounter counter;
    view->setSource(table_);
    view->addEventSink(&counter);
    const int before = counter.changed;
    ASSERT_TRUE(db_->query(L"select i, s from t", table_, true, 0));
    EXPECT_EQ(before + 1, counter.changed);
    EXPECT_EQ(4, view->rowCount());
    ASSERT_TRUE(db_->query(L"select i, s from t where i < 3", table_, false, 0));
    EXPECT_EQ(before + 2, counter.changed);
    EXPECT_EQ(2, view->rowCount());
    EXPECT_FALSE(db_->query(L"select nosuchcolumn from t", table_, false, 0));
    EXPECT_EQ(before + 2, counter.changed);
    view->removeEventSink(&counter);
}

TEST_F(QueryFillTest, FailedStatementsLeaveTheTableAsItWas) {
    ASSERT_TRUE(db_->query(L"select i, s from t order by i", table_, true, 0));
    const wchar_t* failing[] = {
        L"select from where",          // syntax
        L"select * from tb_missing",   // unknown table
        L"select nosuchcolumn from t", // unknown column
        L"",                           // nothing to run
        L"   ",                        //
        L"delete from t",              // writes are refused
        L"select 1; delete from t",    // a second statement is refused, not dropped
        L"select 1; select 2",
        L"begin", // no result, and it would keep a transaction open
        L"savepoint s",
        L"attach 'other.db' as other",
        // Fails on the third row, after two rows were stepped.
        L"select abs(i - 3 - 9223372036854775807 - 1) as x from t order by i",
    };
    for (const wchar_t* sql : failing) {
        EXPECT_FALSE(db_->query(sql, table_, true, 0)) << TestFiles::utf8(sql);
        EXPECT_FALSE(db_->query(sql, table_, false, 0)) << TestFiles::utf8(sql);
        ASSERT_EQ(2, table_->columnCount());
        EXPECT_EQ(L"i", columnName(0));
        ASSERT_EQ(4, table_->rowCount());
        EXPECT_EQ(XStringW(L"集合理财产品"), cell(1, L"s").getText());
    }
    // Trailing blanks, semicolons and comments are no second statement.
    XComPtr<Data::IDataTable> other = newTable();
    EXPECT_TRUE(db_->query(L"select 1 as one ; \r\n -- done\r\n", other, true, 0));
    EXPECT_EQ(1, other->getRow(0).getItem(L"one").getInt());
    EXPECT_FALSE(db_->query(nullptr, table_, true, 0));
    EXPECT_FALSE(db_->query(L"select 1", nullptr, true, 0));
    // The refused delete changed nothing in the file.
    ASSERT_TRUE(db_->query(L"select count(*) as n from t", table_, true, 0));
    EXPECT_EQ(4, cell(0, L"n").getInt());
}

// A refused BEGIN leaves no transaction behind: the host's writer still gets in, and the next
// query sees what it wrote.
TEST_F(QueryFillTest, TransactionsCannotBeLeftOpen) {
    EXPECT_FALSE(db_->query(L"begin", table_, true, 0));
    ASSERT_TRUE(db_->query(L"select count(*) as n from t", table_, true, 0));
    EXPECT_EQ(4, cell(0, L"n").getInt());
    sqlite3* writer = TestFiles::openWritable(file_);
    EXPECT_EQ(SQLITE_OK, sqlite3_exec(writer, "insert into t (i) values (5);", nullptr, nullptr, nullptr));
    sqlite3_close(writer);
    ASSERT_TRUE(db_->query(L"select count(*) as n from t", table_, true, 0));
    EXPECT_EQ(5, cell(0, L"n").getInt());
}

} // namespace
