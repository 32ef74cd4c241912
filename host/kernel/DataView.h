// "Data.DataView": an index array over a table or another view, filtered and sorted.
#pragma once

#include <vector>
#include "DataSource.h"
#include "RefCounted.h"
#include "UpdateContext.h"

namespace Data {

// Rebuilding re-reads the source's row count, runs the filters in the order attached over the
// index array, then the sorter, then the top sorter (stable, so pinned rows come first and the
// sorter's order holds below and among them).
//
// setSource, setSorter, setTopSorter, addFilter and removeFilter refresh the view at once with
// notification; inside an update context of the view, these and refresh only mark it, and the
// outermost commit refreshes it once. refresh(false) skips this view's own sinks, but views
// built on it still follow and tell theirs, since their index arrays would otherwise be stale.
class DataView final : public RefCounted<IDataView>,
                       public DataSource,
                       public SourceListener,
                       public UpdateTarget {
public:
    ~DataView() override;

    bool isEmpty() const override { return rows_.empty(); }
    int rowCount() const override { return int(rows_.size()); }
    IDataRow& getRow(int index) override;
    int columnCount() const override { return source_ ? source_->columnCount() : 0; }
    int getColumnIndex(const wchar_t* name) const override;
    IColumnItem* getColumn(int index) override { return source_ ? source_->getColumn(index) : nullptr; }
    XComPtr<IUpdateContext> beginUpdate() override;

    void setSource(IDataContainer* source) override;
    XComPtr<IDataContainer> getSource() const override { return source_; }
    void addEventSink(IDataViewEvent* sink) override;
    void removeEventSink(IDataViewEvent* sink) override;
    void setSorter(IDataSorter* sorter) override;
    XComPtr<IDataSorter> getSorter() const override { return sorter_; }
    void setTopSorter(ITopSorter* sorter) override;
    void addFilter(IDataFilter* filter) override;
    void removeFilter(IDataFilter* filter) override;
    void refresh(bool notify) override;
    int getSourceIndex(int index) const override;

    const DataItem* cellAt(int row, int column) const override;
    void sourceChanging() override;
    void sourceRebuild() override;
    void sourceChanged() override;
    void endUpdate() override;

private:
    void run(bool notify);
    void rebuild();
    void tellSinks(bool changing);
    bool wouldCycle(IDataContainer* source);

    XComPtr<IDataContainer> source_;
    DataSource* followed_ = nullptr; // source_ when it is a container of this library
    std::vector<int> rows_;
    std::vector<IDataViewEvent*> sinks_;
    XComPtr<IDataSorter> sorter_;
    XComPtr<ITopSorter> topSorter_;
    std::vector<XComPtr<IDataFilter>> filters_;
    int updateDepth_ = 0;
    bool following_ = false; // between sourceChanging and sourceChanged
};

} // namespace Data
