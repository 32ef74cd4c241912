// The window of the funds pool and of the watched list: code, name, latest unit value and its
// day, and the recent returns of each listed product, sortable by any column, with a way to
// remove products and to open or compare their charts. It follows the list (the owning module
// raises its change event) and the data feed ("event_update_lastvalue"): either makes the window
// read the list and the database again, keeping the scroll position and the selected products.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "App.h"
#include "CodeListColumns.h"
#include "Database.h"
#include "ProductLookup.h"

namespace Client {

class CodeListWindow {
public:
    static constexpr const wchar_t* kClassName = L"Client2_CodeListWnd";
    static constexpr const wchar_t* kUnknownName = Client::kUnknownName;
    enum : int { kListId = 1, kRemoveId = 2 };
    // The rows' context menu.
    enum : int { CmdOpenChart = 10, CmdCompare = 11, CmdRemove = 12 };

    struct Source {
        std::wstring title;
        const char* changedEvent; // raised by the module after each change of the list
        std::function<std::vector<std::wstring>()> codes;
        // Removes the codes as one change of the list (one change event).
        std::function<void(const std::vector<std::wstring>&)> remove;
        const wchar_t* placeName; // its remembered place (WindowPlaces)
        int placeSlot;
    };

    explicit CodeListWindow(Source source);
    ~CodeListWindow();
    CodeListWindow(const CodeListWindow&) = delete;
    CodeListWindow& operator=(const CodeListWindow&) = delete;

    void setDatabase(IDatabase* db) { db_ = db; }
    // What double click, Enter and the context menu do with a product; unset leaves them out.
    void setChartActions(std::function<void(const std::wstring&)> open,
                         std::function<void(const std::wstring&)> compare) {
        openChart_ = std::move(open);
        compare_ = std::move(compare);
    }
    // Creates the window on first use (owned by owner), fills it and brings it to the front.
    bool show(HWND owner);
    // Reads the list and the database again; the scroll position and selection stay with the
    // products shown before.
    void reload();
    // Removes the selected products from the list; false when none is selected.
    bool removeSelected();
    // Sorts by a column (ascending first, a second click on it descending); -1: the list's order.
    void sortBy(int column, bool ascending);

    HWND hwnd() const { return hwnd_; }
    HWND listView() const { return list_; }
    const std::vector<ProductSummary>& rows() const { return rows_; }
    // The row shown at a position of the list view.
    const ProductSummary* shownRow(int position) const;
    std::vector<std::wstring> selectedCodes() const;
    int sortColumn() const { return sortColumn_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void onListChanged(void* argument, void* context);
    static void onValuesChanged(void* argument, void* context);
    LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT onListNotify(NMHDR* hdr);
    bool createChildren();
    void showRows(const std::vector<std::wstring>& selected, const std::wstring& focused,
                  const std::wstring& top);
    void showContextMenu(POINT screen);
    void updateSortMark();
    void layout();
    void updateStatus();
    int positionOf(const std::wstring& code) const;

    Source source_;
    XComPtr<IDatabase> db_;
    std::function<void(const std::wstring&)> openChart_, compare_;
    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND remove_ = nullptr;
    HWND status_ = nullptr;
    std::vector<ProductSummary> rows_;
    std::vector<size_t> order_; // rows_ indices in the order shown
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    bool databaseRead_ = false;
    std::wstring cellText_; // the text handed to the list view for the cell it asked for
};

} // namespace Client
