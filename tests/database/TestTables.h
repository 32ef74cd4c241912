// The host's own tables for the database tests, and a view sink that counts what the views
// were told.
#pragma once

#include "Data.h"
#include "Kernel.h"

inline XComPtr<Data::IDataTable> newTable() {
    return createInstanceAs<Data::IDataTable>("Data.DataTable");
}

// Counts the refreshes a view announces; add it to a view over the table under test.
class ViewChangeCounter final : public Data::IDataViewEvent {
public:
    void onViewChanging(Data::IDataView*) override { ++changing; }
    void onViewChanged(Data::IDataView*) override { ++changed; }
    int changing = 0;
    int changed = 0;
};
