// What the grid knows about one column beyond what the grid control draws: its value type,
// whether it sorts, its formatter and its fixed text colour. Built once per column name from the
// column's item in the header document and cached by the grid until the next header.
#pragma once

#include <windows.h>
#include <memory>
#include "ValueFormater.h"
#include "module/host/Theme.h"
#include "module/host/XString.h"

struct IXMLDOMNode;
class ThemeDataGrid;

class ColumnInfo {
public:
    enum ValueType : int { Text = 0, Real = 1, Integer = 2 };

    // The colours of columns without text_color, by the sign of the shown value. Shared by every
    // grid of the module; the last theme applied to any grid sets them.
    struct SignColors {
        COLORREF zero = 0;
        COLORREF negative = 0;
        COLORREF positive = 0;
    };
    static SignColors& signColors();

    // Reads the item's attributes; null when the node is null or cannot be read.
    static std::unique_ptr<ColumnInfo> Build(ThemeDataGrid* owner, ITheme* theme, IXMLDOMNode* node);
    // The same from attribute values already read (absent ones given as empty texts).
    ColumnInfo(ThemeDataGrid* owner, const XStringW& sortable, const XStringW& dataType,
               const XStringW& textFormat, const XStringW& textColor);

    ThemeDataGrid* owner() const { return owner_; }
    int valueType() const { return valueType_; }
    bool sortable() const { return sortable_; }
    const ValueFormaterBase& formatter() const { return *formatter_; }
    const XStringA& colorKey() const { return colorKey_; }
    COLORREF color() const { return color_; }

    XStringW Format(const Data::IDataItem* value) const { return formatter_->Format(value); }
    void FormatTo(const Data::IDataItem* value, XStringW& out) const { formatter_->FormatTo(value, out); }
    // The colour key looked up again, e.g. after a new theme; an unknown key keeps the colour.
    void ResolveColor(ITheme* theme);
    // The fixed colour, or the colour of the sign of the text for a column without one.
    COLORREF ColorForText(const XStringW& text) const;

private:
    ThemeDataGrid* owner_;
    int valueType_ = Text;
    bool sortable_ = true;
    std::unique_ptr<ValueFormaterBase> formatter_;
    XStringA colorKey_;
    COLORREF color_ = 0;
};
