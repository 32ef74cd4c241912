#include "DataSource.h"

#include <algorithm>

namespace Data {

void DataSource::addListener(SourceListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void DataSource::removeListener(SourceListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <class Call> void DataSource::forEachListener(Call call) {
    // A sink may attach or detach views while it is told; only those still attached are called.
    std::vector<SourceListener*> snapshot = listeners_;
    for (SourceListener* listener : snapshot)
        if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end())
            call(listener);
}

void DataSource::tellChanging() {
    forEachListener([](SourceListener* l) { l->sourceChanging(); });
}

void DataSource::tellRebuild() {
    forEachListener([](SourceListener* l) { l->sourceRebuild(); });
}

void DataSource::tellChanged() {
    forEachListener([](SourceListener* l) { l->sourceChanged(); });
}

} // namespace Data
