#include "DataView.h"

#include <algorithm>
#include <numeric>
#include "DataRow.h"

namespace Data {

DataView::~DataView() {
    if (followed_)
        followed_->removeListener(this);
}

IDataRow& DataView::getRow(int index) {
    if (!source_ || index < 0 || index >= int(rows_.size()))
        return EmptyRow::instance();
    return source_->getRow(rows_[size_t(index)]);
}

int DataView::getColumnIndex(const wchar_t* name) const {
    return source_ ? source_->getColumnIndex(name) : -1;
}

XComPtr<IUpdateContext> DataView::beginUpdate() {
    ++updateDepth_;
    XComPtr<IUpdateContext> context;
    context.attach(new UpdateContext(static_cast<IDataView*>(this), this));
    return context;
}

void DataView::endUpdate() {
    if (updateDepth_ > 0 && --updateDepth_ == 0)
        run(true);
}

bool DataView::wouldCycle(IDataContainer* source) {
    for (IDataContainer* c = source; c;) {
        if (c == static_cast<IDataContainer*>(this))
            return true;
        auto* view = dynamic_cast<DataView*>(c);
        c = view ? view->source_.get() : nullptr;
    }
    return false;
}

void DataView::setSource(IDataContainer* source) {
    // A view over itself (directly or through others) would recurse forever; it is refused.
    if (wouldCycle(source))
        return;
    if (followed_)
        followed_->removeListener(this);
    source_ = source;
    followed_ = dynamic_cast<DataSource*>(source);
    if (followed_)
        followed_->addListener(this);
    refresh(true);
}

void DataView::addEventSink(IDataViewEvent* sink) {
    if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end())
        sinks_.push_back(sink);
}

void DataView::removeEventSink(IDataViewEvent* sink) {
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

void DataView::setSorter(IDataSorter* sorter) {
    sorter_ = sorter;
    refresh(true);
}

void DataView::setTopSorter(ITopSorter* sorter) {
    topSorter_ = sorter;
    refresh(true);
}

void DataView::addFilter(IDataFilter* filter) {
    if (!filter)
        return;
    for (const auto& f : filters_)
        if (f.get() == filter)
            return;
    filters_.emplace_back(filter);
    refresh(true);
}

void DataView::removeFilter(IDataFilter* filter) {
    auto it = std::find_if(filters_.begin(), filters_.end(),
                           [&](const XComPtr<IDataFilter>& f) { return f.get() == filter; });
    if (it == filters_.end())
        return;
    filters_.erase(it);
    refresh(true);
}

void DataView::refresh(bool notify) {
    if (updateDepth_ > 0)
        return; // the outermost commit refreshes
    run(notify);
}

void DataView::run(bool notify) {
    XComPtr<IDataView> keep(this); // a sink may drop the last outside reference
    if (notify)
        tellSinks(true);
    tellChanging();
    rebuild();
    tellRebuild();
    if (notify)
        tellSinks(false);
    tellChanged();
}

void DataView::sourceChanging() {
    if (updateDepth_ > 0)
        return;
    following_ = true;
    XComPtr<IDataView> keep(this); // a sink may drop the last outside reference
    tellSinks(true);
    tellChanging();
}

void DataView::sourceRebuild() {
    if (!following_)
        return;
    rebuild();
    tellRebuild();
}

void DataView::sourceChanged() {
    if (!following_)
        return;
    following_ = false;
    XComPtr<IDataView> keep(this);
    tellSinks(false);
    tellChanged();
}

void DataView::tellSinks(bool changing) {
    std::vector<IDataViewEvent*> snapshot = sinks_;
    for (IDataViewEvent* sink : snapshot) {
        if (std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end())
            continue; // removed by an earlier sink
        try {
            if (changing)
                sink->onViewChanging(this);
            else
                sink->onViewChanged(this);
        } catch (...) {
            // One failing sink must not keep the others from hearing of the change.
        }
    }
}

void DataView::rebuild() {
    const int n = source_ ? source_->rowCount() : 0;
    rows_.resize(size_t(n));
    std::iota(rows_.begin(), rows_.end(), 0);
    if (n == 0)
        return;
    int count = n;
    std::vector<XComPtr<IDataFilter>> filters = filters_;
    for (const auto& filter : filters) {
        int kept = count;
        try {
            filter->filter(source_, rows_.data(), &kept);
        } catch (...) {
            continue; // a failing filter keeps every row it was given
        }
        count = std::clamp(kept, 0, count);
        if (count == 0)
            break;
    }
    rows_.resize(size_t(count));
    if (count < 2)
        return;
    try {
        if (sorter_)
            sorter_->sortRows(source_, rows_.data(), count);
        if (topSorter_)
            topSorter_->sortRows(source_, rows_.data(), count);
    } catch (...) {
        // A failing sorter leaves the rows in the order it left them.
    }
}

int DataView::getSourceIndex(int index) const {
    return index >= 0 && index < int(rows_.size()) ? rows_[size_t(index)] : -1;
}

const DataItem* DataView::cellAt(int row, int column) const {
    if (!followed_ || row < 0 || row >= int(rows_.size()))
        return nullptr;
    return followed_->cellAt(rows_[size_t(row)], column);
}

} // namespace Data
