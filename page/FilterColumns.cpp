// The page's filter bar columns, apart from the page window so that the bar's tests declare
// exactly these without building a page.
#include "page/AssembleFinancePage.h"

void AssembleFinancePage::addFilterColumns(FilterWnd& bar) {
    // The keyword filter searches all six; style and company also offer their values, several
    // of which may be chosen at once.
    const struct {
        const wchar_t* name;
        const wchar_t* title;
        bool showButton;
        bool hasValues;
        bool multiSelect;
    } columns[] = {
        {L"aliascode", L"代码", false, false, false},      {L"name", L"名称", false, false, false},
        {L"investtype", L"投资类型", false, false, false}, {L"fundtype", L"基金类型", false, false, false},
        {L"investstyle", L"投资风格", false, true, true},  {L"company", L"基金公司", true, true, true},
    };
    for (const auto& c : columns)
        bar.addColumn(c.name, c.title, c.showButton, c.hasValues, false, XStringW(), c.multiSelect);
}
