// The window of the funds pool and of the watched list: code, name, latest unit value and its
// day for each listed product, with a way to remove products. It follows the list (the owning
// module raises its change event) and the data feed ("event_update_lastvalue"): either makes the
// window read the list and the database again.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "App.h"
#include "Database.h"
#include "ProductLookup.h"

namespace Client {

class CodeListWindow {
public:
    static constexpr const wchar_t* kClassName = L"Client2_CodeListWnd";
    // Shown instead of a name for a code the database does not list; the code stays in the list.
    static constexpr const wchar_t* kUnknownName = L"(未知代码)";
    enum : int { kListId = 1, kRemoveId = 2 };

    struct Source {
        std::wstring title;
        const char* changedEvent; // raised by the module after each change of the list
        std::function<std::vector<std::wstring>()> codes;
        std::function<void(const std::wstring&)> remove;
    };

    explicit CodeListWindow(Source source);
    ~CodeListWindow();
    CodeListWindow(const CodeListWindow&) = delete;
    CodeListWindow& operator=(const CodeListWindow&) = delete;

    void setDatabase(IDatabase* db) { db_ = db; }
    // Creates the window on first use (owned by owner), fills it and brings it to the front.
    bool show(HWND owner);
    // Reads the list and the database again.
    void reload();
    // Removes the selected products from the list; false when none is selected.
    bool removeSelected();

    HWND hwnd() const { return hwnd_; }
    HWND listView() const { return list_; }
    const std::vector<ProductSummary>& rows() const { return rows_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void onListChanged(void* argument, void* context);
    static void onValuesChanged(void* argument, void* context);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void layout();
    void updateStatus();

    Source source_;
    XComPtr<IDatabase> db_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND remove_ = nullptr;
    HWND status_ = nullptr;
    std::vector<ProductSummary> rows_;
    bool databaseRead_ = false;
};

} // namespace Client
