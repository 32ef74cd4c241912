#include "ExportText.h"

#include <windows.h>
#include <algorithm>
#include <cstring>
#include "gridframe/XmlDom.h"

namespace {

bool isElement(IXMLDOMNode* node) {
    DOMNodeType type = NODE_INVALID;
    return node && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT;
}

// Only an absent `visible` or exactly "true" counts as shown.
bool shownForExport(IXMLDOMNode* item, bool& readable) {
    XStringW visible;
    bool present = false;
    readable = XmlDom::attribute(item, L"visible", visible, present);
    return readable && (!present || visible == L"true");
}

bool readTitleAndName(IXMLDOMNode* item, XStringW& title, XStringW& name) {
    bool titlePresent = false, namePresent = false;
    return XmlDom::attribute(item, L"title", title, titlePresent) && titlePresent &&
           XmlDom::attribute(item, L"name", name, namePresent) && namePresent;
}

void addGroup(IXMLDOMNode* group, std::vector<ExportColumn>& columns) {
    XStringW caption;
    bool present = false;
    if (!XmlDom::attribute(group, L"title", caption, present))
        return;
    for (ComRef<IXMLDOMNode> child = XmlDom::firstChild(group); child;
         child = XmlDom::nextSibling(child.get())) {
        bool readable = false;
        XStringW title, name;
        if (!isElement(child.get()) || !shownForExport(child.get(), readable) ||
            !readTitleAndName(child.get(), title, name))
            continue;
        columns.push_back({caption.isEmpty() ? title : caption + L" " + title, name});
    }
}

} // namespace

bool ExportColumns(const XStringW& header, std::vector<ExportColumn>& columns) {
    columns.clear();
    ComRef<IXMLDOMDocument> document = XmlDom::parse(header);
    ComRef<IXMLDOMElement> root = XmlDom::documentElement(document.get());
    if (!root)
        return false;
    for (ComRef<IXMLDOMNode> item = XmlDom::firstChild(root.get()); item;
         item = XmlDom::nextSibling(item.get())) {
        bool readable = false;
        if (!isElement(item.get()) || !shownForExport(item.get(), readable))
            continue;
        XStringW title, name;
        if (readTitleAndName(item.get(), title, name)) {
            columns.push_back({title, name});
            continue;
        }
        // A group has no name; its columns hold the net values, the reason people export.
        bool namePresent = false;
        if (XmlDom::attribute(item.get(), L"name", name, namePresent) && !namePresent &&
            XmlDom::hasChildNodes(item.get()))
            addGroup(item.get(), columns);
    }
    return true;
}

bool ExportText::RunsAsFormula(const wchar_t* text, int length) {
    if (length <= 0)
        return false;
    switch (text[0]) {
    case L'=':
    case L'+':
    case L'@':
    case L'\t':
    case L'\r':
        return true;
    case L'-':
        if (length == 2 && text[1] == L'-')
            return false;
        return length == 1 || !((text[1] >= L'0' && text[1] <= L'9') || text[1] == L'.');
    default:
        return false;
    }
}

void ExportText::field(const wchar_t* text, int length) {
    text_ += L'"';
    if (RunsAsFormula(text, length))
        text_ += L'\'';
    const wchar_t* end = text + length;
    for (const wchar_t* p = text; p < end;) {
        const wchar_t* quote = std::find(p, end, L'"');
        text_.append(p, size_t(quote - p));
        if (quote == end)
            break;
        text_.append(L"\"\"", 2);
        p = quote + 1;
    }
    text_ += L'"';
    text_ += separator_;
}

std::string ExportText::ByteOrderMark(bool utf8) {
    return utf8 ? std::string("\xEF\xBB\xBF", 3) : std::string("\xFF\xFE", 2);
}

std::string ExportText::Encode(const std::wstring& text, bool utf8) {
    if (text.empty())
        return std::string();
    if (!utf8) {
        std::string bytes(text.size() * sizeof(wchar_t), '\0');
        std::memcpy(&bytes[0], text.data(), bytes.size());
        return bytes;
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}
