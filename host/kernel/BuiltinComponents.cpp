#include "ComponentRegistry.h"

#include "ConfValue.h"
#include "DataTable.h"
#include "DataView.h"
#include "FieldSorter.h"
#include "FileWriter.h"
#include "TopSorter.h"

namespace {
template <class T, class Interface> IXUnknown* make() {
    return static_cast<Interface*>(new T);
}
} // namespace

// Each component of this library adds its factory here.
void registerBuiltinComponents(ComponentRegistry& registry) {
    registry.add("Data.DataTable", make<Data::DataTable, Data::IDataTable>);
    registry.add("Data.DataView", make<Data::DataView, Data::IDataView>);
    registry.add("Data.FieldSorter", make<Data::FieldSorter, Data::IFieldSorter>);
    registry.add("Data.TopSorter", make<Data::TopSorter, Data::ITopSorter>);
    registry.add("Conf.ConfValue", make<Conf::ConfValue, Conf::IConfValue>);
    registry.add("File.File", make<FileWriter, IFile>);
}
