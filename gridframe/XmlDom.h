// The header documents are read and rewritten with the platform's MSXML 3.0 DOM through COM.
// Documents are created with DTDs prohibited and external resources never fetched: header texts
// come from configuration files the user can edit.
#pragma once

#include <windows.h>
#include <msxml2.h>
#include <utility>
#include "module/host/XString.h"

// Owner of one COM interface reference.
template <class T> class ComRef {
public:
    ComRef() = default;
    explicit ComRef(T* adopted) : p_(adopted) {}
    ComRef(const ComRef& other) : p_(other.p_) {
        if (p_)
            p_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComRef() { reset(); }
    ComRef& operator=(ComRef other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    void reset() {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// Owner of a BSTR.
class BStr {
public:
    BStr() = default;
    explicit BStr(const wchar_t* text, int length = -1);
    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;
    ~BStr();
    BSTR get() const { return s_; }
    BSTR* put();
    XStringW text() const;

private:
    BSTR s_ = nullptr;
};

namespace XmlDom {

// A new, empty document, or null when COM or MSXML is not available.
ComRef<IXMLDOMDocument> createDocument();
// A document holding the text, or null when it cannot be created or the text is not well formed.
ComRef<IXMLDOMDocument> parse(const XStringW& text);
ComRef<IXMLDOMElement> documentElement(IXMLDOMDocument* document);
// The node's serialised text; false on failure.
bool serialise(IXMLDOMNode* node, XStringW& text);
ComRef<IXMLDOMNode> firstChild(IXMLDOMNode* node);
ComRef<IXMLDOMNode> nextSibling(IXMLDOMNode* node);
bool hasChildNodes(IXMLDOMNode* node);
// Reads an attribute. present is false for a missing one; the result is false when the node
// cannot be read at all.
bool attribute(IXMLDOMNode* node, const wchar_t* name, XStringW& value, bool& present);
// Changes an attribute the node already has; false when it has none or cannot be written.
bool setAttribute(IXMLDOMNode* node, const wchar_t* name, const XStringW& value);
// Removes the attribute when present; false when the node cannot be read.
bool removeAttribute(IXMLDOMNode* node, const wchar_t* name);
// The first child element of parent whose "name" attribute is name, or null.
ComRef<IXMLDOMNode> childByName(IXMLDOMNode* parent, const XStringW& name);

} // namespace XmlDom
