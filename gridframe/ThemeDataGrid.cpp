#include "ThemeDataGrid.h"

#include <cstring>
#include <string>
#include "XmlDom.h"

ThemeDataGrid::ThemeDataGrid() = default;
ThemeDataGrid::~ThemeDataGrid() = default;

void ThemeDataGrid::SetTheme(ITheme* theme) {
    if (!theme)
        return;
    theme_ = theme;

    COLORREF background = 0, headerBackground = 0, border = 0xFFFFFF, gridLines = 0xFFFFFF, title = 0xFFFFFF;
    // The scroll-bar colours have no default of their own: the system's stand in until the
    // theme names them.
    COLORREF arrow = GetSysColor(COLOR_BTNTEXT), button = GetSysColor(COLOR_BTNFACE),
             face = GetSysColor(COLOR_SCROLLBAR), dark = GetSysColor(COLOR_BTNSHADOW),
             light = GetSysColor(COLOR_BTNHIGHLIGHT);
    theme->getColor("list_bg", background);
    theme->getColor("list_column_bg", headerBackground);
    theme->getColor("list_border", border);
    theme->getColor("list_border_inside", gridLines);
    theme->getColor("list_title", title);
    theme->getColor("list_scroll_arrow", arrow);
    theme->getColor("list_scroll_button", button);
    theme->getColor("list_scroll_face", face);
    theme->getColor("list_scroll_darkborder", dark);
    theme->getColor("list_scroll_lightborder", light);
    theme->getColor("list_bg_evenLine", evenLineColor_);
    theme->getColor("list_bg_oddLine", oddLineColor_);
    theme->getColor("list_sel_bg", selectedColor_);

    SetBkColor(background);
    SetBdColor(border);
    SetGridColor(gridLines);
    SetHeaderColor(title);
    SetHeaderBkColor(headerBackground);
    SetScrollArrowColor(arrow);
    SetScrollButtonColor(button);
    SetScrollFaceColor(face);
    SetScrollDarkColor(dark);
    SetScrollLightColor(light);

    FontInfo headerFont;
    theme->getFont("fntn_font_header", headerFont);
    SetHeaderFont(headerFont.faceName, headerFont.size);
    SetDrawGridLine(theme->getInt("list_horizontal_border") != 0, theme->getInt("list_vertical_border") != 0);
    // The theme keys are spelt this way.
    int rowHeight = theme->getInt("list_list_row_heihgt");
    int headerHeight = theme->getInt("list_header_row_heihgt");
    SetHeaderRowHight(headerHeight == 0 ? 23 : headerHeight);
    SetRowHight(rowHeight == 0 ? 23 : rowHeight);
    Invalidate(true);
}

XStringW ThemeDataGrid::ExpandFonts(const XStringW& text, ITheme* theme) {
    static const char* const keys[5] = {"fntn_font_name", "fntn_font_bold", "fntn_font_regular",
                                        "fntn_font_digital", "fntn_font_digital_bold"};
    static const wchar_t* const patterns[5] = {L"font=\"_font_name\"", L"font=\"_font_bold\"",
                                               L"font=\"_font_regular\"", L"font=\"_font_digital\"",
                                               L"font=\"_font_digital_bold\""};
    XStringW attributes[5];
    for (int i = 0; i < 5; ++i) {
        FontInfo font;
        if (theme)
            theme->getFont(keys[i], font);
        attributes[i] = font.attributes;
    }
    // One pass over the text: every pattern ends with its closing quote, so at most one matches
    // at a position, and inserted attributes are never searched again.
    const wchar_t* source = text.c_str();
    std::wstring out;
    out.reserve(size_t(text.length()) + 1024);
    int from = 0;
    for (;;) {
        int at = text.find(L"font=\"_font_", from);
        if (at < 0)
            break;
        int matched = -1;
        size_t matchedLength = 0;
        for (int i = 0; i < 5; ++i) {
            size_t length = std::wcslen(patterns[i]);
            if (std::wcsncmp(source + at, patterns[i], length) == 0) {
                matched = i;
                matchedLength = length;
                break;
            }
        }
        int end = matched < 0 ? at + 1 : at + int(matchedLength);
        out.append(source + from, size_t(end - from));
        if (matched >= 0) {
            out += L' ';
            out.append(attributes[matched].c_str(), size_t(attributes[matched].length()));
        }
        from = end;
    }
    out.append(source + from, size_t(text.length() - from));
    return XStringW(out.c_str(), int(out.size()));
}

int ThemeDataGrid::SetHeader(const XStringW& text) {
    if (!theme_)
        return 0;
    return XDataGrid::SetHeader(XmlDom::withoutDeclaredEncoding(ExpandFonts(text, theme_.get())));
}

void ThemeDataGrid::GetRowBkColor(int row, bool selected, COLORREF& color) {
    if (selected)
        color = selectedColor_;
    else
        color = (row % 2 != 0) ? evenLineColor_ : oddLineColor_;
}
