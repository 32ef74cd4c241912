// The grid's columns as read from a header definition, and the document they came from. Plain
// logic without a window: every change goes into the document and the columns are read again
// from it, so GetHeader always reflects what is shown.
#pragma once

#include <msxml2.h>

#include <vector>

#include "DataGrid.h"
#include "GdiHandles.h"

struct HeaderGroup {
    XStringW title;
    int titleAlign = HeaderInfo2::AlignCenter;
    ComRef<IXMLDOMNode> node;
};

class HeaderModel {
public:
    // More columns than this are not shown; the document keeps them.
    static constexpr int kMaxColumns = 4096;
    static constexpr int kDefaultWidth = 80;
    static constexpr int kMaxWidth = 4000;

    // Parses text into a new document; on failure the model is unchanged and false is returned.
    bool load(const XStringW& text);
    XStringW text() const;
    bool isLoaded() const { return bool(doc_); }
    IXMLDOMDocument* document() const { return doc_.get(); }

    // All columns in display order, hidden ones included.
    const std::vector<HeaderInfo2>& columns() const { return columns_; }
    const std::vector<HeaderGroup>& groups() const { return groups_; }
    bool hasGroups() const { return !groups_.empty(); }
    int findColumn(const XStringW& name) const;

    // The initial sort read from the definition: column index or -1, and its direction.
    int initialSortColumn() const { return initialSort_; }
    bool initialSortDescending() const { return initialDescending_; }

    // Changes the document and reads the columns again. Each returns whether anything changed.
    bool setWidth(int column, int width);
    bool setVisible(int column, bool visible);
    // Moves column before column `before` (or to the end of its parent when before is -1). Only
    // columns that share a parent (the header or one group) move; a grouped column stays in its
    // group.
    bool moveColumn(int column, int before);
    // Puts the `sort` attribute ("asc" or "desc") on column and takes it off every other item,
    // so the document read again sorts as the user last did.
    bool setSort(int column, bool descending);

    // Finds the item named name among items or inside the groups among them.
    static bool findItem(IXMLDOMNodeList* items, const XStringW& name, IXMLDOMNode** node);

private:
    bool readColumns(IXMLDOMDocument* doc, std::vector<HeaderInfo2>& columns,
                     std::vector<HeaderGroup>& groups, int& sortColumn, bool& descending) const;
    void reread();

    ComRef<IXMLDOMDocument> doc_;
    std::vector<HeaderInfo2> columns_;
    std::vector<HeaderGroup> groups_;
    int initialSort_ = -1;
    bool initialDescending_ = false;
};

// MSXML helpers shared by the model and the grid.
namespace xml {
XStringW attribute(IXMLDOMNode* node, const wchar_t* name, bool* present = nullptr);
bool setAttribute(IXMLDOMNode* node, const wchar_t* name, const XStringW& value);
bool removeAttribute(IXMLDOMNode* node, const wchar_t* name);
bool isElement(IXMLDOMNode* node, const wchar_t* tag);
} // namespace xml
