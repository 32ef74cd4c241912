// Data tables and views of the host (namespace Data). Tables hold rows of cells; views hold
// arrays of row indices into their source, filtered and sorted, never copies of rows.
#pragma once

#include "XComPtr.h"
#include "XString.h"
#include "XUnknown.h"

namespace Data {

enum ValueType : int { ValueText = 0, ValueReal = 1, ValueInteger = 2 };

// A cell. Borrowed from its row: valid until the table's rows or columns are rebuilt.
// A missing value and an empty text are both null; a null cell reads 0 as a number.
class IDataItem {
public:
    virtual bool isNull() const = 0;
    // A number's text is its shortest round-trip form; a null cell gives an empty text.
    virtual XStringW getText() const = 0;
    virtual int getInt() const = 0;
    virtual double getDouble() const = 0;
    virtual void setText(const wchar_t* text) = 0;
    virtual void setDouble(double value) = 0;
    virtual void setInt(int value) = 0;
    virtual void setNull() = 0;
    // getText into out, reusing out's storage: grids read every cell they paint or export.
    virtual void readText(XStringW& out) const { out = getText(); }

protected:
    ~IDataItem() = default;
};

class IColumnItem {
public:
    virtual const wchar_t* getName() const = 0;
    virtual int getValueType() const = 0;
    virtual void setValueType(int type) = 0;

protected:
    ~IColumnItem() = default;
};

// A row. Borrowed from its container. getItem with an unknown name or index returns a null
// cell that ignores writes, so a misspelt column never crashes a caller.
class IDataRow {
public:
    virtual IDataItem& getItem(const wchar_t* name) = 0;
    virtual IDataItem& getItem(int index) = 0;
    virtual int itemCount() const = 0;

protected:
    ~IDataRow() = default;
};

// Groups changes: listeners are told once, when the outermost context commits. Releasing a
// context that was not committed commits it.
class IUpdateContext : public IXUnknown {
public:
    virtual void commit() = 0;

protected:
    ~IUpdateContext() = default;
};

class IDataContainer : public IXUnknown {
public:
    virtual bool isEmpty() const = 0;
    virtual int rowCount() const = 0;
    // Out of range gives an empty row whose cells are all null.
    virtual IDataRow& getRow(int index) = 0;
    virtual int columnCount() const = 0;
    virtual int getColumnIndex(const wchar_t* name) const = 0;
    virtual IColumnItem* getColumn(int index) = 0;
    virtual XComPtr<IUpdateContext> beginUpdate() = 0;

protected:
    ~IDataContainer() = default;
};

class IDataTable : public IDataContainer {
public:
    // Removes every row; the columns stay. The flag is reserved (0).
    virtual void clear(int flags) = 0;
    // Removes every row and column.
    virtual void reset() = 0;
    virtual int addColumn(const wchar_t* name, int valueType) = 0;
    // Appends an empty row and returns its index.
    virtual int addRow() = 0;
    // Announces that count rows follow, so that the table can prepare their memory at once.
    virtual void reserveRows(int count) = 0;

protected:
    ~IDataTable() = default;
};

// Keeps some of a source's rows: compacts rows[0..*count) in place, keeping the order of the
// survivors, and writes back the number kept.
class IDataFilter : public IXUnknown {
public:
    virtual void filter(IDataContainer* source, int* rows, int* count) = 0;

protected:
    ~IDataFilter() = default;
};

// Orders an array of row indices of a source.
class IDataSorter : public IXUnknown {
public:
    virtual void sortRows(IDataContainer* source, int* rows, int count) = 0;

protected:
    ~IDataSorter() = default;
};

// Orders by one column: reals and integers numerically, texts by their GB2312 bytes, nulls last
// in both directions, stable. Order 0 is ascending, 1 descending.
class IFieldSorter : public IDataSorter {
public:
    virtual void setField(const wchar_t* name) = 0;
    virtual void setOrder(int order) = 0;
    virtual XStringW getField() const = 0;
    virtual int getOrder() const = 0;

protected:
    ~IFieldSorter() = default;
};

// Rows whose column text is in the list come first, in list order; the rest keep their order.
class ITopSorter : public IDataSorter {
public:
    virtual void setColumn(const wchar_t* name) = 0;
    virtual void clearValues() = 0;
    virtual void addValue(const wchar_t* text) = 0;

protected:
    ~ITopSorter() = default;
};

class IDataView;

// Told around every refresh of a view: once before, once after.
class IDataViewEvent {
public:
    virtual void onViewChanging(IDataView* view) = 0;
    virtual void onViewChanged(IDataView* view) = 0;

protected:
    ~IDataViewEvent() = default;
};

// A view over a table or over another view. Refreshing re-reads the source, applies the filters
// in the order attached, then the sorter, then the top sorter, and notifies the sinks.
class IDataView : public IDataContainer {
public:
    virtual void setSource(IDataContainer* source) = 0;
    virtual XComPtr<IDataContainer> getSource() const = 0;
    // Sinks are not reference counted: a sink removes itself before it is destroyed.
    virtual void addEventSink(IDataViewEvent* sink) = 0;
    virtual void removeEventSink(IDataViewEvent* sink) = 0;
    virtual void setSorter(IDataSorter* sorter) = 0;
    virtual XComPtr<IDataSorter> getSorter() const = 0;
    virtual void setTopSorter(ITopSorter* sorter) = 0;
    virtual void addFilter(IDataFilter* filter) = 0;
    virtual void removeFilter(IDataFilter* filter) = 0;
    virtual void refresh(bool notify) = 0;
    // The source row index behind a view row, or -1 out of range.
    virtual int getSourceIndex(int index) const = 0;

protected:
    ~IDataView() = default;
};

} // namespace Data
