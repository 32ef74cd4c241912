#include "ColumnInfo.h"

#include <cwchar>
#include <cwctype>
#include "NumberLocale.h"
#include "XmlDom.h"

ColumnInfo::SignColors& ColumnInfo::signColors() {
    static SignColors colors;
    return colors;
}

ColumnInfo::ColumnInfo(ThemeDataGrid* owner, const XStringW& sortable, const XStringW& dataType,
                       const XStringW& textFormat, const XStringW& textColor)
    : owner_(owner), sortable_(sortable != L"false"), colorKey_(textColor.toCodePage("acp")) {
    if (dataType[0] == L'd')
        valueType_ = Real;
    else if (dataType[0] == L'i')
        valueType_ = Integer;
    switch (valueType_) {
    case Real:
        formatter_ = std::make_unique<ValueFormater<double>>(this);
        break;
    case Integer:
        formatter_ = std::make_unique<ValueFormater<int>>(this);
        break;
    default:
        formatter_ = std::make_unique<ValueFormater<XStringW>>(this);
        break;
    }
    // A format that does not parse keeps what was understood before the failing part.
    formatter_->SetFormat(textFormat);
}

std::unique_ptr<ColumnInfo> ColumnInfo::Build(ThemeDataGrid* owner, ITheme* theme, IXMLDOMNode* node) {
    if (!node)
        return nullptr;
    XStringW values[4];
    const wchar_t* names[4] = {L"sortable", L"data_type", L"text_format", L"text_color"};
    for (int i = 0; i < 4; ++i) {
        bool present = false;
        if (!XmlDom::attribute(node, names[i], values[i], present))
            return nullptr;
    }
    auto info = std::make_unique<ColumnInfo>(owner, values[0], values[1], values[2], values[3]);
    info->ResolveColor(theme);
    return info;
}

void ColumnInfo::ResolveColor(ITheme* theme) {
    if (theme && !colorKey_.isEmpty())
        theme->getColor(colorKey_.c_str(), color_);
}

namespace {

// Whether the number a text starts with is 0 (a text that starts with none reads as 0). Plain
// decimals are decided here; exponents, hexadecimal, infinities and NaN go to wcstod. Cells show
// numbers with the user's decimal point, so "-0,50%" is read as a half, not as zero.
bool leadingNumberIsZero(const XStringW& text) {
    const std::wstring& localPoint = NumberLocale::current().decimalPoint;
    const wchar_t userPoint = localPoint.size() == 1 ? localPoint[0] : L'.';
    const wchar_t* p = text.c_str();
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r'))
        ++p;
    const wchar_t* start = p;
    if (*p == L'-' || *p == L'+')
        ++p;
    bool digits = false;
    bool nonZero = false;
    for (bool point = false;; ++p) {
        if (*p >= L'0' && *p <= L'9') {
            digits = true;
            nonZero = nonZero || *p != L'0';
        } else if ((*p == L'.' || *p == userPoint) && !point) {
            point = true;
        } else {
            break;
        }
    }
    wchar_t next = *p;
    bool unusual = next == L'e' || next == L'E' || next == L'x' || next == L'X' || next == L'i' ||
                   next == L'I' || next == L'n' || next == L'N';
    // A word such as "Nanjing" or "Infinity" is a name, not the infinity or NaN the runtime
    // would read from its first letters; names read as 0.
    if (!digits && (next == L'i' || next == L'I' || next == L'n' || next == L'N') && p[1] && p[2] &&
        std::iswalpha(p[3]))
        return true;
    if (unusual)
        return std::wcstod(start, nullptr) == 0.0;
    return !digits || !nonZero;
}

} // namespace

COLORREF ColumnInfo::ColorForText(const XStringW& text) const {
    if (!colorKey_.isEmpty())
        return color_;
    const SignColors& colors = signColors();
    // A text that does not start with a number reads as 0.
    if (text.isEmpty() || text == L"--" || leadingNumberIsZero(text))
        return colors.zero;
    if (text[0] == L'-')
        return colors.negative;
    return colors.positive;
}
