// "Data.DataTable": rows of cells under named, typed columns.
#pragma once

#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>
#include "CellStore.h"
#include "DataColumn.h"
#include "DataRow.h"
#include "DataSource.h"
#include "RefCounted.h"
#include "UpdateContext.h"

namespace Data {

// Views following the table are told of a change once per outermost committed update context;
// a change made while no context is open is told at once, so bulk writers open a context.
class DataTable final : public RefCounted<IDataTable>, public DataSource, public UpdateTarget {
public:
    bool isEmpty() const override { return rows_.empty(); }
    int rowCount() const override { return int(rows_.size()); }
    IDataRow& getRow(int index) override;
    int columnCount() const override { return int(columns_.size()); }
    int getColumnIndex(const wchar_t* name) const override;
    IColumnItem* getColumn(int index) override;
    XComPtr<IUpdateContext> beginUpdate() override;

    void clear(int flags) override;
    void reset() override;
    int addColumn(const wchar_t* name, int valueType) override;
    int addRow() override;
    void reserveRows(int count) override;

    const DataItem* cellAt(int row, int column) const override;
    // The rows of a database fill at once (RowBatch.h).
    void appendBatch(const RowBatch& batch);
    void endUpdate() override;
    // Called by every cell write; inside an update context (a fill) it only marks the table.
    void cellChanged() {
        if (updateDepth_ > 0)
            dirty_ = true;
        else
            changed();
    }

private:
    void changed();
    void notify();

    // Declared before the rows, whose cells live in it.
    CellStore cells_{this};
    // Rows and columns stay at one address while others are added (cells are borrowed).
    std::deque<DataRow> rows_;
    std::vector<std::unique_ptr<DataColumn>> columns_;
    std::unordered_map<std::wstring_view, int> columnIndex_;
    int updateDepth_ = 0;
    bool dirty_ = false;
    bool notifying_ = false;
    bool notifyAgain_ = false;
};

} // namespace Data
