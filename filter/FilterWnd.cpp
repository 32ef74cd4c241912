#include "filter/FilterWnd.h"

#include <algorithm>
#include "filter/KeywordDialog.h"
#include "filter/SearchFilterImpl.h"
#include "resources/ResourceText.h"
#include "module/host/Kernel.h"

const wchar_t FilterWnd::kClassName[] = L"Client2_FilterWnd";
const wchar_t FilterWnd::kMoreCaption[] = L"更多筛选";
const wchar_t FilterWnd::kFullTooltip[] = L"筛选条件已满，请先移除不用的条件";

namespace {

constexpr int kMoreGap = 5;
constexpr int kButtonGap = 1;

ATOM registerBarClass() {
    static const ATOM atom = WGUI::WindowProc::registerClass(ThisModule(), FilterWnd::kClassName);
    return atom;
}

HFONT guiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// A value is shown as it is: an ampersand in it is not a mnemonic.
XStringW menuText(const XStringW& value) {
    XStringW text = value;
    text.replace(L"&", L"&&");
    return text;
}

XStringW joined(const std::vector<XStringW>& texts, const wchar_t* separator) {
    XStringW text;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i)
            text += separator;
        text += texts[i];
    }
    return text;
}

// The widths of the first buttons of `full` (the newest first) that fit side by side into room,
// `gap` apart. A caption wider than kMaxButtonWidth, or than the room, is shortened to it.
std::vector<int> fitWidths(const std::vector<int>& full, int room, int gap) {
    std::vector<int> widths;
    int used = 0;
    for (int width : full) {
        width = std::min({width, FilterWnd::kMaxButtonWidth, room});
        const int needed = used + (widths.empty() ? 0 : gap) + width;
        if (width <= 0 || needed > room)
            break;
        used = needed;
        widths.push_back(width);
    }
    return widths;
}

void setItemData(HMENU menu, UINT id, ULONG_PTR data) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    info.dwItemData = data;
    SetMenuItemInfoW(menu, id, FALSE, &info);
}

} // namespace

FilterWnd::FilterWnd(Data::IDataView* view) : backgroundColor(GetSysColor(COLOR_WINDOW)), sourceView(view) {
    backgroundBrush.reset(CreateSolidBrush(backgroundColor));
    valueView = createInstanceAs<Data::IDataView>("Data.DataView");
    // The values are read from a view of the bar's own over the same data, without the filters:
    // a menu offers every value, not only those the current conditions leave visible.
    if (valueView && sourceView) {
        valueView->setSource(sourceView->getSource());
        valueView->addEventSink(this);
        sinkRegistered = true;
    }
}

FilterWnd::~FilterWnd() {
    // The host's views may raise; a destructor must not.
    try {
        releaseViews();
    } catch (...) {
    }
}

void FilterWnd::releaseViews() {
    // A keyword dialog still open (its owner is the top-level window, not the bar) has no bar to
    // add its condition to any more.
    if (runningDialog) {
        runningDialog->barGone = true;
        runningDialog->dialog->close();
    }
    destroyMenus();
    if (valueView) {
        if (sinkRegistered)
            valueView->removeEventSink(this);
        sinkRegistered = false;
        valueView->setSource(nullptr);
    }
    // The bar's conditions go with it: none of their filters may keep narrowing the grid.
    if (sourceView) {
        XComPtr<Data::IUpdateContext> context = sourceView->beginUpdate();
        for (Condition& condition : conditions)
            if (condition.filter)
                sourceView->removeFilter(condition.filter);
        if (context)
            context->commit();
    }
    sourceView.reset();
    valueView.reset();
}

HWND FilterWnd::create(DWORD style, DWORD exStyle, const RECT& rect, HWND parent, UINT id) {
    if (!registerBarClass())
        return nullptr;
    return WindowBase::create(style, exStyle, kClassName, L"", rect, parent, id, ThisModule(), &windowProc);
}

void FilterWnd::addColumn(const XStringW& name, const XStringW& title, bool showButton, bool hasValues,
                          bool locked, const XStringW& prefix, bool multiSelect) {
    ColumnDef column;
    column.name = name;
    column.title = title;
    column.prefix = prefix;
    column.hasValues = hasValues;
    column.multiSelect = multiSelect;
    columns.push_back(column);
    if (hasValues) {
        valueSets[name].clear();
        valuesStale = true;
    }
    if (showButton || locked)
        addCondition(name, title, title, nullptr, prefix, locked, multiSelect);
}

void FilterWnd::applyTheme(ITheme* theme) {
    if (!theme)
        return;
    theme->getColor("wnd_general_bg", backgroundColor);
    backgroundBrush.reset(CreateSolidBrush(backgroundColor));
    if (!isWindow())
        return;
    invalidate(true);
    for (Condition& condition : conditions)
        if (condition.button.isWindow())
            condition.button.invalidate(true);
    if (moreButton.isWindow())
        moreButton.invalidate(true);
}

void FilterWnd::onViewChanged(Data::IDataView*) {
    valuesStale = true;
}

void FilterWnd::collectValuesIfStale() {
    if (!valuesStale)
        return;
    valuesStale = false;
    // Read from a window procedure or a const reader: nothing raised while reading the host's
    // cells goes further. A set that could not be read in full offers what was read.
    try {
        for (const ColumnDef& column : columns)
            if (column.hasValues)
                valueSets[column.name].collect(valueView, column.name.c_str());
    } catch (...) {
    }
}

const ValueSet* FilterWnd::valueSet(const XStringW& column) {
    collectValuesIfStale();
    auto it = valueSets.find(column);
    return it == valueSets.end() ? nullptr : &it->second;
}

namespace {

template <class Conditions> auto* conditionWithId(Conditions& conditions, int id) {
    auto found = std::find_if(conditions.begin(), conditions.end(),
                              [id](const FilterWnd::Condition& condition) { return condition.id == id; });
    return found == conditions.end() ? nullptr : &*found;
}

} // namespace

const FilterWnd::Condition* FilterWnd::findCondition(int id) const {
    return conditionWithId(conditions, id);
}

FilterWnd::Condition* FilterWnd::conditionById(int id) {
    return conditionWithId(conditions, id);
}

FilterWnd::Condition* FilterWnd::conditionByColumn(const XStringW& column) {
    for (Condition& condition : conditions)
        if (condition.columnName == column)
            return &condition;
    return nullptr;
}

std::vector<XStringW> FilterWnd::splitKeywords(const XStringW& text) {
    std::vector<XStringW> words;
    int start = -1;
    for (int i = 0; i <= text.length(); ++i) {
        const wchar_t c = i < text.length() ? text.at(i) : L' ';
        const bool separator = c == L' ' || c == L'\t';
        if (!separator && start < 0)
            start = i;
        else if (separator && start >= 0) {
            words.push_back(text.mid(start, i - start));
            start = -1;
        }
    }
    return words;
}

int FilterWnd::freeFilterId() const {
    if (nextFilterId <= kLastFilterId)
        return nextFilterId;
    // The ids above belong to the bar's commands and value items: a condition that took one
    // would run that command when clicked. Conditions reuse the freed ids of their own range.
    for (int id = kFirstFilterId; id <= kLastFilterId; ++id)
        if (!findCondition(id))
            return id;
    return 0;
}

FilterWnd::Condition* FilterWnd::addCondition(const XStringW& name, const XStringW& title,
                                              const XStringW& valueText, Data::IDataFilter* filter,
                                              const XStringW& prefix, bool locked, bool multiSelect) {
    int id = 0;
    if (filter) {
        id = freeFilterId();
        if (id == nextFilterId)
            ++nextFilterId;
    } else if (nextButtonId <= kLastButtonId) {
        id = nextButtonId++;
    }
    if (id == 0)
        return nullptr;

    conditions.emplace_back();
    Condition& condition = conditions.back();
    condition.id = id;
    condition.isColumnButton = locked || !filter;
    condition.locked = locked;
    condition.columnName = name;
    if (!condition.isColumnButton)
        condition.valueText = valueText;
    condition.title = title;
    condition.prefix = prefix;
    condition.filter = filter;
    condition.multiSelect = multiSelect;
    if (isWindow()) {
        condition.button.create(WS_CHILD | WS_VISIBLE, hwnd, static_cast<UINT>(id), ThisModule());
        condition.button.setFont(guiFont());
    }
    condition.button.setCaption(prefix + valueText);
    layout();
    return &condition;
}

void FilterWnd::removeCondition(int id) {
    if (id == 0) {
        std::vector<int> ids;
        for (const Condition& condition : conditions)
            ids.push_back(condition.id);
        std::sort(ids.begin(), ids.end());
        // One update: the view filters its rows once, not once per condition.
        XComPtr<Data::IUpdateContext> context = sourceView ? sourceView->beginUpdate() : nullptr;
        for (int each : ids)
            removeCondition(each);
        if (context)
            context->commit();
        return;
    }
    auto it = std::find_if(conditions.begin(), conditions.end(),
                           [id](const Condition& condition) { return condition.id == id; });
    if (it == conditions.end() || it->locked)
        return;
    XComPtr<Data::IDataFilter> filter = it->filter;
    it->valueText.clear();
    if (it->isColumnButton) {
        it->button.setCaption(it->prefix + it->title);
        it->button.setTooltipText(XStringW());
        it->filter = nullptr;
    } else {
        if (it->button.isWindow())
            it->button.destroyWindow();
        conditions.erase(it);
    }
    if (filter && sourceView)
        sourceView->removeFilter(filter);
    // Only an id issued from the filter range goes back to it.
    if (id >= kFirstFilterId && id == nextFilterId - 1)
        --nextFilterId;
    layout();
}

void FilterWnd::layout() {
    if (!isWindow())
        return;
    moreButton.setTooltipText(isFull() ? XStringW(kFullTooltip) : XStringW());
    RECT r = clientRect();
    auto place = [&](DropDownButton& button, int width) {
        button.move(RECT{r.right - width, r.top, r.right, r.bottom}, true);
        button.redraw(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        button.refreshTooltip();
        r.right -= width;
    };
    if (moreButton.isWindow()) {
        place(moreButton, moreButton.fullWidth());
        r.right -= kMoreGap;
    }
    // The newest condition stands next to "更多筛选"; older ones extend to the left. Long
    // captions are shortened; conditions that do not fit are listed under the overflow button,
    // so that every one stays within reach.
    std::vector<DropDownButton*> buttons;
    std::vector<int> full;
    for (auto it = conditions.rbegin(); it != conditions.rend(); ++it) {
        if (!it->button.isWindow())
            continue;
        buttons.push_back(&it->button);
        full.push_back(it->button.fullWidth());
    }
    const int room = std::max(0, int(r.right - r.left));
    std::vector<int> widths = fitWidths(full, room, kButtonGap);
    if (widths.size() < buttons.size() && overflowButton.isWindow()) {
        overflowButton.setCaption(XStringW::format(L"其他条件(%d)", int(buttons.size())));
        const int reserved = overflowButton.fullWidth() + kButtonGap;
        widths = fitWidths(full, std::max(0, room - reserved), kButtonGap);
        overflowButton.setCaption(XStringW::format(L"其他条件(%d)", int(buttons.size() - widths.size())));
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        const bool shown = i < widths.size();
        if (shown) {
            place(*buttons[i], widths[i]);
            r.right -= kButtonGap;
        }
        buttons[i]->show(shown ? SW_SHOWNA : SW_HIDE);
    }
    if (overflowButton.isWindow()) {
        const bool needed = widths.size() < buttons.size();
        if (needed)
            place(overflowButton, overflowButton.fullWidth());
        overflowButton.show(needed ? SW_SHOWNA : SW_HIDE);
    }
}

void FilterWnd::destroyMenus() {
    currentMenu.reset();
    menuItems.clear();
}

void FilterWnd::addValueItems(HMENU menu, const XStringW& column, const XStringW& title,
                              const XStringW& prefix, bool multiSelect, const Condition* condition,
                              int& nextId) {
    auto set = valueSets.find(column);
    if (set == valueSets.end())
        return;
    const auto* chosen = condition ? dynamic_cast<const MultiValueFilter*>(condition->filter.get()) : nullptr;
    // A value of a column without a condition needs a new one, which a full bar cannot take.
    const UINT refused = !condition && isFull() ? MF_GRAYED : 0;
    for (const XStringW& value : set->second.values()) {
        // Beyond this an item's id would not survive WM_COMMAND: it is not offered at all.
        if (nextId > kLastValueId)
            break;
        const bool checked = chosen && chosen->hasValue(value);
        AppendMenuW(menu, MF_STRING | (checked ? MF_CHECKED : 0) | refused, static_cast<UINT_PTR>(nextId),
                    menuText(value).c_str());
        menuItems[nextId] = MenuItem{column, value, prefix, title, multiSelect};
        ++nextId;
    }
}

void FilterWnd::showMoreMenu(HWND button) {
    destroyMenus();
    collectValuesIfStale();
    currentMenu.reset(CreatePopupMenu());
    HMENU menu = currentMenu.get();
    if (!menu)
        return;
    AppendMenuW(menu, MF_STRING | (isFull() ? MF_GRAYED : 0), kKeywordCommand, L"关键字筛选(&C)");
    if (!conditions.empty()) {
        AppendMenuW(menu, MF_STRING, kRemoveCommand, L"清除所有条件(&D)");
        setItemData(menu, kRemoveCommand, 0);
    }
    int nextId = kFirstValueId;
    bool separated = false;
    for (const ColumnDef& column : columns) {
        auto set = valueSets.find(column.name);
        if (set == valueSets.end() || set->second.size() <= 1)
            continue;
        if (!separated) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            separated = true;
        }
        WGUI::UniqueMenu sub(CreatePopupMenu());
        if (!sub)
            continue;
        addValueItems(sub.get(), column.name, column.title, column.prefix, column.multiSelect,
                      conditionByColumn(column.name), nextId);
        // Once inserted, the submenu is destroyed with the menu.
        if (AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub.get()),
                        menuText(column.title).c_str()))
            sub.release();
    }
    trackMenu(button);
}

void FilterWnd::showConditionMenu(Condition& condition, HWND button) {
    destroyMenus();
    collectValuesIfStale();
    currentMenu.reset(CreatePopupMenu());
    HMENU menu = currentMenu.get();
    if (!menu)
        return;
    if (!condition.locked) {
        if (condition.isColumnButton)
            AppendMenuW(menu, MF_STRING | (condition.filter ? 0 : MF_CHECKED), kRemoveCommand,
                        L"显示所有(&A)");
        else
            AppendMenuW(menu, MF_STRING, kRemoveCommand, L"移除条件(&D)");
        setItemData(menu, kRemoveCommand, static_cast<ULONG_PTR>(condition.id));
    }
    if (!condition.columnName.isEmpty()) {
        auto set = valueSets.find(condition.columnName);
        if (set != valueSets.end() && !set->second.empty())
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        int nextId = kFirstValueId;
        addValueItems(menu, condition.columnName, condition.title, condition.prefix, condition.multiSelect,
                      &condition, nextId);
    }
    trackMenu(button);
}

void FilterWnd::showOverflowMenu() {
    destroyMenus();
    currentMenu.reset(CreatePopupMenu());
    HMENU menu = currentMenu.get();
    if (!menu)
        return;
    // The hidden conditions, the newest first as the bar shows them; choosing one opens its own
    // menu, as a click on its button does.
    for (auto it = conditions.rbegin(); it != conditions.rend(); ++it)
        if (it->button.isWindow() && !IsWindowVisible(it->button.hwnd))
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(it->id),
                        menuText(it->button.getCaption()).c_str());
    trackMenu(overflowButton.hwnd);
}

void FilterWnd::trackMenu(HWND button) {
    RECT rc{};
    if (button)
        GetWindowRect(button, &rc);
    TrackPopupMenu(currentMenu.get(), TPM_RIGHTALIGN | TPM_VERTICAL, rc.right, rc.bottom, 0, hwnd, nullptr);
}

XComPtr<MultiValueFilter> FilterWnd::newValueFilter(const XStringW& column, const XStringW& value) {
    XComPtr<MultiValueFilter> filter;
    filter.attach(new MultiValueFilter());
    filter->setColumn(column.c_str());
    filter->addValue(value.c_str());
    return filter;
}

void FilterWnd::showValues(Condition& condition, const MultiValueFilter& filter) {
    const std::vector<XStringW>& values = filter.getValues();
    const XStringW text = condition.prefix + joined(values, L", ");
    // Several values that make a long caption are summed up; the tooltip lists them all.
    if (values.size() > 1 && (text.length() > kMultipleLimit || values.size() > 3)) {
        condition.button.setCaption(condition.title + L"：多个筛选条件");
        condition.button.setTooltipText(text);
    } else {
        condition.button.setCaption(text);
        condition.button.setTooltipText(XStringW());
    }
}

void FilterWnd::chooseValue(int id) {
    if (!currentMenu)
        return;
    auto found = menuItems.find(id);
    if (found == menuItems.end())
        return;
    const MenuItem item = found->second;
    if (!sourceView)
        return;
    Condition* condition = conditionByColumn(item.columnName);
    if (!condition) {
        XComPtr<MultiValueFilter> filter = newValueFilter(item.columnName, item.value);
        // Attached only once it has a condition to show it and to take it away again.
        if (addCondition(item.columnName, item.title, item.value, filter.get(), item.prefix, false,
                         item.multiSelect))
            sourceView->addFilter(filter);
        return;
    }
    XComPtr<MultiValueFilter> values(dynamic_cast<MultiValueFilter*>(condition->filter.get()));
    if (!values) {
        // A column button's first value (or a condition that held another kind of filter): a
        // value filter takes its place.
        if (condition->filter)
            sourceView->removeFilter(condition->filter);
        values = newValueFilter(condition->columnName, item.value);
        condition->filter = values.get();
        sourceView->addFilter(values.get());
    } else {
        if (!condition->multiSelect)
            values->clearValues();
        if (values->hasValue(item.value))
            values->removeValue(item.value.c_str());
        else
            values->addValue(item.value.c_str());
        if (values->getValues().empty()) {
            removeCondition(condition->id);
            return;
        }
        // The attached filter changed in place: the view filters again.
        sourceView->refresh(true);
    }
    condition->valueText = item.value;
    showValues(*condition, *values);
    layout();
}

bool FilterWnd::addKeywordCondition(const XStringW& text) {
    XComPtr<Data::IUpdateContext> context;
    if (sourceView)
        context = sourceView->beginUpdate();
    bool added = false;
    const std::vector<XStringW> words = splitKeywords(text);
    if (!words.empty()) {
        XComPtr<SearchFilterImpl> filter;
        filter.attach(new SearchFilterImpl());
        for (const ColumnDef& column : columns)
            filter->addField(column.name.c_str());
        for (const XStringW& word : words)
            filter->addKeyword(word.c_str());
        if (addCondition(XStringW(), XStringW(), joined(words, L"，"), filter.get(), XStringW(), false,
                         false)) {
            if (sourceView)
                sourceView->addFilter(filter.get());
            added = true;
        }
    }
    if (context)
        context->commit();
    return added;
}

void FilterWnd::runKeywordDialog() {
    // A full bar offers the command greyed; one that arrives anyway opens nothing.
    if (isFull() || runningDialog)
        return;
    RECT anchor = moreButton.isWindow() ? moreButton.windowRect() : windowRect();
    KeywordDialog dialog;
    RunningDialog running{&dialog};
    runningDialog = &running;
    const int result = dialog.show(hwnd, anchor.right, anchor.bottom);
    // The bar may have gone while the dialog ran modally: then nothing of it is touched.
    if (running.barGone)
        return;
    runningDialog = nullptr;
    if (result == 1)
        addKeywordCondition(dialog.text());
}

void FilterWnd::onCommand(int id) {
    if (id == kMoreButtonId) {
        showMoreMenu(moreButton.hwnd);
    } else if (id == kRemoveCommand) {
        // The condition named in the shown menu's item; a menu without the item removes nothing.
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        if (currentMenu && GetMenuItemInfoW(currentMenu.get(), kRemoveCommand, FALSE, &info))
            removeCondition(static_cast<int>(info.dwItemData));
    } else if (id == kKeywordCommand) {
        runKeywordDialog();
    } else if (id == kOverflowButtonId) {
        showOverflowMenu();
    } else if (id >= kFirstValueId) {
        chooseValue(id);
    } else if (Condition* condition = conditionById(id)) {
        // Chosen from the overflow menu, a hidden condition's menu opens at the overflow button.
        const bool shown = condition->button.isWindow() && IsWindowVisible(condition->button.hwnd);
        showConditionMenu(*condition, shown ? condition->button.hwnd : overflowButton.hwnd);
    }
}

bool FilterWnd::onMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT* result) {
    switch (msg) {
    case WM_CREATE:
        moreButton.create(WS_CHILD | WS_VISIBLE, hwnd, kMoreButtonId, ThisModule());
        moreButton.setCaption(kMoreCaption);
        moreButton.setFont(guiFont());
        overflowButton.create(WS_CHILD, hwnd, kOverflowButtonId, ThisModule());
        overflowButton.setFont(guiFont());
        return false;
    case WM_SIZE:
        layout();
        return false;
    case WM_ERASEBKGND: {
        RECT client = clientRect();
        WGUI::UniqueBrush brush(CreateSolidBrush(backgroundColor));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush.get());
        *result = 1;
        return true;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        *result = reinterpret_cast<LRESULT>(backgroundBrush.get());
        return true;
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        *result = 0;
        return true;
    case WM_DESTROY:
        releaseViews();
        return false;
    default:
        return false;
    }
}
