// How containers of this library tell the views built on them that their rows changed.
//
// A change runs in three phases over the whole tree of dependent views: every view first tells
// its sinks onViewChanging (while all index arrays still describe the old rows), then every view
// rebuilds its index array from its source (upstream first), then every view tells its sinks
// onViewChanged. So a sink never reads a view whose source has changed beneath it.
#pragma once

#include <vector>
#include "Data.h"

namespace Data {

class DataItem;

class SourceListener {
public:
    virtual void sourceChanging() = 0;
    virtual void sourceRebuild() = 0;
    virtual void sourceChanged() = 0;

protected:
    ~SourceListener() = default;
};

class DataSource {
public:
    void addListener(SourceListener* listener);
    void removeListener(SourceListener* listener);
    // The table cell behind a row and column of this container, or null when there is none:
    // lets sorters read cached keys without a virtual call chain per comparison.
    virtual const DataItem* cellAt(int row, int column) const = 0;

protected:
    ~DataSource() = default;
    void tellChanging();
    void tellRebuild();
    void tellChanged();

private:
    template <class Call> void forEachListener(Call call);

    // Not owned: a view removes itself before it goes away, and it holds a reference to its
    // source, so the source outlives its entry here.
    std::vector<SourceListener*> listeners_;
};

} // namespace Data
