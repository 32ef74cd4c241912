#include "GeneralDataGrid.h"

#include <charconv>
#include "XmlDom.h"
#include "module/host/Kernel.h"

namespace {

// Clears the flag on every way out of sort.
class SortingGuard {
public:
    explicit SortingGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~SortingGuard() { flag_ = false; }

private:
    bool& flag_;
};

// The same text as XStringW::format(L"%d", value), written into text's own storage.
void setDecimalText(int value, XStringW& text) {
    char digits[16];
    std::to_chars_result written = std::to_chars(digits, digits + sizeof(digits), value);
    int length = int(written.ptr - digits);
    wchar_t* buffer = text.getBuffer(length);
    for (int i = 0; i < length; ++i)
        buffer[i] = wchar_t(digits[i]);
    text.releaseBuffer(length);
}

// Exact name tests for every cell: the first letter decides most columns without a full compare.
bool isNamed(const XStringW& name, const wchar_t* expected) {
    return name.c_str()[0] == expected[0] && name == expected;
}

bool isKeyColumn(const XStringW& name) {
    return name == L"aliascode" || name == L"code" || name == L"name";
}

} // namespace

GeneralDataGrid::GeneralDataGrid() = default;

GeneralDataGrid::~GeneralDataGrid() {
    // Views do not hold their sinks; unhook before the grid goes away.
    if (displayView_) {
        displayView_->removeEventSink(this);
        displayView_->setSource(nullptr);
    }
    if (sortView_) {
        sortView_->removeEventSink(this);
        sortView_->setSource(nullptr);
    }
}

void GeneralDataGrid::SetDataSource(Data::IDataTable* source) {
    if (!sortView_) {
        sortView_ = createInstanceAs<Data::IDataView>("Data.DataView");
        if (sortView_)
            sortView_->addEventSink(this);
    }
    if (sortView_)
        sortView_->setSource(source);
    if (!displayView_) {
        displayView_ = createInstanceAs<Data::IDataView>("Data.DataView");
        if (displayView_)
            displayView_->addEventSink(this);
    }
    if (displayView_)
        displayView_->setSource(sortView_.get());
    if (!fieldSorter_) {
        fieldSorter_ = createInstanceAs<Data::IFieldSorter>("Data.FieldSorter");
        if (fieldSorter_ && sortView_)
            sortView_->setSorter(fieldSorter_.get());
    }
}

int GeneralDataGrid::SetHeader(const XStringW& text) {
    columnInfos_.clear();
    return ThemeDataGrid::SetHeader(text);
}

void GeneralDataGrid::SetTheme(ITheme* theme) {
    if (!theme)
        return;
    ThemeDataGrid::SetTheme(theme);
    for (auto& entry : columnInfos_)
        entry.second->ResolveColor(theme);
    ColumnInfo::SignColors colors;
    theme->getColor("list_value_zero", colors.zero);
    theme->getColor("list_value_negative", colors.negative);
    theme->getColor("list_value_positive", colors.positive);
    ColumnInfo::signColors() = colors;
    theme->getColor("list_highlight", highlightColor_);
}

int GeneralDataGrid::GetRowsCount() {
    return displayView_ ? displayView_->rowCount() : 0;
}

ColumnInfo* GeneralDataGrid::GetColumnInfo(const XStringW& name, IXMLDOMNode* node) {
    auto found = columnInfos_.find(name);
    if (found != columnInfos_.end())
        return found->second.get();
    if (name.isEmpty())
        return nullptr; // a group never has a descriptor
    std::unique_ptr<ColumnInfo> info = ColumnInfo::Build(this, theme_.get(), node);
    if (!info)
        return nullptr;
    return columnInfos_.emplace(name, std::move(info)).first->second.get();
}

XStringW GeneralDataGrid::RowCode(int row) {
    if (!displayView_)
        return XStringW();
    return displayView_->getRow(row).getItem(L"code").getText();
}

GeneralDataGrid::CellReader GeneralDataGrid::ReadColumn(const HeaderInfo2& column) {
    CellReader reader;
    reader.name = column.name;
    if (isNamed(column.name, L"_index")) {
        reader.kind = CellReader::RowNumber;
    } else if (isNamed(column.name, L"index_rank")) {
        reader.kind = CellReader::SourceRank;
    } else {
        reader.item = displayView_ ? displayView_->getColumnIndex(column.name.c_str()) : -1;
        reader.info = GetColumnInfo(column.name, column.GetNode());
    }
    return reader;
}

void GeneralDataGrid::GetItemText(int row, const HeaderInfo2& column, XStringW& text) {
    // Called from the control's painting: nothing may escape into its window procedure.
    try {
        ReadCell(displayView_ ? &displayView_->getRow(row) : nullptr, row, ReadColumn(column), text);
    } catch (...) {
        text = L"--";
    }
}

void GeneralDataGrid::ReadCell(Data::IDataRow* cells, int row, const CellReader& column, XStringW& text) {
    try {
        if (column.kind == CellReader::RowNumber) {
            setDecimalText(row + 1, text);
        } else if (!cells || !displayView_) {
            text = L"--";
        } else if (column.kind == CellReader::SourceRank) {
            setDecimalText(displayView_->getSourceIndex(row) + 1, text);
        } else {
            Data::IDataItem& value = cells->getItem(column.item);
            if (column.info)
                column.info->FormatTo(&value, text);
            else
                value.readText(text);
        }
    } catch (...) {
        text = L"--";
    }
}

void GeneralDataGrid::GetItemColor(int row, const HeaderInfo2& column, const XStringW& text,
                                   COLORREF& color) {
    try {
        if (isKeyColumn(column.name)) {
            IConcernFundModule* watched = WatchedList();
            if (watched && watched->isWatched(RowCode(row))) {
                color = highlightColor_;
                return;
            }
        }
        if (ColumnInfo* info = GetColumnInfo(column.name, column.GetNode()))
            color = info->ColorForText(text);
    } catch (...) {
    }
}

bool GeneralDataGrid::sort(const XStringW& column, bool flag) {
    if (sorting_)
        return true; // re-entered from the views' notifications
    SortingGuard guard(sorting_);
    try {
        if (!IsWindow(GetHwnd()))
            return false;
        SaveSelection();
        ColumnInfo* info = nullptr;
        auto found = columnInfos_.find(column);
        if (found != columnInfos_.end()) {
            info = found->second.get();
        } else if (IXMLDOMDocument* document = GetHeaderDocument()) {
            ComRef<IXMLDOMElement> root = XmlDom::documentElement(document);
            ComRef<IXMLDOMNodeList> items;
            ComRef<IXMLDOMNode> node;
            if (root && root->get_childNodes(items.put()) == S_OK &&
                GetHeader(items.get(), column, node.put()))
                info = GetColumnInfo(column, node.get());
        }
        if (!info || !info->sortable() || !displayView_ || !fieldSorter_)
            return false;
        fieldSorter_->setField(column.c_str());
        fieldSorter_->setOrder(flag ? 1 : 0);
        if (!sortView_)
            return true;
        int index = sortView_->getColumnIndex(column.c_str());
        if (index == -1)
            return true; // the sorter is set; nothing to re-sort by
        Data::IColumnItem* field = sortView_->getColumn(index);
        if (!field)
            return true;
        // The sorter compares by the column's value type: numbers as numbers even when the
        // container holds them as text.
        if (field->getValueType() != info->valueType())
            field->setValueType(info->valueType());
        sortView_->refresh(false);
        RestoreSelection();
        return true;
    } catch (...) {
        return false;
    }
}

void GeneralDataGrid::SaveSelection() {
    int selected = GetCurrSel();
    if (displayView_ && selected >= 0)
        selectedCode_ = RowCode(selected);
}

bool GeneralDataGrid::RestoreSelection() {
    if (!displayView_ || GetCurrSel() < 0 || selectedCode_.isEmpty())
        return false;
    int count = displayView_->rowCount();
    for (int i = 0; i < count; ++i) {
        if (displayView_->getRow(i).getItem(L"code").getText() == selectedCode_) {
            SetCurrSel(i);
            Refresh(false, false);
            return true;
        }
    }
    // The product is no longer shown: its row number now holds another product, on which no
    // command or hot key may act. Nothing is selected until the user selects again.
    SetCurrSel(-1);
    return false;
}

void GeneralDataGrid::onViewChanging(Data::IDataView*) {
    try {
        SaveSelection();
    } catch (...) {
    }
}

void GeneralDataGrid::onViewChanged(Data::IDataView*) {
    try {
        RestoreSelection();
        // Repainted whatever the selection did: the rows and their number changed even when the
        // selected product kept its row.
        Refresh(false, true);
    } catch (...) {
    }
}
