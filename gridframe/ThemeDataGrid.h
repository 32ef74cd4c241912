// The host grid control dressed in the current theme: grid-wide colours, fonts, line and row
// sizes, row backgrounds, and the theme's concrete fonts written into header definitions.
#pragma once

#include <windows.h>
#include "module/host/DataGrid.h"
#include "module/host/Theme.h"
#include "module/host/XComPtr.h"

class ThemeDataGrid : public DataGridEx {
public:
    ThemeDataGrid();
    ~ThemeDataGrid() override;

    // Applies the theme's grid colours, header font, grid lines and row heights; a null theme
    // changes nothing. Definitions are refused until a theme was applied.
    virtual void SetTheme(ITheme* theme);
    ITheme* GetTheme() const { return theme_.get(); }

    // Expands the symbolic fonts and hands the text to the control; 0, with nothing applied,
    // before any theme.
    int SetHeader(const XStringW& text);
    // Each font="_font_…" of the five column fonts followed by the theme's concrete attributes.
    static XStringW ExpandFonts(const XStringW& text, ITheme* theme);

    void GetRowBkColor(int row, bool selected, COLORREF& color) override;

protected:
    XComPtr<ITheme> theme_;
    // Backgrounds of rows with an odd zero-based index, an even one, and selected rows. White,
    // white and blue until a theme says otherwise.
    COLORREF evenLineColor_ = 0xFFFFFF;
    COLORREF oddLineColor_ = 0xFFFFFF;
    COLORREF selectedColor_ = 0xFF0000;
};
