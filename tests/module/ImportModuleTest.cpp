// Imported data on the page, with the module DLL in whole client sessions: a generated database
// written out as data files and imported into an empty one shows the same product table, and an
// import through the menu reloads the page at once.
#include <gtest/gtest.h>
#include <windows.h>
#include <sqlite3.h>
#include <algorithm>
#include <fstream>
#include <sstream>
#include "host/client/ClientSession.h"
#include "host/client/ModalAnswers.h"
#include "host/client/ProductTableDump.h"
#include "host/sampledata/SampleDataFiles.h"
#include "host/sampledata/SampleFile.h"
#include "host/sampledata/TradingCalendar.h"
#include "module/IAssembleFinanceModule.h"

namespace {

std::wstring scratch(const std::wstring& name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"module_import_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::string bytesOf(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string utf8(const std::wstring& w) {
    return XStringW(w.c_str()).toUtf8().c_str();
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

Client::ClientOptions optionsFor(const std::wstring& database, const std::wstring& profile) {
    Client::ClientOptions o;
    o.databasePath = database;
    o.profileDir = scratch(profile);
    o.modulePath = L"mod_AssembleFinance.dll";
    return o;
}

// The product table the page shows for each picked date, as --dump writes it.
std::vector<std::string> dumpsFor(Client::ClientOptions options, const std::vector<std::string>& picks,
                                  const std::wstring& tag) {
    std::vector<std::string> dumps;
    Client::ClientSession session(options);
    EXPECT_TRUE(session.start());
    EXPECT_TRUE(session.module().ok());
    for (const std::string& pick : picks) {
        EXPECT_TRUE(session.applyEndDate(std::wstring(pick.begin(), pick.end())));
        const std::wstring file = scratch(tag + L"_" + std::wstring(pick.begin(), pick.end()) + L".tsv");
        int rows = 0;
        std::wstring message;
        EXPECT_TRUE(Client::dumpModuleTable(session.module().module, file, rows, message)) << utf8(message);
        dumps.push_back(bytesOf(file));
    }
    session.shutdown();
    return dumps;
}

} // namespace

TEST(ImportOnThePage, GeneratedDataWrittenAsFilesAndImportedShowsTheSameTableOnEveryKindOfDate) {
    SampleOptions sample;
    sample.products = 60;
    sample.days = 90;
    const std::wstring original = scratch(L"original.db");
    std::string error;
    ASSERT_TRUE(writeSampleFile(original, sample, nullptr, &error)) << error;
    const std::wstring folder = scratch(L"files");
    SampleFilesSummary written;
    ASSERT_TRUE(writeSampleDataFiles(original, folder, &written, &error)) << error;
    EXPECT_EQ(written.dividendsLeftOut, 0);
    ASSERT_GT(written.dividends, 0);

    // The last valuation date (a dividend on it), the one before (a dividend on that), a
    // Saturday, a weekday without values (a holiday) and a day before all values.
    int64_t end = 0;
    ASSERT_TRUE(TradingCalendar::parse(sample.endDate, end));
    const std::vector<int64_t> dates = TradingCalendar::valuationDates(end, sample.days);
    int64_t saturday = dates[40], holiday = 0;
    while (!TradingCalendar::isWeekend(saturday) || TradingCalendar::isWeekend(saturday - 1))
        ++saturday;
    for (int64_t d = dates.front(); d < dates.back() && !holiday; ++d)
        if (!TradingCalendar::isWeekend(d) && TradingCalendar::isHoliday(d))
            holiday = d;
    ASSERT_NE(holiday, 0);
    const std::vector<std::string> picks = {
        TradingCalendar::format(dates.back()), TradingCalendar::format(dates[dates.size() - 2]),
        TradingCalendar::format(saturday), TradingCalendar::format(holiday),
        TradingCalendar::format(dates.front() - 30)};

    const std::vector<std::string> expected =
        dumpsFor(optionsFor(original, L"profile_a"), picks, L"original");

    // A database that is not there yet, filled by --import before the page loads.
    const std::wstring imported = scratch(L"imported.db");
    DeleteFileW(imported.c_str());
    Client::ClientOptions o = optionsFor(imported, L"profile_b");
    o.imports = {{folder + L"\\values.csv", L""}, {folder + L"\\products.csv", L""}};
    const std::vector<std::string> actual = dumpsFor(o, picks, L"imported");

    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < picks.size(); ++i) {
        SCOPED_TRACE(picks[i]);
        EXPECT_GT(std::count(expected[i].begin(), expected[i].end(), '\n'), 50);
        EXPECT_EQ(actual[i], expected[i]);
    }
}

TEST(ImportOnThePage, AnImportThroughTheMenuReloadsThePageAtOnce) {
    SampleOptions sample;
    sample.products = 20;
    sample.days = 10;
    sample.endDate = "2026-11-27"; // a Friday
    const std::wstring database = scratch(L"menu.db");
    std::string error;
    ASSERT_TRUE(writeSampleFile(database, sample, nullptr, &error)) << error;
    const std::wstring folder = scratch(L"menu_files");
    CreateDirectoryW(folder.c_str(), nullptr);
    // A new product, and Monday's values: a new day for one product and the new one.
    writeFile(folder + L"\\新产品.csv",
              "代码,名称,基金公司\r\n209999,新导入稳健1号,新导入证券-新导入证券有限公司\r\n");
    writeFile(
        folder + L"\\values.csv",
        "代码,净值日期,单位净值,累计净值\r\n200003,2026-11-27,1.2345,1.5\r\n209999,2026-11-27,1.0,1.0\r\n"
        "209999,2026-11-30,1.01,1.01\r\n");

    Client::ClientSession session(optionsFor(database, L"profile_menu"));
    ASSERT_TRUE(session.start());
    ASSERT_TRUE(session.module().ok());
    ASSERT_TRUE(session.applyEndDate(L"2026-12-01"));
    auto* module = static_cast<IAssembleFinanceModule*>(session.module().module);
    XComPtr<Data::IDataTable> table = module->getDataTable();
    ASSERT_TRUE(table);
    const int before = table->rowCount();
    auto rowOf = [&](const wchar_t* code) -> Data::IDataRow* {
        for (int i = 0; i < table->rowCount(); ++i)
            if (std::wstring(table->getRow(i).getItem(L"code").getText().c_str()) == code)
                return &table->getRow(i);
        return nullptr;
    };
    ASSERT_EQ(rowOf(L"209999"), nullptr);

    {
        Client::ModalAnswers answers;
        answers.answerOpenDialog(folder + L"\\");
        answers.answerOpenDialog(L"\"values.csv\" \"新产品.csv\"");
        SendMessageW(session.frame()->hwnd(), WM_COMMAND, Client::ClientSession::CmdImport, 0);
        ASSERT_EQ(answers.messageBoxes.size(), 1u);
        EXPECT_NE(answers.messageBoxes[0].text.find(L"导入完成"), std::wstring::npos)
            << utf8(answers.messageBoxes[0].text);
        EXPECT_NE(
            answers.messageBoxes[0].text.find(L"values.csv: 0 products, 3 values (1 changed, 0 unchanged)"),
            std::wstring::npos)
            << utf8(answers.messageBoxes[0].text);
    }
    // The same table, reloaded by the host's value update: the new product on the new end date.
    EXPECT_EQ(table->rowCount(), before + 1);
    Data::IDataRow* added = rowOf(L"209999");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(std::wstring(added->getItem(L"name").getText().c_str()), L"新导入稳健1号");
    EXPECT_DOUBLE_EQ(added->getItem(L"value").getDouble(), 1.01);
    EXPECT_DOUBLE_EQ(added->getItem(L"previousvalue").getDouble(), 1.0);
    EXPECT_EQ(utf8(session.pickedDate()), "2026-12-01");
    EXPECT_EQ(session.summary().back().rfind(L"import: ", 0), 0u);
    session.shutdown();
}
