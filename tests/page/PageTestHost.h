// What the page tests build around a page: a small product database with known values, a
// database that counts its statements and sees whether the wait dialog is up, the client's own
// host services (real themes and configuration stores in a scratch profile) and a parent window.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "host/client/ClientApp.h"
#include "module/host/Database.h"
#include "page/AssembleFinancePage.h"
#include "tests/wgui/TestWindows.h"

namespace pagetest {

// Valuation dates of the test database: 2024-03-01 (Fri), 03-04 (Mon), 03-05 (Tue); 03-06 is a
// holiday; on 03-07 only a delisted product and a product of another type have values.
// Collective products: 100001 on every date; 100002 only on 03-05; 100003 with a dividend of
// 0.2 on 03-05; 100004 whose 03-05 value is deleted. 100005 is delisted, 100006 deleted.
extern const char kProductRows[];

// A scratch database file made of the product schema, kProductRows and extra statements.
std::wstring makeDatabase(const wchar_t* name, const char* extraSql = "");
std::wstring scratchPath(const wchar_t* name);

// Wraps the host database: counts statements and notes, for each, whether the wait dialog was
// showing while it ran.
class CountingDatabase final : public IDatabase {
public:
    explicit CountingDatabase(XComPtr<IDatabase> inner) : inner_(std::move(inner)) {}
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    bool isOpen() override { return inner_ && inner_->isOpen(); }
    bool query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) override;

    struct Statement {
        std::wstring sql;
        bool waitDialogShown = false;
    };
    std::vector<Statement> statements;
    // When set, a statement it picks fails as on a locked database: the table is left alone.
    std::function<bool(const std::wstring& sql)> failing;
    // Statements that filled the product table (the main query).
    int productQueries() const;
    bool anyWithWaitDialog() const;

private:
    XComPtr<IDatabase> inner_;
    int refs_ = 0;
};

// A page inside a parent window, attached to the client's services and given a database.
class PageHarness {
public:
    explicit PageHarness(const std::wstring& databaseFile, bool show = true);
    ~PageHarness();

    // Sets the picker as the user would and sends the change notification the control sends.
    void pick(int year, int month, int day);
    void notify(UINT code);
    Data::IDataTable* table() { return page->productGrid().GetProductTable(); }
    // The row of the product table with that code, or -1.
    int rowOf(const wchar_t* code);
    double number(int row, const wchar_t* column);
    bool isNull(int row, const wchar_t* column);

    static void raise(const char* eventName, int32_t kind, int32_t state, uint8_t flag);
    // The client's application object with its real services over a scratch profile.
    static XComPtr<Client::ClientApp> makeApp();
    static XComPtr<IDatabase> openHostDatabase(const std::wstring& file);

    XComPtr<Client::ClientApp> app;
    XComPtr<CountingDatabase> database;
    std::unique_ptr<wguitest::HostWindow> parent;
    std::unique_ptr<AssembleFinancePage> page;
};

} // namespace pagetest
