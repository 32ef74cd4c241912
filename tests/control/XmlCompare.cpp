#include "XmlCompare.h"

#include <windows.h>
#include <msxml2.h>

#include <vector>

#include "GdiHandles.h"

namespace {
const CLSID kClsidDocument30 = {0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};

bool load(const std::wstring& text, ComRef<IXMLDOMDocument>& doc) {
    if (FAILED(CoCreateInstance(kClsidDocument30, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(doc.put()))))
        return false;
    Bstr b(text.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    return SUCCEEDED(doc->loadXML(b.get(), &ok)) && ok == VARIANT_TRUE;
}

std::wstring describe(IXMLDOMNode* node) {
    std::wstring out;
    Bstr name;
    node->get_nodeName(name.put());
    out = name.get() ? name.get() : L"";
    ComRef<IXMLDOMNamedNodeMap> attrs;
    if (SUCCEEDED(node->get_attributes(attrs.put())) && attrs) {
        long n = 0;
        attrs->get_length(&n);
        for (long i = 0; i < n; ++i) {
            ComRef<IXMLDOMNode> a;
            attrs->get_item(i, a.put());
            Bstr an, av;
            a->get_nodeName(an.put());
            a->get_text(av.put());
            out += L" ";
            out += an.get() ? an.get() : L"";
            out += L"=\"";
            out += av.get() ? av.get() : L"";
            out += L"\"";
        }
    }
    return out;
}

std::wstring compare(IXMLDOMNode* a, IXMLDOMNode* b) {
    std::wstring da = describe(a), db = describe(b);
    if (da != db)
        return L"expected <" + da + L"> got <" + db + L">";
    auto elements = [](IXMLDOMNode* n) {
        std::vector<ComRef<IXMLDOMNode>> out;
        ComRef<IXMLDOMNode> c;
        n->get_firstChild(c.put());
        while (c) {
            DOMNodeType t;
            c->get_nodeType(&t);
            if (t == NODE_ELEMENT)
                out.push_back(c);
            ComRef<IXMLDOMNode> next;
            c->get_nextSibling(next.put());
            c = next;
        }
        return out;
    };
    auto ca = elements(a), cb = elements(b);
    if (ca.size() != cb.size())
        return L"child count differs under <" + da + L">";
    for (size_t i = 0; i < ca.size(); ++i) {
        std::wstring d = compare(ca[i].get(), cb[i].get());
        if (!d.empty())
            return d;
    }
    return std::wstring();
}
} // namespace

std::wstring xmlDifference(const std::wstring& expected, const std::wstring& actual) {
    ComRef<IXMLDOMDocument> a, b;
    if (!load(expected, a))
        return L"expected text does not parse";
    if (!load(actual, b))
        return L"actual text does not parse: " + actual;
    ComRef<IXMLDOMElement> ra, rb;
    a->get_documentElement(ra.put());
    b->get_documentElement(rb.put());
    if (!ra || !rb)
        return L"no root";
    return compare(ra.get(), rb.get());
}
