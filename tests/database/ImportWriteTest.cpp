// Writing imported data: replaced when it differs, left when equal, products added and updated
// with what their file gives, one transaction that another writer, a cancel or a failed file
// cannot leave half done.
#include "ImportFilesSupport.h"

using namespace importtest;

namespace {

const char kSeed[] = R"sql(
insert into tb_investadvisor (guid, name, isdeleted) values ('G1', '甲证券', 0), ('G2', '乙证券', 1);
insert into tb_fund (code, aliascode, name, investtype, fundtype, companyguid, pycode, isdeleted)
  values ('100001', 'JH100001', '甲一号', '混合型', '集合理财产品', 'G1', 'JYH', 0),
         ('100002', '100002', '乙二号', null, '股票型', null, null, 1);
insert into tb_buyredeemstate (code, buystate, redeemstate, isdeleted) values ('100002', 0, 0, 1);
insert into tb_valuelist (code, date, value, totalvalue, isdeleted)
  values ('100001', '2024-05-06', 1.1, 1.2, 0), ('100001', '2024-05-07', 1.3, 1.4, 1);
insert into tb_bonus (code, currdate, bonus, isdeleted) values ('100001', '2024-05-06', 0.01, 0);
)sql";

const char kAllValues[] =
    "select code, date, value, totalvalue, isdeleted from tb_valuelist order by code, date";

} // namespace

TEST_F(ImportTest, TheSameFileTwiceChangesNothingAndChangedValuesAreReplacedAndCounted) {
    makeDatabase(kSeed);
    const std::string first = "代码,日期,单位净值,累计净值,分红\n"
                              "100001,2024-05-06,1.1,1.2,\n"     // as stored (its dividend stays)
                              "100001,2024-05-07,1.3,1.4,\n"     // stored but deleted: restored
                              "100001,2024-05-08,1.5,1.6,0.02\n" // new, with a dividend
                              "100001,2024-05-09,1.7,1.8,\n";    // new
    const std::wstring path = file(L"values.csv", first);
    ImportReport r = import({path});
    ASSERT_TRUE(r.allImported()) << text(r.detailText());
    EXPECT_EQ(r.summaryLines()[0],
              L"import: " + path + L": 0 products, 4 values (1 changed, 1 unchanged), 1 dividends");
    EXPECT_EQ(r.rowsChanged, 4);
    const std::vector<std::string> afterFirst = rows(kAllValues);
    EXPECT_EQ(afterFirst,
              (std::vector<std::string>{"100001|2024-05-06|1.1|1.2|0", "100001|2024-05-07|1.3|1.4|0",
                                        "100001|2024-05-08|1.5|1.6|0", "100001|2024-05-09|1.7|1.8|0"}));
    EXPECT_EQ(rows("select currdate, bonus from tb_bonus order by currdate"),
              (std::vector<std::string>{"2024-05-06|0.01", "2024-05-08|0.02"}));

    // Again: every line finds its value, nothing is written.
    r = import({path});
    ASSERT_TRUE(r.allImported());
    EXPECT_EQ(r.summaryLines()[0],
              L"import: " + path + L": 0 products, 4 values (0 changed, 4 unchanged), 1 dividends");
    EXPECT_EQ(r.rowsChanged, 0);
    EXPECT_EQ(rows(kAllValues), afterFirst);

    // One value and one dividend corrected, in other spellings of the same day.
    const std::string corrected = "date,value,totalvalue,bonus\n"
                                  "2024/5/6,1.1,1.2,\n"
                                  "20240507,1.35,1.45,\n"
                                  "2024-05-08,1.5,1.6,0.03\n";
    r = import({file(L"100001.csv", corrected)});
    ASSERT_TRUE(r.allImported()) << text(r.detailText());
    EXPECT_EQ(r.files[0].changed, 2);
    EXPECT_EQ(r.files[0].unchanged, 1);
    EXPECT_EQ(rows("select value, totalvalue from tb_valuelist where date = '2024-05-07'"),
              std::vector<std::string>{"1.35|1.45"});
    EXPECT_EQ(rows("select bonus from tb_bonus where currdate = '2024-05-08'"),
              std::vector<std::string>{"0.03"});
}

TEST_F(ImportTest, ProductsAreAddedOrUpdatedWithWhatTheirFileGives) {
    makeDatabase(kSeed);
    const std::string products = "代码,名称,投资类型,基金类型,基金公司,申购状态,赎回状态,成立日期,拼音简码\n"
                                 "100001,,,,,暂停,,,\n"                        // only the buy state
                                 "100002,乙二号,股票型,,乙证券,,0,2020/1/2,\n" // deleted: back, new company
                                 "100003,丙三号,,,甲证券,开放,暂停,,BSH\n"     // new, known company
                                 "100004,丁四号,,QDII,乙证券,,,,\n";           // new, the same new company
    const std::string values = "code,date,value\n100003,2024-05-06,1.01\n100004,2024-05-06,0.99\n";
    const std::wstring valuesFile = file(L"v.csv", values);
    const ImportReport r = import({valuesFile, file(L"p.csv", products)});
    ASSERT_TRUE(r.allImported()) << text(r.detailText());
    EXPECT_EQ(r.files[1].products, 4);
    EXPECT_EQ(rows("select f.code, f.aliascode, f.name, f.investtype, f.fundtype, f.createdate, f.pycode, "
                   "f.isdeleted, c.name, c.isdeleted from tb_fund f left join tb_investadvisor c on c.guid = "
                   "f.companyguid order by f.code"),
              (std::vector<std::string>{"100001|JH100001|甲一号|混合型|集合理财产品|~|JYH|0|甲证券|0",
                                        "100002|100002|乙二号|股票型|股票型|2020-01-02|~|0|乙证券|0",
                                        "100003|100003|丙三号|~|集合理财产品|~|BSH|0|甲证券|0",
                                        "100004|100004|丁四号|~|QDII|~|~|0|乙证券|0"}));
    // One new company for both products naming it; the deleted one of that name stays deleted.
    EXPECT_EQ(rows("select count(*) from tb_investadvisor where name = '乙证券' and not isdeleted"),
              std::vector<std::string>{"1"});
    // A state the file leaves out is kept, or open where the stored row was deleted.
    EXPECT_EQ(rows("select code, buystate, redeemstate, isdeleted from tb_buyredeemstate order by code"),
              (std::vector<std::string>{"100001|0|1|0", "100002|1|0|0", "100003|1|0|0"}));
    EXPECT_EQ(rows("select count(*) from tb_valuelist where date = '2024-05-06'"),
              std::vector<std::string>{"3"});

    // A products file with an error adds nothing, so a values file naming its products fails too.
    const std::string badProducts = "代码,名称,申购状态\n100005,戊五号,1\n100006,己六号,maybe\n";
    const ImportReport bad = import({file(L"bad-products.csv", badProducts),
                                     file(L"v5.csv", "代码,日期,单位净值\n100005,2024-05-06,1\n")});
    EXPECT_FALSE(bad.files[0].imported);
    EXPECT_FALSE(bad.files[1].imported);
    EXPECT_EQ(bad.files[1].errors.at(0).reason.rfind("the product \"100005\" is not in the database", 0), 0u);
    EXPECT_EQ(rows("select count(*) from tb_fund"), std::vector<std::string>{"4"});
}

TEST_F(ImportTest, AnEmptyOrMissingDatabaseGetsTheProductTables) {
    // No file at all: the import makes it, with every table the page reads.
    const std::string products = "code,name\n100001,甲\n";
    ASSERT_TRUE(import({file(L"p.csv", products)}).allImported());
    EXPECT_EQ(rows("select count(*) from sqlite_master where type = 'table' and name in ('tb_fund', "
                   "'tb_valuelist', 'tb_bonus', 'tb_investadvisor', 'tb_buyredeemstate')"),
              std::vector<std::string>{"5"});
    // A file that fails everything leaves no tables behind in a new database either.
    DeleteFileW(database.c_str());
    EXPECT_FALSE(import({file(L"bad.csv", "code,name\n,甲\n")}).allImported());
    const std::vector<std::string> left = rows("select count(*) from sqlite_master");
    EXPECT_TRUE(left.empty() || left == std::vector<std::string>{"0"}) << left.size();
}

TEST_F(ImportTest, AnotherWriterMakesTheImportWaitAndThenFailWithItsReason) {
    makeDatabase(kSeed);
    const std::wstring values = file(L"100001.csv", "日期,单位净值\n2024-06-03,1.9\n");
    sqlite3* other = TestFiles::openWritable(database);
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "begin immediate; update tb_fund set name = name;", nullptr,
                                      nullptr, nullptr));
    busyTimeoutMs = 700;
    const ImportReport held = import({values});
    ASSERT_EQ(held.files.size(), 1u);
    EXPECT_FALSE(held.files[0].imported);
    EXPECT_EQ(held.summaryLines()[0],
              L"import failed: " + values +
                  L": the database is in use by another program (waited 1 s); nothing imported");
    sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(import({values}).allImported());
}

TEST_F(ImportTest, ACancelledImportLeavesTheDatabaseAsItWas) {
    makeDatabase(kSeed);
    std::string many = "代码,日期,单位净值\n";
    for (int i = 0; i < 60000; ++i)
        many += "100001," + std::to_string(2030 + i / 336) + "/" + std::to_string(1 + i / 28 % 12) + "/" +
                std::to_string(1 + i % 28) + ",1.5\n";
    const std::string products = "code,name\n100009,新产品\n";
    const std::vector<std::string> before = rows(kAllValues);
    DataImporter importer(database);
    int calls = 0;
    importer.setProgress([&](uint64_t done, uint64_t total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    });
    const ImportReport r = importer.run({{file(L"p.csv", products), ""}, {file(L"v.csv", many), ""}});
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(calls, 2);
    for (const FileImportReport& f : r.files) {
        EXPECT_FALSE(f.imported);
        EXPECT_EQ(f.failure, "the import was cancelled");
    }
    EXPECT_EQ(rows(kAllValues), before);
    EXPECT_EQ(rows("select count(*) from tb_fund"), std::vector<std::string>{"2"});
}
