#include "XmlDom.h"

namespace {

// Not exported by the import libraries of the cross compiler.
const IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kIidXmlDomDocument = {0x2933BF81, 0x7B36, 0x11d2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The text with the encoding pseudo-attribute of a leading XML declaration removed.
XStringW withoutDeclaredEncoding(const XStringW& text) {
    if (!text.startsWith(L"<?xml"))
        return text;
    int close = text.find(L"?>");
    int at = text.find(L" encoding=", 0);
    if (close < 0 || at < 0 || at > close)
        return text;
    wchar_t quote = text[at + 10];
    int end = (quote == L'"' || quote == L'\'') ? text.find(quote, at + 11) : -1;
    if (end < 0 || end > close)
        return text;
    return text.left(at) + text.mid(end + 1);
}

} // namespace

BStr::BStr(const wchar_t* text, int length) {
    s_ = length < 0 ? SysAllocString(text) : SysAllocStringLen(text, UINT(length));
}

BStr::~BStr() {
    if (s_)
        SysFreeString(s_);
}

BSTR* BStr::put() {
    if (s_)
        SysFreeString(s_);
    s_ = nullptr;
    return &s_;
}

XStringW BStr::text() const {
    return s_ ? XStringW(s_, int(SysStringLen(s_))) : XStringW();
}

namespace XmlDom {

ComRef<IXMLDOMDocument> createDocument() {
    ComRef<IXMLDOMDocument> document;
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
        return document;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidXmlDomDocument,
                                reinterpret_cast<void**>(document.put()))))
        return ComRef<IXMLDOMDocument>();
    ComRef<IXMLDOMDocument2> document2;
    if (FAILED(document->QueryInterface(kIidXmlDomDocument2, reinterpret_cast<void**>(document2.put()))))
        return ComRef<IXMLDOMDocument>();
    VARIANT prohibit;
    VariantInit(&prohibit);
    prohibit.vt = VT_BOOL;
    prohibit.boolVal = VARIANT_TRUE;
    BStr property(L"ProhibitDTD");
    if (FAILED(document2->setProperty(property.get(), prohibit)))
        return ComRef<IXMLDOMDocument>();
    if (FAILED(document->put_resolveExternals(VARIANT_FALSE)) ||
        FAILED(document->put_validateOnParse(VARIANT_FALSE)))
        return ComRef<IXMLDOMDocument>();
    document->put_async(VARIANT_FALSE);
    // Saved headers keep their layout: nothing is re-indented when a document is written back.
    document->put_preserveWhiteSpace(VARIANT_TRUE);
    return document;
}

ComRef<IXMLDOMDocument> parse(const XStringW& text) {
    // Header documents never carry a DTD; refusing one here keeps entity expansion out even where
    // the parser does not honour ProhibitDTD.
    if (text.find(L"<!DOCTYPE") >= 0)
        return ComRef<IXMLDOMDocument>();
    ComRef<IXMLDOMDocument> document = createDocument();
    if (!document)
        return document;
    BStr source(text.c_str(), text.length());
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (SUCCEEDED(document->loadXML(source.get(), &ok)) && ok == VARIANT_TRUE)
        return document;
    // The text is already decoded; a declaration naming its stored code page (gb2312) can make
    // the parser refuse it, so retry without the encoding.
    XStringW plain = withoutDeclaredEncoding(text);
    if (plain.length() == text.length())
        return ComRef<IXMLDOMDocument>();
    BStr retry(plain.c_str(), plain.length());
    if (FAILED(document->loadXML(retry.get(), &ok)) || ok != VARIANT_TRUE)
        return ComRef<IXMLDOMDocument>();
    return document;
}

ComRef<IXMLDOMElement> documentElement(IXMLDOMDocument* document) {
    ComRef<IXMLDOMElement> element;
    if (!document || document->get_documentElement(element.put()) != S_OK)
        return ComRef<IXMLDOMElement>();
    return element;
}

bool serialise(IXMLDOMNode* node, XStringW& text) {
    BStr xml;
    if (!node || FAILED(node->get_xml(xml.put())))
        return false;
    text = xml.text();
    return true;
}

ComRef<IXMLDOMNode> firstChild(IXMLDOMNode* node) {
    ComRef<IXMLDOMNode> child;
    if (!node || node->get_firstChild(child.put()) != S_OK)
        return ComRef<IXMLDOMNode>();
    return child;
}

ComRef<IXMLDOMNode> nextSibling(IXMLDOMNode* node) {
    ComRef<IXMLDOMNode> sibling;
    if (!node || node->get_nextSibling(sibling.put()) != S_OK)
        return ComRef<IXMLDOMNode>();
    return sibling;
}

bool hasChildNodes(IXMLDOMNode* node) {
    VARIANT_BOOL has = VARIANT_FALSE;
    return node && node->hasChildNodes(&has) == S_OK && has == VARIANT_TRUE;
}

bool attribute(IXMLDOMNode* node, const wchar_t* name, XStringW& value, bool& present) {
    present = false;
    ComRef<IXMLDOMNamedNodeMap> attributes;
    if (!node || node->get_attributes(attributes.put()) != S_OK || !attributes)
        return false;
    BStr key(name);
    ComRef<IXMLDOMNode> item;
    if (attributes->getNamedItem(key.get(), item.put()) != S_OK || !item)
        return true;
    BStr text;
    if (FAILED(item->get_text(text.put())))
        return false;
    value = text.text();
    present = true;
    return true;
}

bool setAttribute(IXMLDOMNode* node, const wchar_t* name, const XStringW& value) {
    ComRef<IXMLDOMNamedNodeMap> attributes;
    if (!node || node->get_attributes(attributes.put()) != S_OK || !attributes)
        return false;
    BStr key(name);
    ComRef<IXMLDOMNode> item;
    if (attributes->getNamedItem(key.get(), item.put()) != S_OK || !item)
        return false;
    BStr text(value.c_str(), value.length());
    return SUCCEEDED(item->put_text(text.get()));
}

bool removeAttribute(IXMLDOMNode* node, const wchar_t* name) {
    ComRef<IXMLDOMNamedNodeMap> attributes;
    if (!node || node->get_attributes(attributes.put()) != S_OK || !attributes)
        return false;
    BStr key(name);
    ComRef<IXMLDOMNode> removed;
    return SUCCEEDED(attributes->removeNamedItem(key.get(), removed.put()));
}

ComRef<IXMLDOMNode> childByName(IXMLDOMNode* parent, const XStringW& name) {
    for (ComRef<IXMLDOMNode> child = firstChild(parent); child; child = nextSibling(child.get())) {
        DOMNodeType type = NODE_INVALID;
        if (FAILED(child->get_nodeType(&type)) || type != NODE_ELEMENT)
            continue;
        XStringW value;
        bool present = false;
        if (attribute(child.get(), L"name", value, present) && present && value == name)
            return child;
    }
    return ComRef<IXMLDOMNode>();
}

} // namespace XmlDom
