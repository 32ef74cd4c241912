// A themed grid over a host data container: rows come from two chained views (sortView carries
// the field sorter, displayView reads sortView and carries the filters), cell texts and colours
// from the column descriptors built lazily from the header definition.
#pragma once

#include <map>
#include <memory>
#include "ColumnInfo.h"
#include "ThemeDataGrid.h"
#include "module/host/App.h"
#include "module/host/Data.h"

class GeneralDataGrid : public ThemeDataGrid, public Data::IDataViewEvent {
public:
    GeneralDataGrid();
    ~GeneralDataGrid() override;

    // Binds the grid to a data source; the views and the sorter are made on the first call.
    void SetDataSource(Data::IDataTable* source);
    // Forgets every column descriptor, then applies the definition as ThemeDataGrid does.
    int SetHeader(const XStringW& text);
    // Also recolours the cached columns and sets the sign and highlight colours.
    void SetTheme(ITheme* theme) override;

    // A column looked up once for many rows: what GetItemText finds by the column's name on
    // every call. Valid until the next header or data source.
    struct CellReader {
        enum Kind { RowNumber, SourceRank, Value } kind = Value;
        XStringW name;
        int item = -1; // the column's index in displayView's rows
        ColumnInfo* info = nullptr;
    };

    int GetRowsCount() override;
    // ReadCell of the column's reader and the row's cells.
    void GetItemText(int row, const HeaderInfo2& column, XStringW& text) override;
    // The reader of the column, its descriptor built from the column's node when not cached.
    CellReader ReadColumn(const HeaderInfo2& column);
    // The text GetItemText gives for displayView's row and the reader's column, from the row's
    // cells (displayView's getRow, null without a view); "--" when it cannot be read.
    virtual void ReadCell(Data::IDataRow* cells, int row, const CellReader& column, XStringW& text);
    void GetItemColor(int row, const HeaderInfo2& column, const XStringW& text, COLORREF& color) override;
    // Points the field sorter at column (flag true: descending) and re-sorts, keeping the
    // selected product selected. False when the column cannot be sorted.
    bool sort(const XStringW& column, bool flag) override;

    void SaveSelection();
    // Selects the saved product's row again; when it is no longer shown, nothing is selected.
    // False unless it was found.
    bool RestoreSelection();

    // The cached descriptor of the column, else one built from node and cached; null when there
    // is no node or it cannot be read.
    ColumnInfo* GetColumnInfo(const XStringW& name, IXMLDOMNode* node);
    size_t CachedColumnCount() const { return columnInfos_.size(); }

    Data::IDataView* GetSortView() const { return sortView_.get(); }
    Data::IDataView* GetDisplayView() const { return displayView_.get(); }
    Data::IFieldSorter* GetFieldSorter() const { return fieldSorter_.get(); }
    COLORREF GetHighlightColor() const { return highlightColor_; }

    // Views notify the grid around every refresh.
    void onViewChanging(Data::IDataView* view) override;
    void onViewChanged(Data::IDataView* view) override;

protected:
    // The host's watched list, for highlighting watched products' key columns; none here.
    virtual IConcernFundModule* WatchedList() { return nullptr; }
    // The row's "code" text in displayView.
    XStringW RowCode(int row);

    XComPtr<Data::IDataView> sortView_;
    XComPtr<Data::IDataView> displayView_;
    XComPtr<Data::IFieldSorter> fieldSorter_;
    XStringW selectedCode_;
    bool sorting_ = false;
    std::map<XStringW, std::unique_ptr<ColumnInfo>> columnInfos_;
    COLORREF highlightColor_ = 0;
};
