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
        columns.push_back({caption.isEmpty() ? title : caption + L" " + title, name, child});
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
            columns.push_back({title, name, item});
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

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == 0x00A0 || c == 0x3000;
}

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// A spreadsheet runs a cell as a formula when it starts with one of these, the full-width forms
// included (some spreadsheets fold them to their ASCII signs).
bool startsFormula(wchar_t c) {
    switch (c) {
    case L'=':
    case L'+':
    case L'-':
    case L'@':
    case L'\t':
    case L'\r':
    case 0xFF1D: // ＝
    case 0xFF0B: // ＋
    case 0xFF0D: // －
    case 0xFF20: // ＠
        return true;
    default:
        return false;
    }
}

// A number as the grid shows one: an optional minus, digits with the locale's point and
// grouping marks, an optional exponent, an optional "%". Nothing in it can run.
bool isPlainNumber(const wchar_t* text, const wchar_t* end) {
    if (text < end && *text == L'-')
        ++text;
    bool digits = false;
    for (; text < end && (isDigit(*text) || *text == L'.' || *text == L','); ++text)
        digits = digits || isDigit(*text);
    if (!digits)
        return false;
    if (text < end && (*text == L'e' || *text == L'E')) {
        ++text;
        if (text < end && (*text == L'+' || *text == L'-'))
            ++text;
        if (text == end || !isDigit(*text))
            return false;
        while (text < end && isDigit(*text))
            ++text;
    }
    if (text < end && *text == L'%')
        ++text;
    return text == end;
}

} // namespace

bool ExportText::RunsAsFormula(const wchar_t* text, int length) {
    if (!text || length <= 0)
        return false;
    const wchar_t* end = text + length;
    while (text < end && isBlank(*text))
        ++text;
    if (text == end || !startsFormula(*text))
        return false;
    // "--" is the grid's text of a missing value.
    if (end - text == 2 && text[0] == L'-' && text[1] == L'-')
        return false;
    return !isPlainNumber(text, end);
}

namespace {

// The field's UTF-8 bytes into out, which has room for 3 bytes per unit plus 4: a quote doubled
// takes 2 bytes, a lone surrogate the 3 of U+FFFD, a pair 4 for its 2 units.
size_t utf8Field(const wchar_t* text, int length, bool apostrophe, char separator, char* out) {
    char* p = out;
    *p++ = '"';
    if (apostrophe)
        *p++ = '\'';
    for (int i = 0; i < length; ++i) {
        unsigned c = text[i];
        if (c < 0x80) {
            *p++ = char(c);
            if (c == '"')
                *p++ = '"';
        } else if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            unsigned next = i + 1 < length ? unsigned(text[i + 1]) : 0;
            if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
                unsigned code = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                *p++ = char(0xF0 | (code >> 18));
                *p++ = char(0x80 | ((code >> 12) & 0x3F));
                *p++ = char(0x80 | ((code >> 6) & 0x3F));
                *p++ = char(0x80 | (code & 0x3F));
                ++i;
            } else {
                // As the system's conversion writes a surrogate without its partner.
                *p++ = char(0xEF);
                *p++ = char(0xBF);
                *p++ = char(0xBD);
            }
        } else {
            *p++ = char(0xE0 | (c >> 12));
            *p++ = char(0x80 | ((c >> 6) & 0x3F));
            *p++ = char(0x80 | (c & 0x3F));
        }
    }
    *p++ = '"';
    *p++ = separator;
    return size_t(p - out);
}

// The same as UTF-16: out has room for 2 units per unit plus 4.
size_t utf16Field(const wchar_t* text, int length, bool apostrophe, wchar_t separator, wchar_t* out) {
    wchar_t* p = out;
    *p++ = L'"';
    if (apostrophe)
        *p++ = L'\'';
    for (int i = 0; i < length; ++i) {
        *p++ = text[i];
        if (text[i] == L'"')
            *p++ = L'"';
    }
    *p++ = L'"';
    *p++ = separator;
    return size_t(p - out);
}

} // namespace

char* ExportText::room(size_t bytes) {
    if (capacity_ - used_ < bytes)
        reserve(std::max(capacity_ * 2, used_ + bytes));
    return buffer_.get() + used_;
}

void ExportText::reserve(size_t bytes) {
    if (bytes <= capacity_)
        return;
    // Whole UTF-16 units stay aligned: the block is aligned and used_ is even in that mode.
    std::unique_ptr<char[]> grown(new char[bytes]);
    if (used_)
        std::memcpy(grown.get(), buffer_.get(), used_);
    buffer_ = std::move(grown);
    capacity_ = bytes;
}

void ExportText::field(const wchar_t* text, int length) {
    if (length < 0 || !text)
        length = 0;
    const bool apostrophe = RunsAsFormula(text, length);
    // Written straight into the piece: the room is the longest the field can become.
    if (utf8_) {
        char* out = room(size_t(length) * 3 + 4);
        used_ += utf8Field(text, length, apostrophe, char(separator_), out);
    } else {
        auto* out = reinterpret_cast<wchar_t*>(room((size_t(length) * 2 + 4) * sizeof(wchar_t)));
        used_ += utf16Field(text, length, apostrophe, separator_, out) * sizeof(wchar_t);
    }
}

void ExportText::endLine() {
    if (utf8_) {
        char* out = room(2);
        out[0] = '\r';
        out[1] = '\n';
        used_ += 2;
    } else {
        auto* out = reinterpret_cast<wchar_t*>(room(2 * sizeof(wchar_t)));
        out[0] = L'\r';
        out[1] = L'\n';
        used_ += 2 * sizeof(wchar_t);
    }
}

std::wstring ExportText::text() const {
    if (utf8_ || !used_)
        return std::wstring();
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer_.get()), used_ / sizeof(wchar_t));
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
