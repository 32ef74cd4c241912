// Cost of painting the product grid's cells: the text and colour of every visible cell of a
// 40-row x 18-column viewport over 20,000 products, scrolled through the table, as a ratio to
// formatting the same values with swprintf, the two taking turns round after round.
#include <windows.h>
#include <objbase.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include "bench/BenchReport.h"
#include "gridframe/NumberLocale.h"
#include "gridframe/XmlDom.h"
#include "grid/AssembleFinanceGrid.h"
#include "resources/ResourceText.h"

namespace {

constexpr int kRows = 20000;
constexpr int kViewRows = 40;
constexpr int kFrames = 200;
constexpr int kRounds = 7;

const wchar_t* const kColumns[] = {
    L"code",     L"aliascode", L"name",        L"investtype",    L"investstyle",
    L"fundtype", L"value",     L"totalvalue",  L"previousvalue", L"previoustotalvalue",
    L"p1",       L"p2",        L"updown",      L"percent",       L"createdate",
    L"company",  L"buystate",  L"redeemstate", L"pycode"};

bool isReal(const std::wstring& name) {
    return name == L"value" || name == L"totalvalue" || name == L"previousvalue" ||
           name == L"previoustotalvalue" || name == L"p1" || name == L"p2" || name == L"updown" ||
           name == L"percent";
}

class BenchTheme final : public ITheme {
public:
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (!left)
            delete this;
        return left;
    }
    XStringW getName() const override { return L"bench"; }
    bool getColor(const char* key, COLORREF& colour) override {
        colour = COLORREF(std::strlen(key) * 0x10101);
        return true;
    }
    bool getFont(const char*, FontInfo& font) override {
        font.attributes = L"font-family=\"SimSun\" font-size=\"9\" font-style=\"\"";
        return true;
    }
    int getInt(const char*) override { return 0; }
    bool getData(const char*, const unsigned char**, int*, int) override { return false; }

private:
    int refs_ = 0;
};

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    NumberLocale::setCurrent(NumberLocale::user());
    {
        AssembleFinanceGrid grid;
        Data::IDataTable* table = grid.GetProductTable();
        Data::IDataView* view = grid.GetDisplayView();
        if (!table || !view) {
            std::printf("no data components\n");
            return 1;
        }
        for (const wchar_t* name : kColumns)
            table->addColumn(name, isReal(name) ? Data::ValueReal : Data::ValueText);
        table->reserveRows(kRows);
        std::vector<std::vector<std::wstring>> texts(kRows);
        std::vector<std::vector<double>> reals(kRows);
        {
            XComPtr<Data::IUpdateContext> update = table->beginUpdate();
            for (int r = 0; r < kRows; ++r) {
                int row = table->addRow();
                Data::IDataRow& data = table->getRow(row);
                for (const wchar_t* name : kColumns) {
                    std::wstring column(name);
                    if (isReal(column)) {
                        double v = (r % 97 == 0)
                                       ? 0.0
                                       : 1.0 + double((r * 7919 + int(column.size()) * 31) % 40000) / 10000.0;
                        if (column == L"percent" || column == L"updown")
                            v = double((r * 37) % 2001 - 1000) / 10000.0;
                        data.getItem(name).setDouble(v);
                    } else {
                        wchar_t text[64];
                        if (column == L"createdate")
                            std::swprintf(text, 64, L"%d-%02d-%02d", 2000 + r % 24, 1 + r % 12, 1 + r % 28);
                        else if (column == L"company")
                            std::swprintf(text, 64, L"公司%d-资产管理%d", r % 50, r % 7);
                        else if (column == L"buystate" || column == L"redeemstate")
                            std::swprintf(text, 64, L"%ls", (r % 5) ? L"开放" : L"暂停");
                        else
                            std::swprintf(text, 64, L"%ls%06d", name, r);
                        data.getItem(name).setText(text);
                    }
                }
            }
            update->commit();
        }
        view->refresh(true);
        grid.GetSortView()->refresh(true);

        XComPtr<BenchTheme> theme(new BenchTheme);
        grid.SetTheme(theme.get());
        XStringW header = LoadResourceText(ThisModule(), L"XML", L"GRIDHEADER");
        ComRef<IXMLDOMDocument> document = XmlDom::parse(header);
        ComRef<IXMLDOMElement> root = XmlDom::documentElement(document.get());
        std::vector<HeaderInfo2> columns;
        for (ComRef<IXMLDOMNode> item = XmlDom::firstChild(root.get()); item;
             item = XmlDom::nextSibling(item.get())) {
            std::vector<ComRef<IXMLDOMNode>> nodes;
            if (XmlDom::hasChildNodes(item.get()))
                for (ComRef<IXMLDOMNode> c = XmlDom::firstChild(item.get()); c;
                     c = XmlDom::nextSibling(c.get()))
                    nodes.push_back(c);
            else
                nodes.push_back(item);
            for (auto& node : nodes) {
                XStringW name;
                bool present = false;
                if (XmlDom::attribute(node.get(), L"name", name, present) && present)
                    columns.emplace_back(name, node.get());
            }
        }
        columns.emplace_back(XStringW(L"code")); // shown without a header item: its own text
        std::printf("columns %d, rows %d\n", int(columns.size()), view->rowCount());

        // Values for the floor, read once so that it measures formatting alone.
        for (int r = 0; r < kRows; ++r) {
            Data::IDataRow& data = view->getRow(r);
            for (const HeaderInfo2& column : columns) {
                Data::IDataItem& item = data.getItem(column.name.c_str());
                texts[r].push_back(item.getText().c_str());
                reals[r].push_back(item.getDouble());
            }
        }

        size_t sink = 0;
        const auto formatFloor = [&] {
            for (int frame = 0; frame < kFrames; ++frame) {
                int top = (frame * 613) % (kRows - kViewRows);
                for (int r = top; r < top + kViewRows; ++r) {
                    for (size_t c = 0; c < columns.size(); ++c) {
                        wchar_t out[128];
                        int n = isReal(columns[c].name.c_str())
                                    ? std::swprintf(out, 128, L"%.2f", reals[r][c])
                                    : std::swprintf(out, 128, L"%ls", texts[r][c].c_str());
                        sink += size_t(n) + out[0];
                    }
                }
            }
        };
        const auto paintCells = [&] {
            for (int frame = 0; frame < kFrames; ++frame) {
                int top = (frame * 613) % (kRows - kViewRows);
                for (int r = top; r < top + kViewRows; ++r) {
                    for (const HeaderInfo2& column : columns) {
                        XStringW text;
                        COLORREF color = 0;
                        grid.GetItemText(r, column, text);
                        grid.GetItemColor(r, column, text, color);
                        sink += size_t(text.length()) + color;
                    }
                }
            }
        };
        // The floor and the grid take turns; each round gives one ratio.
        double floor = 1e300, cells = 1e300;
        for (int round = 0; round < kRounds; ++round) {
            auto start = std::chrono::steady_clock::now();
            formatFloor();
            const double roundFloor = seconds(std::chrono::steady_clock::now() - start);
            start = std::chrono::steady_clock::now();
            paintCells();
            const double roundCells = seconds(std::chrono::steady_clock::now() - start);
            bench::result("text and colour of a 40 x 18 viewport", "swprintf of the same values", 2.0,
                          roundCells / roundFloor);
            floor = std::min(floor, roundFloor);
            cells = std::min(cells, roundCells);
        }
        // Where the time goes: the cell reads alone, and the texts without the colours.
        auto start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame) {
            int top = (frame * 613) % (kRows - kViewRows);
            for (int r = top; r < top + kViewRows; ++r)
                for (const HeaderInfo2& column : columns)
                    sink += size_t(view->getRow(r).getItem(column.name.c_str()).isNull());
        }
        double reads = seconds(std::chrono::steady_clock::now() - start);
        start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < kFrames; ++frame) {
            int top = (frame * 613) % (kRows - kViewRows);
            for (int r = top; r < top + kViewRows; ++r)
                for (const HeaderInfo2& column : columns) {
                    XStringW text;
                    grid.GetItemText(r, column, text);
                    sink += size_t(text.length());
                }
        }
        double textsOnly = seconds(std::chrono::steady_clock::now() - start);
        double count = double(kFrames) * kViewRows * double(columns.size());
        std::printf("cells painted: %.0f (%d frames of %d x %d)\n", count, kFrames, kViewRows,
                    int(columns.size()));
        std::printf("swprintf floor:      %8.1f ns/cell\n", floor / count * 1e9);
        std::printf("  of which cell reads: %8.1f ns/cell\n", reads / count * 1e9);
        std::printf("  texts alone:         %8.1f ns/cell\n", textsOnly / count * 1e9);
        std::printf("grid text + colour:  %8.1f ns/cell\n", cells / count * 1e9);
        std::printf("fastest of %d rounds each; ratio of the fastest: %.2fx  [%zu]\n", kRounds, cells / floor,
                    sink % 10);
    }
    CoUninitialize();
    return 0;
}
