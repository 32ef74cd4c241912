#include "tests/page/PageTestHost.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include "host/client/ClientServices.h"
#include "host/database/HostDatabase.h"
#include "host/database/ProductSchema.h"
#include "module/host/Kernel.h"
#include "page/WaitDialog.h"

namespace pagetest {

const char kProductRows[] = R"sql(
insert into tb_investadvisor values ('g1', '甲基金-甲基金管理有限公司', 0), ('g2', '乙资产', 0);
insert into tb_fund values
  ('100001', 'A100001', '稳健一号', '混合型', '稳健型', '集合理财产品', '2020-01-02', 'g1', 'WJYH', 0, 0),
  ('100002', '100002', '新发二号', '债券型', '保守型', '集合理财产品', '2024-03-05', 'g2', 'XFEH', 0, 0),
  ('100003', '100003', '分红三号', '股票型', '成长型', '集合理财产品', '0001-01-01', 'g1', 'FHSH', 0, 0),
  ('100004', '100004', '缺值四号', 'FOF', '平衡型', '集合理财产品', '2021-06-30', NULL, 'QZSH', 0, 0),
  ('100005', '100005', '退市五号', '混合型', '稳健型', '集合理财产品', '2019-01-01', 'g1', 'TSWH', 1, 0),
  ('100006', '100006', '删除六号', '混合型', '稳健型', '集合理财产品', '2019-01-01', 'g1', 'SCLH', 0, 1),
  ('300001', '300001', '其他基金', '股票型', '成长型', '股票型基金', '2019-01-01', 'g2', 'QTJJ', 0, 0);
insert into tb_valuelist values
  ('100001', '2024-03-01', 1.0, 1.0, 0), ('100001', '2024-03-04', 1.1, 1.2, 0), ('100001', '2024-03-05', 1.21, 1.31, 0),
  ('100002', '2024-03-05', 1.05, 1.05, 0),
  ('100003', '2024-03-04', 2.0, 2.5, 0), ('100003', '2024-03-05', 1.9, 2.6, 0),
  ('100004', '2024-03-04', 1.5, 1.5, 0), ('100004', '2024-03-05', 1.6, 1.6, 1),
  ('100005', '2024-03-07', 1.3, 1.3, 0),
  ('300001', '2024-03-07', 3.0, 3.0, 0);
insert into tb_bonus values ('100003', '2024-03-05', 0.2, 0), ('100001', '2024-03-05', 0.5, 1);
insert into tb_buyredeemstate values ('100001', 1, 1, 0), ('100002', 0, 1, 0), ('100003', 1, 0, 0);
)sql";

std::wstring scratchPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"page_tests_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::wstring makeDatabase(const wchar_t* name, const char* extraSql) {
    std::wstring file = scratchPath(name);
    DeleteFileW(file.c_str());
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open16(file.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    for (const char* sql : {kProductSchema, static_cast<const char*>(kProductRows), extraSql}) {
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        error = nullptr;
    }
    sqlite3_close(db);
    return file;
}

bool CountingDatabase::query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) {
    WaitDialog* wait = WaitDialog::active();
    statements.push_back({sql, wait && wait->isWindow() && IsWindowVisible(wait->hwnd)});
    if (failing && failing(sql))
        return false;
    return inner_->query(sql, table, firstFill, flags);
}

int CountingDatabase::productQueries() const {
    int count = 0;
    for (const auto& s : statements)
        count += s.sql.find(L"from tb_fund a") != std::wstring::npos ? 1 : 0;
    return count;
}

bool CountingDatabase::anyWithWaitDialog() const {
    for (const auto& s : statements)
        if (s.waitDialogShown)
            return true;
    return false;
}

XComPtr<Client::ClientApp> PageHarness::makeApp() {
    std::wstring profile = scratchPath(L"profile");
    CreateDirectoryW(profile.c_str(), nullptr);
    Client::HostServices services = Client::createHostServices(profile, Client::programDirectory());
    XComPtr<Client::ClientApp> app(new Client::ClientApp());
    app->setThemeManager(services.themeMgr.get());
    app->setConfManagers(services.systemConf.get(), services.userConf.get());
    return app;
}

XComPtr<IDatabase> PageHarness::openHostDatabase(const std::wstring& file) {
    return openDatabase(file.c_str(), 2000);
}

PageHarness::PageHarness(const std::wstring& databaseFile, bool show) {
    for (const char* name : {"event_ConcernChanged", "event_update_buyredeemstate", "event_update_lastvalue"})
        createEvent(name);
    app = makeApp();
    database = XComPtr<CountingDatabase>(new CountingDatabase(openHostDatabase(databaseFile)));
    SetLastError(0);
    parent = std::make_unique<wguitest::HostWindow>(RECT{0, 0, 1000, 600});
    EXPECT_NE(parent->hwnd, nullptr) << "parent error " << GetLastError();
    page = std::make_unique<AssembleFinancePage>();
    page->attachHost(app.get());
    SetLastError(0);
    EXPECT_NE(page->create(parent->hwnd, nullptr), nullptr) << "error " << GetLastError();
    page->move(0, 0, 1000, 600);
    XComPtr<IThemeMgr> themes = app->getThemeManager();
    XComPtr<ITheme> theme = themes ? themes->getCurrentTheme() : nullptr;
    page->applyTheme(theme.get());
    page->setDatabase(database.get());
    if (show)
        page->show();
}

PageHarness::~PageHarness() {
    if (page && page->isWindow())
        DestroyWindow(page->hwnd);
    page.reset();
    parent.reset();
}

void PageHarness::pick(int year, int month, int day) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    SendMessageW(page->getDatePicker(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    notify(DTN_DATETIMECHANGE);
}

void PageHarness::notify(UINT code) {
    NMDATETIMECHANGE change{};
    change.nmhdr.hwndFrom = page->getDatePicker();
    change.nmhdr.idFrom = AssembleFinancePage::kPickerId;
    change.nmhdr.code = code;
    change.dwFlags = GDT_VALID;
    SendMessageW(page->getDatePicker(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&change.st));
    SendMessageW(page->hwnd, WM_NOTIFY, AssembleFinancePage::kPickerId, reinterpret_cast<LPARAM>(&change));
}

int PageHarness::rowOf(const wchar_t* code) {
    Data::IDataTable* t = table();
    for (int i = 0; i < t->rowCount(); ++i)
        if (t->getRow(i).getItem(L"code").getText().compare(code) == 0)
            return i;
    return -1;
}

double PageHarness::number(int row, const wchar_t* column) {
    return table()->getRow(row).getItem(column).getDouble();
}

bool PageHarness::isNull(int row, const wchar_t* column) {
    return table()->getRow(row).getItem(column).isNull();
}

void PageHarness::raise(const char* eventName, int32_t kind, int32_t state, uint8_t flag) {
    UpdateEventArg argument;
    argument.kind = kind;
    argument.state = state;
    argument.flag = flag;
    if (XComPtr<IEvent> event = getEvent(eventName))
        event->raise(&argument);
}

} // namespace pagetest
