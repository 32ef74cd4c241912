// The product grid of the NAV page: one row per collective wealth-management product, over the
// product table the page fills. Adds to GeneralDataGrid the product header (default resource or
// the user's saved one, with the two valuation dates as group titles), the top-row rules, the
// shortened company names and the highlight of watched products, and the commands on the product
// of the current row: context menu, hot keys, archive, watched list, funds pool, chart and export.
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
    // The product web site's address up to its host name, from the host's system configuration.
    static const wchar_t kArchiveSiteKey[];

    // The context menu's items and the commands the grid window takes as WM_COMMAND.
    enum Command {
        CmdAddToWatchList = 1,
        CmdExport = 2,
        CmdOpenArchive = 3,
        CmdRemoveFromWatchList = 4,
        CmdAddToFundsPool = 5,
    };
    // The save dialog's filters, by their 1-based index.
    enum ExportFilter { ExportUtf16Csv = 1, ExportUtf8Csv = 2, ExportXls = 3 };

    AssembleFinanceGrid();
    ~AssembleFinanceGrid() override;

    void SetApp(IApp* app) { app_ = app; }
    // Lets go of every host module the grid holds (the module is uninitialised): the app, the
    // menu tool, the watched list and the chart.
    void ReleaseHost();
    void SetChartModule(IChartModule* chart) { chartModule_ = chart; }
    // The two valuation dates as "%d-%02d-%02d" texts. An empty begin date (none before the end
    // date) is titled "--"; an empty end date keeps its placeholder.
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

    // The company column shows the company's short name.
    void ReadCell(Data::IDataRow* cells, int row, const CellReader& column, XStringW& text) override;
    void OnHeaderChange() override;
    void OnResetHeader() override;
    void OnContextMenu(int x, int y) override;
    void OnEnterItem() override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Each acts on the product of the current row and does nothing without one.
    void AddToWatchList();
    void RemoveFromWatchList();
    void OpenArchive();
    void AddToFundsPool();

    // Whether a key-down of vk is the menu tool's binding, read again on every call.
    bool IsArchiveKey(int vk);
    bool IsAddWatchKey(int vk);
    bool IsRemoveWatchKey(int vk);
    bool IsRefreshKey(int vk);

    // Asks for a file with the save dialog, then writes the shown rows to it.
    void ExportData();
    // Writes the shown rows as ExportData does once the file is chosen: the filter index decides
    // the encoding, a name ending in ".xls" the tab separator. False when nothing was written;
    // an existing file is then left as it was and error (when given) holds the system's reason.
    bool ExportTo(const XStringW& path, int filterIndex, uint32_t* error = nullptr);
    // The text ExportData shows when the file was not written: "文件未能保存：" and the path, then
    // on the next line the system's reason.
    static XStringW ExportFailureText(const XStringW& path, uint32_t error);

    // The web page of a product's archive: site (scheme and host name) + "/html/<code>/" with the
    // code percent-encoded. Empty unless site is an http or https address and the code is a
    // product's (not empty, not "--").
    static XStringW ArchiveAddress(const XStringW& site, const XStringW& code);

    // The company without its leading part up to the first "-" after the first character; "--"
    // (no company) stays as it is.
    static XStringW ShortCompany(const XStringW& company);
    // The same, in the text's own storage.
    static void ShortenCompany(XStringW& company);
    // The header text as saved: theme font attributes removed from the first two item levels and
    // the two group titles turned back into their placeholders.
    static XStringW HeaderToSave(const XStringW& header, const XStringW& beginTitle,
                                 const XStringW& endTitle);

protected:
    IConcernFundModule* WatchedList() override;

private:
    enum HotKeyIndex { ArchiveHotKey, AddWatchHotKey, RemoveWatchHotKey, RefreshHotKey };
    bool TestHotKey(int vk, HotKeyIndex which, void (IMenuToolModule::*read)(HotKey&));
    // The "code" of the current row; false with no current row.
    bool CurrentCode(XStringW& code);
    XStringW ArchiveSite();
    static void ApplyTopRule(const XStringW& rule, Data::ITopSorter* sorter, Data::IDataView* view);
    XStringW FillTitles(XStringW header) const;
    XStringW ShownBeginTitle() const;
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
    // The export's columns, read again only when the header changes: reading them out of the
    // header's text takes as long as writing thousands of rows.
    struct ExportLayout;
    std::shared_ptr<ExportLayout> exportLayout_;
};
