// The strip above the product grid in which the user narrows the list: one drop-down button per
// active condition and, at the right end, "更多筛选" with the menu of further filters. The bar
// owns its filters and attaches them to the grid's display view; it keeps, per filterable column,
// the distinct values found in the data and offers them as menu items.
#pragma once

#include <windows.h>
#include <list>
#include <map>
#include <memory>
#include <vector>
#include "filter/MultiValueFilter.h"
#include "filter/ValueSet.h"
#include "module/host/Data.h"
#include "module/host/Theme.h"
#include "wgui/DropDownButton.h"
#include "wgui/GdiHandles.h"
#include "wgui/WindowBase.h"
#include "wgui/WindowProc.h"

class KeywordDialog;

class FilterWnd final : public WGUI::WindowBase, public Data::IDataViewEvent {
public:
    static const wchar_t kClassName[];
    static const wchar_t kMoreCaption[];
    // The tooltip of "更多筛选" while every condition id is taken.
    static const wchar_t kFullTooltip[];
    static constexpr int kMoreButtonId = 100;
    static constexpr int kFirstButtonId = 101;
    static constexpr int kLastButtonId = 201;
    static constexpr int kFirstFilterId = 202;
    static constexpr int kLastFilterId = 302;
    // The button that lists the conditions the bar has no room to show.
    static constexpr int kOverflowButtonId = 303;
    static constexpr int kRemoveCommand = 304;
    static constexpr int kKeywordCommand = 305;
    static constexpr int kFirstValueId = 306;
    // WM_COMMAND carries a menu item's id in 16 bits: no item is numbered beyond.
    static constexpr int kLastValueId = 0xFFFF;
    static constexpr int kMultipleLimit = 30;
    // A condition's button is at most this wide: a longer caption ends in an ellipsis (the
    // tooltip holds it whole), and leaves room for the others.
    static constexpr int kMaxButtonWidth = 240;

    struct ColumnDef {
        XStringW name;
        XStringW title;
        XStringW prefix;
        bool hasValues = false;
        bool multiSelect = false;
    };

    struct Condition {
        bool isColumnButton = false;
        bool locked = false;
        DropDownButton button;
        int id = 0;
        XStringW columnName;
        XStringW valueText;
        XStringW title;
        XStringW prefix;
        XComPtr<Data::IDataFilter> filter;
        bool multiSelect = false;
    };

    struct MenuItem {
        XStringW columnName;
        XStringW value;
        XStringW prefix;
        XStringW title;
        bool multiSelect = false;
    };

    explicit FilterWnd(Data::IDataView* sourceView);
    ~FilterWnd() override;
    FilterWnd(const FilterWnd&) = delete;
    FilterWnd& operator=(const FilterWnd&) = delete;

    HWND create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent, UINT id);
    void addColumn(const XStringW& name, const XStringW& title, bool showButton, bool hasValues, bool locked,
                   const XStringW& prefix, bool multiSelect);
    void applyTheme(ITheme* theme);

    // The value view's rows changed: every value set is collected again when it is next read (a
    // menu being built, valueSet), so a load that notifies twice reads the rows once or not at all.
    void onViewChanging(Data::IDataView*) override {}
    void onViewChanged(Data::IDataView* view) override;

    // What the keyword dialog's OK does with its text: one new keyword condition when the text
    // holds a keyword. False when nothing was added.
    bool addKeywordCondition(const XStringW& text);
    // Removes the condition with that id (0: all of them, in one update of the view), unless it
    // is locked.
    void removeCondition(int id);
    // Whether every id for a new condition is taken: the bar then offers no new condition.
    bool isFull() const { return freeFilterId() == 0; }

    bool onMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Read access for the page and for tests.
    const std::list<Condition>& getConditions() const { return conditions; }
    const Condition* findCondition(int id) const;
    // The column's distinct values, read again from the data when the rows changed.
    const ValueSet* valueSet(const XStringW& column);
    HWND moreButtonWindow() const { return moreButton.hwnd; }
    const DropDownButton& getMoreButton() const { return moreButton; }
    HMENU menu() const { return currentMenu.get(); }
    COLORREF getBackgroundColor() const { return backgroundColor; }
    Data::IDataView* getSourceView() const { return sourceView.get(); }

    // Blanks and tabs separate keywords; nothing else does.
    static std::vector<XStringW> splitKeywords(const XStringW& text);

private:
    // The keyword dialog while it runs: the bar closes it when it goes, and the dialog's caller
    // then leaves the bar alone.
    struct RunningDialog {
        KeywordDialog* dialog = nullptr;
        bool barGone = false;
    };

    void onCommand(int id);
    // Lets go of the views: menus destroyed, the value view unbound, every filter detached.
    void releaseViews();
    void layout();
    // Collects every value set again if the rows changed since they were last collected.
    void collectValuesIfStale();
    Condition* conditionById(int id);
    Condition* conditionByColumn(const XStringW& column);
    // A free id for a condition with a filter, or 0 when every id of that range is taken.
    int freeFilterId() const;
    Condition* addCondition(const XStringW& name, const XStringW& title, const XStringW& valueText,
                            Data::IDataFilter* filter, const XStringW& prefix, bool locked, bool multiSelect);
    void destroyMenus();
    void showMoreMenu(HWND button);
    void showConditionMenu(Condition& condition, HWND button);
    void showOverflowMenu();
    void addValueItems(HMENU menu, const XStringW& column, const XStringW& title, const XStringW& prefix,
                       bool multiSelect, const Condition* condition, int& nextId);
    void trackMenu(HWND button);
    void chooseValue(int id);
    void runKeywordDialog();
    // The caption and tooltip of a value condition, from the values its filter holds.
    void showValues(Condition& condition, const MultiValueFilter& filter);
    XComPtr<MultiValueFilter> newValueFilter(const XStringW& column, const XStringW& value);

    WGUI::WindowProc windowProc;
    std::list<Condition> conditions; // a list: a Condition stays where it is while others come and go
    DropDownButton moreButton;
    DropDownButton overflowButton;
    WGUI::UniqueBrush backgroundBrush;
    COLORREF backgroundColor;
    XComPtr<Data::IDataView> sourceView;
    XComPtr<Data::IDataView> valueView;
    std::vector<ColumnDef> columns;
    std::map<XStringW, ValueSet> valueSets;
    bool valuesStale = true;
    // Submenus are destroyed with the menu they were inserted into.
    WGUI::UniqueMenu currentMenu;
    std::map<int, MenuItem> menuItems;
    int nextButtonId = kFirstButtonId;
    int nextFilterId = kFirstFilterId;
    bool sinkRegistered = false;
    RunningDialog* runningDialog = nullptr;
};
