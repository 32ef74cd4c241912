// The product grid of the NAV page: one row per collective wealth-management product, over the
// product table the page fills. Adds to GeneralDataGrid the product header (default resource or
// the user's saved one, with the two valuation dates as group titles), the top-row rules, the
// shortened company names and the highlight of watched products.
#pragma once

#include "gridframe/GeneralDataGrid.h"
#include "module/host/App.h"

class AssembleFinanceGrid final : public GeneralDataGrid {
public:
    // The theme colours the page hands over, in this order.
    enum ThemeColor {
        ListBgEvenLine,
        ListBgOddLine,
        ListSelBg,
        ListSelText,
        ListName,
        ListPrevData,
        ListType,
        ListStyle,
        ListCurData,
        ListMelon,
        ListStatus,
        ListType2,
        ListCompany,
        ListValueZero,
        ListValuePositive,
        ListValueNegative,
        ListHighlight,
        ThemeColorCount
    };
    enum ThemeFont { FontName, FontBold, FontRegular, FontDigital, FontDigitalBold, ThemeFontCount };

    static const wchar_t kHeaderKey[];
    static const wchar_t kFontSizeKey[];

    AssembleFinanceGrid();
    ~AssembleFinanceGrid() override;

    void SetApp(IApp* app) { app_ = app; }
    void SetChartModule(IChartModule* chart) { chartModule_ = chart; }
    // The two valuation dates as "%d-%02d-%02d" texts; an empty one keeps its placeholder.
    void SetDateTitles(const XStringW& beginTitle, const XStringW& endTitle);
    const XStringW& BeginTitle() const { return beginTitle_; }
    const XStringW& EndTitle() const { return endTitle_; }
    void SetThemeColor(ThemeColor which, COLORREF color) { themeColors_[which] = color; }
    COLORREF GetThemeColor(ThemeColor which) const { return themeColors_[which]; }
    void SetThemeFont(ThemeFont which, const FontInfo& font) { themeFonts_[which] = font; }
    const FontInfo& GetThemeFont(ThemeFont which) const { return themeFonts_[which]; }
    Data::IDataTable* GetProductTable() const { return productTable_.get(); }
    double FontZoom() const { return fontZoom_; }

    // The saved header, else the default one, with the date titles filled in.
    XStringW HeaderText();
    // Applies HeaderText(), or the default header when the saved one shows no column; the page
    // then refreshes sortView after a load.
    int AssembleHeader();
    void LoadFontZoom();
    // "column = value, value, ...": rows with those values first, in sortView or displayView.
    void SetDefaultTopRule(const XStringW& rule);
    void SetAlwaysTopRule(const XStringW& rule);

    void GetItemText(int row, const HeaderInfo2& column, XStringW& text) override;
    void OnHeaderChange() override;
    void OnResetHeader() override;

    // The company without its leading part up to the first "-" after the first character; "--"
    // (no company) stays as it is.
    static XStringW ShortCompany(const XStringW& company);
    // The header text as saved: theme font attributes removed from the first two item levels and
    // the two group titles turned back into their placeholders.
    static XStringW HeaderToSave(const XStringW& header, const XStringW& beginTitle,
                                 const XStringW& endTitle);

protected:
    IConcernFundModule* WatchedList() override;

private:
    static void ApplyTopRule(const XStringW& rule, Data::ITopSorter* sorter, Data::IDataView* view);
    XStringW FillTitles(XStringW header) const;
    // The saved header text (saved set) when the key exists, else the default one; empty
    // without a user configuration manager.
    XStringW ChosenHeader(bool* saved);

    COLORREF themeColors_[ThemeColorCount] = {};
    FontInfo themeFonts_[ThemeFontCount];
    XComPtr<Data::IDataTable> productTable_;
    XComPtr<IChartModule> chartModule_;
    XComPtr<Data::ITopSorter> defaultTopSorter_;
    XComPtr<Data::ITopSorter> alwaysTopSorter_;
    XComPtr<IApp> app_;
    XComPtr<IMenuToolModule> menuTool_;
    XStringW beginTitle_;
    XStringW endTitle_;
    HotKey hotKeys_[4];
    double fontZoom_ = 1.0;
    XComPtr<IConcernFundModule> concernModule_;
};
