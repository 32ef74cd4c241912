#include "AssembleFinanceGrid.h"

#include <cwchar>
#include "gridframe/XmlDom.h"
#include "resources/ResourceText.h"
#include "module/host/Kernel.h"

const wchar_t AssembleFinanceGrid::kHeaderKey[] = L"/Client2/UserConfig/mod_AssembleFinance/Custom_Header_8";
const wchar_t AssembleFinanceGrid::kFontSizeKey[] = L"/Client2/UserConfig/FontSize";

namespace {

const wchar_t kBeginPlaceholder[] = L"beg_date";
const wchar_t kEndPlaceholder[] = L"end_date";

XStringW defaultHeader() {
    return LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER");
}

bool isElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return node && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

void removeFontAttributes(IXMLDOMNode* node) {
    if (!isElement(node))
        return;
    XmlDom::removeAttribute(node, L"font-family");
    XmlDom::removeAttribute(node, L"font-size");
    XmlDom::removeAttribute(node, L"font-style");
}

// Which date a group item stands for: by the columns under it, so that equal dates stay apart;
// by its title when its columns say nothing.
enum class DateGroup { None, Begin, End };

DateGroup dateGroupOf(IXMLDOMNode* group, const XStringW& title, const XStringW& beginTitle,
                      const XStringW& endTitle) {
    for (ComRef<IXMLDOMNode> child = XmlDom::firstChild(group); child;
         child = XmlDom::nextSibling(child.get())) {
        XStringW name;
        bool present = false;
        if (!isElement(child.get()) || !XmlDom::attribute(child.get(), L"name", name, present) || !present)
            continue;
        if (name == L"previousvalue" || name == L"previoustotalvalue")
            return DateGroup::Begin;
        if (name == L"value" || name == L"totalvalue")
            return DateGroup::End;
    }
    if (!beginTitle.isEmpty() && title == beginTitle)
        return DateGroup::Begin;
    if (!endTitle.isEmpty() && title == endTitle)
        return DateGroup::End;
    return DateGroup::None;
}

} // namespace

AssembleFinanceGrid::AssembleFinanceGrid() {
    themeColors_[ListSelBg] = 0xff0000;
    productTable_ = createInstanceAs<Data::IDataTable>("Data.DataTable");
    defaultTopSorter_ = createInstanceAs<Data::ITopSorter>("Data.TopSorter");
    alwaysTopSorter_ = createInstanceAs<Data::ITopSorter>("Data.TopSorter");
    SetDataSource(productTable_.get());
    // The default rule pins rows within the sorted order; the always rule pins them in what is
    // shown, after the filters.
    if (sortView_ && defaultTopSorter_)
        sortView_->setTopSorter(defaultTopSorter_.get());
    if (displayView_ && alwaysTopSorter_)
        displayView_->setTopSorter(alwaysTopSorter_.get());
}

AssembleFinanceGrid::~AssembleFinanceGrid() {
    if (displayView_)
        displayView_->setTopSorter(nullptr);
    if (sortView_)
        sortView_->setTopSorter(nullptr);
}

void AssembleFinanceGrid::SetDateTitles(const XStringW& beginTitle, const XStringW& endTitle) {
    beginTitle_ = beginTitle;
    endTitle_ = endTitle;
}

XStringW AssembleFinanceGrid::ShownBeginTitle() const {
    // No begin date (none before the end date): the group says so as its cells do.
    return beginTitle_.isEmpty() ? XStringW(L"--") : beginTitle_;
}

XStringW AssembleFinanceGrid::FillTitles(XStringW header) const {
    header.replace(kBeginPlaceholder, ShownBeginTitle().c_str());
    if (!endTitle_.isEmpty())
        header.replace(kEndPlaceholder, endTitle_.c_str());
    return header;
}

XStringW AssembleFinanceGrid::HeaderText() {
    return FillTitles(ChosenHeader(nullptr));
}

XStringW AssembleFinanceGrid::ChosenHeader(bool* saved) {
    if (saved)
        *saved = false;
    XStringW header;
    XComPtr<Conf::IConfManager> conf = app_ ? app_->getUserConfManager() : nullptr;
    if (conf) {
        XComPtr<Conf::IConfKey> key = conf->getKey(kHeaderKey);
        if (key) {
            if (saved)
                *saved = true;
            XComPtr<Conf::IConfValue> value = key->getValue();
            if (value)
                header = value->getString();
        } else {
            header = defaultHeader();
        }
    }
    return header;
}

int AssembleFinanceGrid::AssembleHeader() {
    bool saved = false;
    const XStringW header = ChosenHeader(&saved);
    int applied = SetHeader(FillTitles(header));
    // A saved header the control cannot use, or one that shows no column, would leave the user
    // without columns and without a caption to open the header menu on. The default shows
    // instead; the saved text stays as it is until the user changes the header again.
    if (saved && (applied == 0 || GetColumnCount() == 0))
        applied = SetHeader(FillTitles(defaultHeader()));
    return applied;
}

XStringW AssembleFinanceGrid::HeaderToSave(const XStringW& header, const XStringW& beginTitle,
                                           const XStringW& endTitle) {
    ComRef<IXMLDOMDocument> document = XmlDom::parse(header);
    ComRef<IXMLDOMElement> root = XmlDom::documentElement(document.get());
    XStringW saved;
    if (root) {
        for (ComRef<IXMLDOMNode> item = XmlDom::firstChild(root.get()); item;
             item = XmlDom::nextSibling(item.get())) {
            if (!isElement(item.get()))
                continue;
            if (XmlDom::hasChildNodes(item.get())) {
                for (ComRef<IXMLDOMNode> child = XmlDom::firstChild(item.get()); child;
                     child = XmlDom::nextSibling(child.get()))
                    removeFontAttributes(child.get());
                XStringW title;
                bool present = false;
                if (XmlDom::attribute(item.get(), L"title", title, present) && present) {
                    DateGroup group = dateGroupOf(item.get(), title, beginTitle, endTitle);
                    if (group == DateGroup::Begin && !beginTitle.isEmpty() && title == beginTitle)
                        XmlDom::setAttribute(item.get(), L"title", kBeginPlaceholder);
                    else if (group == DateGroup::End && !endTitle.isEmpty() && title == endTitle)
                        XmlDom::setAttribute(item.get(), L"title", kEndPlaceholder);
                }
            }
            removeFontAttributes(item.get());
        }
        if (XmlDom::serialise(document.get(), saved))
            return saved;
    }
    // Not a document we can edit: keep it as it is, with the titles turned back as text ("--"
    // also stands in formats, so it is left alone).
    saved = header;
    if (!beginTitle.isEmpty() && beginTitle != L"--")
        saved.replace(beginTitle.c_str(), kBeginPlaceholder);
    if (!endTitle.isEmpty())
        saved.replace(endTitle.c_str(), kEndPlaceholder);
    return saved;
}

void AssembleFinanceGrid::OnHeaderChange() {
    // Called from the control's window procedure: nothing may escape.
    try {
        XStringW header = GetHeader();
        XComPtr<Conf::IConfManager> conf = app_ ? app_->getUserConfManager() : nullptr;
        if (!conf)
            return;
        XComPtr<Conf::IConfKey> key = conf->openKey(kHeaderKey);
        if (!key)
            return;
        XStringW saved = HeaderToSave(header, ShownBeginTitle(), endTitle_);
        XComPtr<Conf::IConfValue> value = createInstanceAs<Conf::IConfValue>("Conf.ConfValue");
        if (!value)
            return;
        value->setString(saved.c_str());
        key->setValue(value.get());
    } catch (...) {
    }
}

void AssembleFinanceGrid::OnResetHeader() {
    try {
        XStringW header = defaultHeader();
        XComPtr<Conf::IConfManager> conf = app_ ? app_->getUserConfManager() : nullptr;
        if (conf)
            conf->removeKey(kHeaderKey);
        SetHeader(FillTitles(header));
        if (sortView_)
            sortView_->refresh(true);
    } catch (...) {
    }
}

void AssembleFinanceGrid::LoadFontZoom() {
    if (!app_)
        return;
    XComPtr<Conf::IConfManager> conf = app_->getUserConfManager();
    if (!conf)
        return;
    XComPtr<Conf::IConfKey> key = conf->getKey(kFontSizeKey);
    if (!key)
        return;
    XComPtr<Conf::IConfValue> value = key->getValue();
    if (value)
        fontZoom_ = value->getDouble();
}

void AssembleFinanceGrid::ApplyTopRule(const XStringW& rule, Data::ITopSorter* sorter,
                                       Data::IDataView* view) {
    int equals = rule.find(L'=');
    if (equals < 0 || !sorter)
        return;
    XStringW column = rule.left(equals);
    sorter->setColumn(column.trim().c_str());
    sorter->clearValues();
    int from = equals + 1;
    for (;;) {
        int comma = rule.find(L',', from);
        XStringW value = comma < 0 ? rule.mid(from) : rule.mid(from, comma - from);
        sorter->addValue(value.trim().c_str());
        if (comma < 0)
            break;
        from = comma + 1;
    }
    if (view)
        view->refresh(true);
}

void AssembleFinanceGrid::SetDefaultTopRule(const XStringW& rule) {
    ApplyTopRule(rule, defaultTopSorter_.get(), sortView_.get());
}

void AssembleFinanceGrid::SetAlwaysTopRule(const XStringW& rule) {
    ApplyTopRule(rule, alwaysTopSorter_.get(), displayView_.get());
}

XStringW AssembleFinanceGrid::ShortCompany(const XStringW& company) {
    XStringW text(company);
    ShortenCompany(text);
    return text;
}

void AssembleFinanceGrid::ShortenCompany(XStringW& company) {
    // The text of a missing value is no name with a leading part.
    if (company == L"--")
        return;
    int dash = company.find(L'-', 1);
    if (dash < 0)
        return;
    // In place: the cell's storage is reused for every cell painted or exported.
    int length = company.length() - dash - 1;
    wchar_t* text = company.getBuffer(length);
    for (int i = 0; i < length; ++i)
        text[i] = text[dash + 1 + i]; // a short move: no call into the C runtime
    company.releaseBuffer(length);
}

void AssembleFinanceGrid::ReadCell(Data::IDataRow* cells, int row, const CellReader& column, XStringW& text) {
    GeneralDataGrid::ReadCell(cells, row, column, text);
    if (column.name.c_str()[0] == L'c' && column.name == L"company")
        ShortenCompany(text);
}

IConcernFundModule* AssembleFinanceGrid::WatchedList() {
    // Fetched once and kept; asked again on every call while the host has no such module. The
    // base colour rule uses it for aliascode, code and name, which also covers this grid's own
    // highlight of code and name.
    if (!concernModule_ && app_)
        concernModule_ = XComPtr<IConcernFundModule>(app_->getModule("mod_ConcernFund"));
    return concernModule_.get();
}
