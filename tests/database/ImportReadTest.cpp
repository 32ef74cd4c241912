// Reading data files for the import: encodings, separators, quoting, line ends, the spellings
// of dates and numbers, every kind of error with its line, and files that are no data files.
#include "ImportFilesSupport.h"
#include <psapi.h>
#include "Gb18030.h"
#include "ImportFields.h"

using namespace importtest;

namespace {

// A name with what quoting must carry (a comma, a semicolon, a tab, quotes, a line break) and
// characters GB18030 writes in two and in four bytes.
const std::string kTrickyName = "稳健·增利€é™Ø⺁𠀀, \"1号\";\t第二行\n第三行";

std::vector<std::vector<std::string>> productsRows() {
    return {{"代码", "名称", "基金公司", "申购状态", "成立日期"},
            {"100001", kTrickyName, "甲公司", "暂停", "2024/5/3"},
            {"100002", "成长二号", "乙公司", "1", "20240131"}};
}

std::vector<std::vector<std::string>> valuesRows() {
    return {{"代码", "净值日期", "单位净值", "累计净值", "分红"},
            {"100001", "2024-05-31", "1,234.5678", "1,300.1", "0.05"},
            {"100001", "2024/6/3", "1.0001", "", ""},
            {"100002", "20240603", "2.5", " 2.6 ", "0"}};
}

const std::vector<std::string> kExpectedFunds = {"100001|100001|" + kTrickyName +
                                                     "|集合理财产品|2024-05-03|甲公司",
                                                 "100002|100002|成长二号|集合理财产品|2024-01-31|乙公司"};
const std::vector<std::string> kExpectedValues = {"100001|2024-05-31|1234.5678|1300.1|0",
                                                  "100001|2024-06-03|1.0001|1.0001|0",
                                                  "100002|2024-06-03|2.5|2.6|0"};

const char kFunds[] = "select f.code, f.aliascode, f.name, f.fundtype, f.createdate, c.name from tb_fund f "
                      "left join tb_investadvisor c on c.guid = f.companyguid order by f.code";
const char kValues[] =
    "select code, date, value, totalvalue, isdeleted from tb_valuelist order by code, date";

double peakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize);
}

} // namespace

TEST_F(ImportTest, EveryEncodingSeparatorQuotingAndLineEndGivesTheSameRows) {
    const Encoding encodings[] = {Encoding::Utf8Bom, Encoding::Utf8, Encoding::Gb18030, Encoding::Utf16Le,
                                  Encoding::Utf16Be};
    const char* encodingNames[] = {"UTF-8 BOM", "UTF-8", "GB18030", "UTF-16LE", "UTF-16BE"};
    const char separators[] = {',', '\t', ';'};
    const std::string lineEnds[] = {"\r\n", "\n", "\r"};
    int variant = 0;
    for (int e = 0; e < 5; ++e)
        for (char separator : separators) {
            const std::string& lineEnd = lineEnds[variant % 3];
            const bool quoteAll = variant % 2 == 1;
            ++variant;
            SCOPED_TRACE(std::string(encodingNames[e]) + ", separator " + std::to_string(int(separator)) +
                         ", line end " + std::to_string(lineEnd.size()) +
                         (quoteAll ? ", every field quoted" : ""));
            DeleteFileW(database.c_str());
            const std::wstring products =
                file(L"products.csv",
                     encode(delimited(productsRows(), separator, lineEnd, quoteAll), encodings[e]));
            const std::wstring values = file(
                L"values.csv", encode(delimited(valuesRows(), separator, lineEnd, quoteAll), encodings[e]));
            // The values file first: the products file is still read before it.
            const ImportReport report = import({values, products});
            ASSERT_EQ(report.files.size(), 2u);
            EXPECT_TRUE(report.allImported()) << text(report.detailText());
            EXPECT_EQ(report.files[0].kind, ImportKind::Values);
            EXPECT_EQ(report.files[1].kind, ImportKind::Products);
            EXPECT_EQ(report.files[0].values, 3);
            EXPECT_EQ(report.files[0].dividends, 1);
            EXPECT_EQ(report.files[1].products, 2);
            EXPECT_EQ(rows(kFunds), kExpectedFunds);
            EXPECT_EQ(rows(kValues), kExpectedValues);
            EXPECT_EQ(rows("select code, currdate, bonus from tb_bonus"),
                      std::vector<std::string>{"100001|2024-05-31|0.05"});
            EXPECT_EQ(rows("select code, buystate, redeemstate from tb_buyredeemstate order by code"),
                      (std::vector<std::string>{"100001|0|1", "100002|1|1"}));
        }
}

TEST(Gb18030, EveryCodeDecodesToItsOwnCharacter) {
    // Two-byte and BMP four-byte codes together give every BMP character from U+0080 on (but
    // the surrogates) exactly once; any fault in either table shows as a gap or a double.
    std::vector<int> seen(0x10000, 0);
    auto decodeOne = [&](const std::string& bytes) {
        std::string utf8;
        EXPECT_TRUE(Gb18030::toUtf8(bytes, utf8));
        const std::wstring w = wide(utf8);
        EXPECT_EQ(w.size(), 1u);
        if (w.size() == 1)
            ++seen[w[0]];
    };
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (trail != 0x7F)
                decodeOne({char(lead), char(trail)});
    for (int linear = 0; linear < 39420; ++linear)
        decodeOne({char(0x81 + linear / 12600), char(0x30 + linear / 1260 % 10),
                   char(0x81 + linear / 10 % 126), char(0x30 + linear % 10)});
    int missing = 0, doubled = 0;
    for (int c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        missing += seen[c] == 0;
        doubled += seen[c] > 1;
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(doubled, 0);

    std::string out;
    EXPECT_TRUE(Gb18030::toUtf8("\xD6\xD0\xA2\xE3\x95\x32\x82\x36\x84\x31\xA4\x39 a", out));
    EXPECT_EQ(out, "中€𠀀\xEF\xBF\xBF a");
    for (const char* bad :
         {"\x80", "\xFF\xA1", "\xD6", "\x81\x30\x81", "\x81\x30\x20\x30", "\xD6\x7F", "\xE3\x32\x9A\x36"}) {
        out.clear();
        EXPECT_FALSE(Gb18030::toUtf8(bad, out)) << bad;
    }
}

TEST(ImportFields, DatesNumbersAndStatesAsPeopleWriteThem) {
    using namespace ImportFields;
    struct DateCase {
        const char* text;
        DateResult result;
        const char* stored;
    } dates[] = {{"2024-05-31", DateResult::Ok, "2024-05-31"},   {"2024/5/31", DateResult::Ok, "2024-05-31"},
                 {"20240531", DateResult::Ok, "2024-05-31"},     {" 2024-5-3 ", DateResult::Ok, "2024-05-03"},
                 {"2024-02-29", DateResult::Ok, "2024-02-29"},   {"0001-01-01", DateResult::Ok, "0001-01-01"},
                 {"2023-02-29", DateResult::NoSuchDay, ""},      {"1900/2/29", DateResult::NoSuchDay, ""},
                 {"20241301", DateResult::NoSuchDay, ""},        {"2024-04-31", DateResult::NoSuchDay, ""},
                 {"0000-01-01", DateResult::NoSuchDay, ""},      {"2024-05/31", DateResult::NotADate, ""},
                 {"31/05/2024", DateResult::NotADate, ""},       {"2024-005-31", DateResult::NotADate, ""},
                 {"2024.05.31", DateResult::NotADate, ""},       {"24-5-31", DateResult::NotADate, ""},
                 {"2024-05-31 10:00", DateResult::NotADate, ""}, {"", DateResult::NotADate, ""}};
    for (const DateCase& c : dates) {
        Date d;
        EXPECT_EQ(parseDate(c.text, d), c.result) << c.text;
        if (c.result == DateResult::Ok) {
            EXPECT_EQ(formatDate(d), c.stored) << c.text;
        }
    }
    Date a, b;
    parseDate("1970-01-01", a);
    parseDate("2000-03-01", b);
    EXPECT_EQ(dayNumber(a), 0);
    EXPECT_EQ(dayNumber(b), 11017);

    struct NumberCase {
        const char* text;
        bool ok;
        double value;
    } numbers[] = {{"1.0234", true, 1.0234}, {"1,234.5", true, 1234.5}, {"12,345,678", true, 12345678},
                   {"-0.5", true, -0.5},     {"+2", true, 2},           {".5", true, 0.5},
                   {"1e-3", true, 0.001},    {" 7 ", true, 7},          {"1,23", false, 0},
                   {"1234,567", false, 0},   {",123", false, 0},        {"1,,234", false, 0},
                   {"1,234,56", false, 0},   {"abc", false, 0},         {"1.2.3", false, 0},
                   {"NaN", false, 0},        {"inf", false, 0},         {"1e999", false, 0},
                   {"1e", false, 0},         {".", false, 0},           {"", false, 0},
                   {"0x10", false, 0},       {"１.０", false, 0}};
    for (const NumberCase& c : numbers) {
        double v = -99;
        EXPECT_EQ(parseNumber(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        }
    }

    int state = -1;
    EXPECT_TRUE(parseState("开放", state));
    EXPECT_EQ(state, 1);
    EXPECT_TRUE(parseState(" 0", state));
    EXPECT_EQ(state, 0);
    EXPECT_TRUE(parseState("暂停", state));
    EXPECT_EQ(state, 0);
    EXPECT_FALSE(parseState("open", state));
    EXPECT_FALSE(parseState("2", state));
}

TEST_F(ImportTest, EveryErrorIsNamedWithItsLineAndNothingOfItsFileIsImported) {
    makeDatabase("insert into tb_fund (code, name, fundtype) values ('100001', '甲', '集合理财产品');");
    const std::string values = "代码,日期,单位净值,累计净值,分红,备注\n"
                               "100001,2024-05-06,1.01,1.01,,\n"               // 2: fine
                               ",2024-05-07,1.02,1.02,,\n"                     // 3
                               "100001,2023-02-29,1.02,1.02,,\n"               // 4
                               "100001,31/05/2024,1.02,1.02,,\n"               // 5
                               "100001,2024-05-08,0,0,,\n"                     // 6
                               "100001,2024-05-09,abc,1,,\n"                   // 7
                               "100001,2024-05-10,1.1,1.1,-0.1,\n"             // 8
                               "100001,2024-05-06,1.05,1.05,,\n"               // 9: line 2 with other values
                               "100001,2024-05-06,1.01,1.01,,\n"               // 10: line 2 again, the same
                               "999999,2024-05-06,1.01,1.01,,\n"               // 11
                               "100001,2024-05-13,1.2,1.2,,\"两行\n的备注\"\n" // 12-13: fine
                               "100001,2024-05-14,,1.2,,\n"                    // 14
                               "100001,2024-05-15,1.2,1.2,,,extra\n"           // 15
                               "100001,2024-05-16,inf,1.2,,\n";                // 16
    const std::wstring bad = file(L"bad.csv", values);
    const std::wstring good = file(L"good.csv", "code,date,value\n100001,2024-06-03,1.5\n");
    const ImportReport report = import({bad, good});
    ASSERT_EQ(report.files.size(), 2u);
    const FileImportReport& f = report.files[0];
    EXPECT_FALSE(f.imported);
    const std::vector<std::pair<int64_t, std::string>> expected = {
        {3, "no code"},
        {4, "the date \"2023-02-29\" does not exist"},
        {5, "the date \"31/05/2024\" is not a date"},
        {6, "the unit value \"0\" is not a positive number"},
        {7, "the unit value \"abc\" is not a positive number"},
        {8, "the dividend \"-0.1\" is negative"},
        {9, "the product \"100001\" on 2024-05-06 appears earlier in the file with other values"},
        {11, "the product \"999999\" is not in the database nor in a products file of this import"},
        {14, "no unit value"},
        {15, "the line has 7 fields, the header 6"},
        {16, "the unit value \"inf\" is not a positive number"}};
    ASSERT_EQ(f.errors.size(), expected.size()) << text(report.detailText());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(f.errors[i].line, expected[i].first) << f.errors[i].reason;
        EXPECT_EQ(f.errors[i].reason.rfind(expected[i].second, 0), 0u) << f.errors[i].reason;
    }
    EXPECT_EQ(f.errorCount, static_cast<int64_t>(expected.size()));
    EXPECT_EQ(f.ignoredColumns, std::vector<std::string>{"备注"});
    // Only the good file's line is in.
    EXPECT_TRUE(report.files[1].imported);
    EXPECT_EQ(rows("select date, value from tb_valuelist"), std::vector<std::string>{"2024-06-03|1.5"});
    const std::vector<std::wstring> lines = report.summaryLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              L"import failed: " + bad + L": line 3: no code (and 10 more errors); nothing imported");
    EXPECT_EQ(lines[1], L"import: " + bad + L": columns ignored: 备注");
    EXPECT_EQ(lines[2], L"import: " + good + L": 0 products, 1 values (0 changed, 0 unchanged), 0 dividends");

    // Twenty errors are listed; the count has them all.
    std::string many = "code,date,value\n";
    for (int i = 0; i < 25; ++i)
        many += "100001,2024-06-" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + ",-1\n";
    const ImportReport manyReport = import({file(L"many.csv", many)});
    EXPECT_EQ(manyReport.files[0].errors.size(), 20u);
    EXPECT_EQ(manyReport.files[0].errorCount, 25);
    EXPECT_NE(
        manyReport.summaryLines()[0].find(L"line 2: the unit value \"-1\" is not a positive number (and 24 "
                                          L"more errors); nothing imported"),
        std::wstring::npos);
    EXPECT_EQ(rows("select count(*) from tb_valuelist"), std::vector<std::string>{"1"});
}

TEST_F(ImportTest, HeadersProductsAndCodesFromFileNamesAreChecked) {
    makeDatabase("insert into tb_fund (code, name, fundtype) values ('100001', '甲', '集合理财产品');");
    struct HeaderCase {
        const char* name;
        const char* text;
        const char* error;
    } headers[] = {{"neither.csv", "名字,数值\n", "neither a products header"},
                   {"novalue.csv", "代码,日期,累计净值\n100001,2024-01-02,1\n",
                    "a values file needs the column 单位净值/value"},
                   {"twice.csv", "code,净值日期,日期,value\n", "the column 日期 appears twice"},
                   {"empty.csv", "\r\n  \r\n", "the file holds no header line"}};
    for (const HeaderCase& h : headers) {
        const ImportReport r = import({file(wide(h.name), h.text)});
        ASSERT_EQ(r.files[0].errors.size(), 1u) << h.name;
        EXPECT_EQ(r.files[0].errors[0].reason.rfind(h.error, 0), 0u) << r.files[0].errors[0].reason;
    }

    const std::string products = "CODE,Name,BuyState,CreateDate\n"
                                 "100002,,1,2024-01-01\n"   // 2: new, no name
                                 "100003,丙,半开,\n"        // 3
                                 "100004,丁,1,2024-13-01\n" // 4
                                 "100005,戊,0,\n"           // 5: fine
                                 "100005,戊二,0,\n";        // 6: line 5 with other fields
    const ImportReport p = import({file(L"products.csv", products)});
    ASSERT_EQ(p.files[0].errors.size(), 4u) << text(p.detailText());
    EXPECT_EQ(p.files[0].errors[0].reason, "the new product \"100002\" has no name");
    EXPECT_EQ(p.files[0].errors[1].reason, "the buy state \"半开\" is not 开放, 暂停, 1 or 0");
    EXPECT_EQ(p.files[0].errors[2].line, 4);
    EXPECT_EQ(p.files[0].errors[3].line, 6);
    EXPECT_EQ(rows("select count(*) from tb_fund"), std::vector<std::string>{"1"});

    // A values file without a code column: its name, or the code asked for.
    const std::wstring named = file(L"100001.csv", "日期,单位净值\n2024-05-06,1.1\n");
    ASSERT_TRUE(import({named}).allImported());
    const std::wstring unnamed = file(L"history.txt", "日期\t单位净值\n2024-05-07\t1.2\n");
    const ImportReport byName = import({unnamed});
    ASSERT_EQ(byName.files[0].errors.size(), 1u);
    EXPECT_EQ(byName.files[0].errors[0].line, 1);
    EXPECT_NE(byName.files[0].errors[0].reason.find("\"history\" (the file's name)"), std::string::npos)
        << byName.files[0].errors[0].reason;
    ASSERT_TRUE(import({unnamed}, "100001").allImported());
    EXPECT_EQ(rows("select code, date, value from tb_valuelist order by date"),
              (std::vector<std::string>{"100001|2024-05-06|1.1", "100001|2024-05-07|1.2"}));
}

TEST_F(ImportTest, AHugeSingleLineAndABinaryFileAreRejectedWithoutReadingThemThrough) {
    makeDatabase("");
    // 1 GiB of letters without a line end.
    const std::wstring huge = TestFiles::path(L"huge-single-line.csv");
    {
        HANDLE h = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        const std::string chunk(4 << 20, 'a');
        DWORD written = 0;
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE(WriteFile(h, chunk.data(), DWORD(chunk.size()), &written, nullptr));
        CloseHandle(h);
    }
    // Bytes of every value, NUL among them, as an image or an archive has them.
    std::string binary(16 << 20, '\0');
    uint32_t x = 12345;
    for (char& c : binary)
        c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    const std::wstring image = file(L"image.bin", binary);

    for (const std::wstring& path : {huge, image}) {
        SCOPED_TRACE(text(path));
        DataImporter importer(database);
        const double peakBefore = peakWorkingSet();
        const ImportReport report = importer.run({{path, std::string()}});
        const double grown = peakWorkingSet() - peakBefore;
        ASSERT_EQ(report.files.size(), 1u);
        EXPECT_FALSE(report.files[0].imported);
        ASSERT_EQ(report.files[0].errors.size(), 1u);
        EXPECT_EQ(report.files[0].errors[0].line, 1);
        EXPECT_TRUE(report.files[0].errors[0].reason.find("not a data file") != std::string::npos ||
                    report.files[0].errors[0].reason.find("not a text file") != std::string::npos)
            << report.files[0].errors[0].reason;
        // Stopped within the first few MiB, holding little more than one line's worth.
        EXPECT_LT(report.files[0].bytesRead, 8u << 20);
        EXPECT_LT(grown, 24.0 * (1 << 20));
    }
    DeleteFileW(huge.c_str());
    EXPECT_EQ(rows("select count(*) from tb_valuelist"), std::vector<std::string>{"0"});
}
