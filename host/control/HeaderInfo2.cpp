#include "DataGrid.h"

#include <msxml2.h>

HeaderInfo2::HeaderInfo2() = default;

HeaderInfo2::HeaderInfo2(const XStringW& columnName, IXMLDOMNode* node) : name(columnName) {
    SetNode(node);
}

HeaderInfo2::HeaderInfo2(const HeaderInfo2& other)
    : name(other.name), title(other.title), group(other.group), groupIndex(other.groupIndex),
      index(other.index), width(other.width), align(other.align), titleAlign(other.titleAlign),
      font(other.font), fontFamily(other.fontFamily), fontSize(other.fontSize), bold(other.bold),
      italic(other.italic), visible(other.visible) {
    SetNode(other.node_);
}

HeaderInfo2& HeaderInfo2::operator=(const HeaderInfo2& other) {
    if (this == &other)
        return *this;
    name = other.name;
    title = other.title;
    group = other.group;
    groupIndex = other.groupIndex;
    index = other.index;
    width = other.width;
    align = other.align;
    titleAlign = other.titleAlign;
    font = other.font;
    fontFamily = other.fontFamily;
    fontSize = other.fontSize;
    bold = other.bold;
    italic = other.italic;
    visible = other.visible;
    SetNode(other.node_);
    return *this;
}

HeaderInfo2::~HeaderInfo2() {
    SetNode(nullptr);
}

void HeaderInfo2::SetNode(IXMLDOMNode* node) {
    // Add before release: node may be the one already held.
    if (node)
        node->AddRef();
    if (node_)
        node_->Release();
    node_ = node;
}
