// Files the module must survive: missing, not a database, damaged, without the product tables,
// locked by a writer. None of them may crash the caller or be written to.
#include <windows.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include "TestTables.h"
#include "HostDatabase.h"
#include "TestFiles.h"

namespace {

const wchar_t kDateQuery[] =
    L"select date from tb_valuelist a left join tb_fund b on a.code = b.code and not b.isdeleted "
    L"where b.fundtype = '集合理财产品' and isdellisting = 0 and not a.isdeleted and date <= "
    L"date('2026-11-30') order by date desc limit 1 ";

// A table holding one row, so a failed query can be seen to leave it alone.
XComPtr<Data::IDataTable> tableWithOneRow() {
    XComPtr<Data::IDataTable> table = newTable();
    table->addColumn(L"date", Data::ValueText);
    table->getRow(table->addRow()).getItem(0).setText(L"2020-01-01");
    return table;
}

void expectUnchanged(Data::IDataTable* table) {
    ASSERT_EQ(1, table->rowCount());
    ASSERT_EQ(1, table->columnCount());
    EXPECT_EQ(XStringW(L"2020-01-01"), table->getRow(0).getItem(0).getText());
}

TEST(BadInputTest, MissingFileIsNotOpenedAndNotCreated) {
    const std::wstring file = TestFiles::path(L"missing.db");
    XComPtr<IDbModule> module = createDbModule(file.c_str());
    ASSERT_TRUE(module);
    ModuleInfo info;
    ASSERT_TRUE(module->getModuleInfo(info));
    EXPECT_EQ(XStringA("mod_Database"), info.name);
    XStringW error;
    EXPECT_EQ(0, module->initialize(nullptr, error));
    XComPtr<IDatabase> db = module->getDatabase();
    ASSERT_TRUE(db);
    EXPECT_FALSE(db->isOpen());
    XComPtr<Data::IDataTable> table = tableWithOneRow();
    EXPECT_FALSE(db->query(L"select 1", table, true, 0));
    expectUnchanged(table);
    EXPECT_FALSE(TestFiles::exists(file));

    EXPECT_FALSE(openDatabase(nullptr, 0)->isOpen());
    EXPECT_FALSE(openDatabase(L"", 0)->isOpen());
    EXPECT_FALSE(openDatabase(TestFiles::path(L"no\\such\\folder\\x.db").c_str(), 0)->isOpen());
}

TEST(BadInputTest, FileThatIsNotADatabaseIsNotOpened) {
    const std::wstring text = TestFiles::path(L"notes.db");
    const std::string bytes = "code,name\r\n000001,not a database at all\r\n" + std::string(5000, 'x');
    TestFiles::writeBytes(text, bytes);
    const std::wstring empty = TestFiles::path(L"empty.db");
    TestFiles::writeBytes(empty, "");
    {
        XComPtr<IDatabase> db = openDatabase(text.c_str(), 100);
        EXPECT_FALSE(db->isOpen());
        XComPtr<Data::IDataTable> table = tableWithOneRow();
        EXPECT_FALSE(db->query(kDateQuery, table, true, 0));
        expectUnchanged(table);
        // An empty file is a database without tables: open, but the product queries fail.
        XComPtr<IDatabase> none = openDatabase(empty.c_str(), 100);
        EXPECT_FALSE(none->query(kDateQuery, table, true, 0));
        expectUnchanged(table);
    }
    EXPECT_EQ(bytes, TestFiles::readBytes(text));
    EXPECT_EQ(std::string(), TestFiles::readBytes(empty));
}

TEST(BadInputTest, DatabaseWithoutTheProductTablesFailsItsQueries) {
    const std::wstring file = TestFiles::makeDatabase(
        L"other.db", "create table tb_fund (code text, name text); insert into tb_fund values ('1','a');");
    const std::string before = TestFiles::readBytes(file);
    {
        XComPtr<IDatabase> db = openDatabase(file.c_str(), 100);
        EXPECT_TRUE(db->isOpen());
        XComPtr<Data::IDataTable> table = tableWithOneRow();
        EXPECT_FALSE(db->query(kDateQuery, table, true, 0));
        EXPECT_FALSE(db->query(L"select fundtype from tb_fund", table, false, 0));
        expectUnchanged(table);
    }
    EXPECT_EQ(before, TestFiles::readBytes(file));
}

TEST(BadInputTest, DamagedDatabaseFailsWithoutCrashing) {
    const std::wstring file = TestFiles::makeDatabase(
        L"damaged.db", "create table t (k integer primary key, v text);"
                       "with recursive n(x) as (select 1 union all select x + 1 from n where x < 2000)"
                       " insert into t select x, printf('value %d %.*c', x, 100, 'y') from n;");
    std::string bytes = TestFiles::readBytes(file);
    ASSERT_GT(bytes.size(), 16384u);
    // Keep the header page, scribble over the table's pages.
    for (size_t i = 4096; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5 ^ (i * 7));
    TestFiles::writeBytes(file, bytes);
    {
        XComPtr<IDatabase> db = openDatabase(file.c_str(), 100);
        XComPtr<Data::IDataTable> table = tableWithOneRow();
        EXPECT_FALSE(db->query(L"select k, v from t", table, true, 0));
        EXPECT_FALSE(db->query(L"select count(*) from t", table, true, 0));
        expectUnchanged(table);
    }
    EXPECT_EQ(bytes, TestFiles::readBytes(file));

    // A header that lies about the page size makes the whole file unreadable.
    bytes[16] = 0x00;
    bytes[17] = 0x03;
    TestFiles::writeBytes(file, bytes);
    XComPtr<IDatabase> db = openDatabase(file.c_str(), 100);
    XComPtr<Data::IDataTable> table = tableWithOneRow();
    EXPECT_FALSE(db->isOpen() && db->query(L"select k from t", table, true, 0));
    expectUnchanged(table);
}

TEST(BadInputTest, LockedDatabaseIsWaitedForABoundedTime) {
    const std::wstring file =
        TestFiles::makeDatabase(L"locked.db", "create table t (v integer); insert into t values (42);");
    sqlite3* writer = TestFiles::openWritable(file);
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(writer, "begin exclusive; insert into t values (43);", nullptr, nullptr, nullptr));

    XComPtr<IDatabase> db = openDatabase(file.c_str(), 300);
    EXPECT_TRUE(db->isOpen()); // the file is a database; only its lock is in the way
    XComPtr<Data::IDataTable> table = tableWithOneRow();
    const DWORD start = GetTickCount();
    EXPECT_FALSE(db->query(L"select v from t", table, true, 0));
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 200u);
    EXPECT_LT(waited, 5000u);
    expectUnchanged(table);

    // Once the writer is done the same database answers, with the committed rows only.
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(writer, "rollback", nullptr, nullptr, nullptr));
    sqlite3_close(writer);
    ASSERT_TRUE(db->query(L"select v from t", table, true, 0));
    ASSERT_EQ(1, table->rowCount());
    EXPECT_EQ(42, table->getRow(0).getItem(L"v").getInt());
}

} // namespace
