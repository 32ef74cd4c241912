#include "HeaderModel.h"

#include <cwchar>

namespace {
// IXMLDOMDocument2, which mingw declares but whose identifier its import library lacks.
const IID kIidDocument2 = {0x2933BF95, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const CLSID kClsidDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};

int parseAlign(const XStringW& text, int fallback) {
    if (text == L"left")
        return HeaderInfo2::AlignLeft;
    if (text == L"center" || text == L"centre")
        return HeaderInfo2::AlignCenter;
    if (text == L"right")
        return HeaderInfo2::AlignRight;
    return fallback;
}

// A width of digits only; anything else (negative, fractional, words) keeps the default.
int parseWidth(const XStringW& text) {
    XStringW t = text;
    t.trim();
    if (t.isEmpty() || t.length() > 6)
        return HeaderModel::kDefaultWidth;
    int value = 0;
    for (int i = 0; i < t.length(); ++i) {
        wchar_t c = t[i];
        if (c < L'0' || c > L'9')
            return HeaderModel::kDefaultWidth;
        value = value * 10 + (c - L'0');
    }
    return value > HeaderModel::kMaxWidth ? HeaderModel::kMaxWidth : value;
}

// Element children named item, in document order.
std::vector<ComRef<IXMLDOMNode>> itemChildren(IXMLDOMNode* parent) {
    std::vector<ComRef<IXMLDOMNode>> items;
    ComRef<IXMLDOMNode> child;
    if (FAILED(parent->get_firstChild(child.put())))
        return items;
    while (child) {
        if (xml::isElement(child.get(), L"item"))
            items.push_back(child);
        ComRef<IXMLDOMNode> next;
        if (FAILED(child->get_nextSibling(next.put())))
            break;
        child = next;
    }
    return items;
}

void readFont(IXMLDOMNode* node, HeaderInfo2& info) {
    info.font = xml::attribute(node, L"font");
    info.fontFamily = xml::attribute(node, L"font-family");
    bool ok = false;
    int size = xml::attribute(node, L"font-size").toInt(&ok);
    info.fontSize = ok && size > 0 && size <= 200 ? size : 0;
    XStringW style = xml::attribute(node, L"font-style").toLower();
    info.bold = style.find(L"bold") >= 0;
    info.italic = style.find(L"italic") >= 0;
}
} // namespace

namespace xml {
XStringW attribute(IXMLDOMNode* node, const wchar_t* name, bool* present) {
    if (present)
        *present = false;
    if (!node)
        return XStringW();
    ComRef<IXMLDOMNamedNodeMap> attrs;
    if (FAILED(node->get_attributes(attrs.put())) || !attrs)
        return XStringW();
    ComRef<IXMLDOMNode> attr;
    Bstr bname(name);
    if (attrs->getNamedItem(bname.get(), attr.put()) != S_OK || !attr)
        return XStringW();
    Bstr text;
    if (FAILED(attr->get_text(text.put())))
        return XStringW();
    if (present)
        *present = true;
    return XStringW(text.get() ? text.get() : L"");
}

bool setAttribute(IXMLDOMNode* node, const wchar_t* name, const XStringW& value) {
    ComRef<IXMLDOMElement> element;
    if (!node || FAILED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()))))
        return false;
    Bstr bname(name);
    Bstr bvalue(value.c_str());
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = bvalue.get();
    // setAttribute changes an existing attribute in place, so the attribute order is kept.
    return SUCCEEDED(element->setAttribute(bname.get(), v));
}

bool removeAttribute(IXMLDOMNode* node, const wchar_t* name) {
    ComRef<IXMLDOMElement> element;
    if (!node || FAILED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()))))
        return false;
    Bstr bname(name);
    return SUCCEEDED(element->removeAttribute(bname.get()));
}

bool isElement(IXMLDOMNode* node, const wchar_t* tag) {
    DOMNodeType type;
    if (!node || FAILED(node->get_nodeType(&type)) || type != NODE_ELEMENT)
        return false;
    Bstr name;
    return SUCCEEDED(node->get_nodeName(name.put())) && name.get() && wcscmp(name.get(), tag) == 0;
}
} // namespace xml

namespace {
// The text is UTF-16 already, so the encoding a stored definition declares (gb2312) no longer
// applies; some MSXML versions refuse wide text that declares another encoding.
XStringW withoutDeclaredEncoding(const XStringW& text) {
    int start = 0;
    while (start < text.length() && (text[start] == L' ' || text[start] == L'\t' || text[start] == L'\r' ||
                                     text[start] == L'\n' || text[start] == 0xFEFF))
        ++start;
    if (text.find(L"<?xml", start) != start)
        return text;
    int end = text.find(L"?>", start);
    int at = text.find(L"encoding", start);
    if (end < 0 || at < 0 || at > end)
        return text;
    int quote = at + 8;
    while (quote < end && text[quote] != L'"' && text[quote] != L'\'')
        ++quote;
    int close = quote < end ? text.find(text[quote], quote + 1) : -1;
    if (close < 0 || close > end)
        return text;
    return text.left(at) + text.mid(close + 1);
}
} // namespace

bool HeaderModel::load(const XStringW& source) {
    XStringW text = withoutDeclaredEncoding(source);
    // Document type definitions are refused outright: not every MSXML honours ProhibitDTD, and
    // a definition may come from a user's saved configuration.
    if (text.find(L"<!DOCTYPE") >= 0)
        return false;
    ComRef<IXMLDOMDocument> doc;
    if (FAILED(CoCreateInstance(kClsidDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(doc.put()))))
        return false;
    // A definition may come from a user's saved configuration: no DTDs, nothing fetched.
    ComRef<IXMLDOMDocument2> doc2;
    if (SUCCEEDED(doc->QueryInterface(kIidDocument2, reinterpret_cast<void**>(doc2.put())))) {
        Bstr prop(L"ProhibitDTD");
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BOOL;
        v.boolVal = VARIANT_TRUE;
        doc2->setProperty(prop.get(), v);
    }
    doc->put_async(VARIANT_FALSE);
    doc->put_resolveExternals(VARIANT_FALSE);
    doc->put_validateOnParse(VARIANT_FALSE);
    doc->put_preserveWhiteSpace(VARIANT_TRUE);
    Bstr btext(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (FAILED(doc->loadXML(btext.get(), &ok)) || ok != VARIANT_TRUE)
        return false;
    std::vector<HeaderInfo2> columns;
    std::vector<HeaderGroup> groups;
    int sortColumn = -1;
    bool descending = false;
    if (!readColumns(doc.get(), columns, groups, sortColumn, descending) || columns.empty())
        return false;
    doc_ = doc;
    columns_.swap(columns);
    groups_.swap(groups);
    initialSort_ = sortColumn;
    initialDescending_ = descending;
    return true;
}

bool HeaderModel::readColumns(IXMLDOMDocument* doc, std::vector<HeaderInfo2>& columns,
                              std::vector<HeaderGroup>& groups, int& sortColumn, bool& descending) const {
    ComRef<IXMLDOMElement> root;
    if (FAILED(doc->get_documentElement(root.put())) || !root)
        return false;
    if (!xml::isElement(root.get(), L"header"))
        return false;
    auto addColumn = [&](IXMLDOMNode* node, int groupIndex) {
        if (int(columns.size()) >= kMaxColumns)
            return;
        HeaderInfo2 info(xml::attribute(node, L"name"), node);
        info.title = xml::attribute(node, L"title");
        info.width = parseWidth(xml::attribute(node, L"width"));
        info.align = parseAlign(xml::attribute(node, L"align"), HeaderInfo2::AlignLeft);
        info.titleAlign = parseAlign(xml::attribute(node, L"titlealign"), HeaderInfo2::AlignCenter);
        readFont(node, info);
        XStringW visible = xml::attribute(node, L"visible");
        info.visible = !(visible.compareNoCase(L"false") == 0 || visible == L"0");
        if (groupIndex >= 0) {
            info.groupIndex = groupIndex;
            info.group = groups[groupIndex].title;
        }
        info.index = int(columns.size());
        if (sortColumn < 0) {
            XStringW sort = xml::attribute(node, L"sort");
            if (sort == L"desc" || sort == L"asc") {
                sortColumn = info.index;
                descending = sort == L"desc";
            }
        }
        columns.push_back(info);
    };
    for (auto& item : itemChildren(root.get())) {
        auto children = itemChildren(item.get());
        if (children.empty()) {
            addColumn(item.get(), -1);
            continue;
        }
        HeaderGroup group;
        group.title = xml::attribute(item.get(), L"title");
        group.titleAlign = parseAlign(xml::attribute(item.get(), L"titlealign"), HeaderInfo2::AlignCenter);
        group.node = item;
        groups.push_back(group);
        // Groups are one level deep; an item nested deeper is not a column.
        for (auto& child : children)
            addColumn(child.get(), int(groups.size()) - 1);
    }
    return true;
}

void HeaderModel::reread() {
    std::vector<HeaderInfo2> columns;
    std::vector<HeaderGroup> groups;
    int sortColumn = -1;
    bool descending = false;
    if (readColumns(doc_.get(), columns, groups, sortColumn, descending)) {
        columns_.swap(columns);
        groups_.swap(groups);
    }
}

XStringW HeaderModel::text() const {
    if (!doc_)
        return XStringW();
    Bstr text;
    if (FAILED(doc_->get_xml(text.put())) || !text.get())
        return XStringW();
    return XStringW(text.get());
}

int HeaderModel::findColumn(const XStringW& name) const {
    for (const auto& c : columns_)
        if (c.name == name)
            return c.index;
    return -1;
}

bool HeaderModel::setWidth(int column, int width) {
    if (column < 0 || column >= int(columns_.size()) || width < 0)
        return false;
    if (width > kMaxWidth)
        width = kMaxWidth;
    if (columns_[column].width == width)
        return false;
    if (!xml::setAttribute(columns_[column].GetNode(), L"width", XStringW::format(L"%d", width)))
        return false;
    reread();
    return true;
}

bool HeaderModel::setVisible(int column, bool visible) {
    if (column < 0 || column >= int(columns_.size()) || columns_[column].visible == visible)
        return false;
    if (!xml::setAttribute(columns_[column].GetNode(), L"visible", visible ? L"true" : L"false"))
        return false;
    reread();
    return true;
}

bool HeaderModel::moveColumn(int column, int before) {
    int count = int(columns_.size());
    if (column < 0 || column >= count || before >= count || before == column)
        return false;
    IXMLDOMNode* node = columns_[column].GetNode();
    ComRef<IXMLDOMNode> parent;
    if (!node || FAILED(node->get_parentNode(parent.put())) || !parent)
        return false;
    VARIANT ref;
    VariantInit(&ref);
    if (before >= 0) {
        const HeaderInfo2& target = columns_[before];
        IXMLDOMNode* refNode = target.GetNode();
        if (target.groupIndex != columns_[column].groupIndex) {
            // A column outside groups may go before a whole group, dropped on its first column.
            bool firstOfGroup = before == 0 || columns_[before - 1].groupIndex != target.groupIndex;
            if (columns_[column].groupIndex >= 0 || target.groupIndex < 0 || !firstOfGroup)
                return false;
            refNode = groups_[target.groupIndex].node.get();
        }
        // Already right before it (columns are in document order): nothing moves.
        if (before == column + 1)
            return false;
        ref.vt = VT_UNKNOWN;
        ref.punkVal = refNode;
    } else {
        ref.vt = VT_NULL;
    }
    ComRef<IXMLDOMNode> moved;
    if (FAILED(parent->insertBefore(node, ref, moved.put())))
        return false;
    reread();
    return true;
}

bool HeaderModel::setSort(int column, bool descending) {
    ComRef<IXMLDOMElement> root;
    if (!doc_ || column < 0 || column >= int(columns_.size()) ||
        FAILED(doc_->get_documentElement(root.put())) || !root)
        return false;
    const XStringW value = descending ? L"desc" : L"asc";
    bool changed = false;
    int leaf = 0;
    // The same walk as readColumns, so the leaf count names the same column. The first item
    // carrying a sort wins on reading: a stale one elsewhere would beat the user's choice.
    auto visit = [&](IXMLDOMNode* node, bool isColumn) {
        bool present = false;
        XStringW current = xml::attribute(node, L"sort", &present);
        if (isColumn && leaf++ == column) {
            if ((!present || current != value) && xml::setAttribute(node, L"sort", value))
                changed = true;
        } else if (present && xml::removeAttribute(node, L"sort")) {
            changed = true;
        }
    };
    for (auto& item : itemChildren(root.get())) {
        auto children = itemChildren(item.get());
        visit(item.get(), children.empty());
        for (auto& child : children)
            visit(child.get(), true);
    }
    if (changed)
        reread();
    return changed;
}

bool HeaderModel::findItem(IXMLDOMNodeList* items, const XStringW& name, IXMLDOMNode** node) {
    if (!node)
        return false;
    *node = nullptr;
    if (!items)
        return false;
    long length = 0;
    if (FAILED(items->get_length(&length)))
        return false;
    for (long i = 0; i < length; ++i) {
        ComRef<IXMLDOMNode> item;
        if (FAILED(items->get_item(i, item.put())) || !item || !xml::isElement(item.get(), L"item"))
            continue;
        bool present = false;
        if (xml::attribute(item.get(), L"name", &present) == name && present) {
            *node = item.get();
            (*node)->AddRef();
            return true;
        }
        ComRef<IXMLDOMNodeList> children;
        if (SUCCEEDED(item->get_childNodes(children.put())) && children) {
            long n = 0;
            children->get_length(&n);
            for (long j = 0; j < n; ++j) {
                ComRef<IXMLDOMNode> child;
                if (FAILED(children->get_item(j, child.put())) || !child ||
                    !xml::isElement(child.get(), L"item"))
                    continue;
                if (xml::attribute(child.get(), L"name", &present) == name && present) {
                    *node = child.get();
                    (*node)->AddRef();
                    return true;
                }
            }
        }
    }
    return false;
}
