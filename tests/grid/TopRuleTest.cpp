// The two top-row rules as the grid hands them to its top sorters. Its own program: the host's
// "Data.TopSorter" is replaced here by one that records what it is told, and the host's own
// cannot be registered back.
#include <gtest/gtest.h>
#include <objbase.h>
#include <string>
#include <vector>
#include "grid/AssembleFinanceGrid.h"
#include "module/host/Kernel.h"

namespace {

class RecordingTopSorter final : public Data::ITopSorter {
public:
    int addRef() override { return ++refs_; }
    int release() override {
        int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    void sortRows(Data::IDataContainer*, int*, int) override {}
    void setColumn(const wchar_t* name) override { told.push_back(std::wstring(L"column ") + name); }
    void clearValues() override { told.push_back(L"clear"); }
    void addValue(const wchar_t* text) override { told.push_back(std::wstring(L"value [") + text + L"]"); }

    std::vector<std::wstring> told;

private:
    int refs_ = 1; // the factory's reference passes to the caller
};

// The sorters in the order the grid made them: the default rule's first.
std::vector<RecordingTopSorter*>& made() {
    static std::vector<RecordingTopSorter*> sorters;
    return sorters;
}

IXUnknown* makeRecordingSorter() {
    auto* sorter = new RecordingTopSorter;
    made().push_back(sorter);
    return sorter;
}

class Refreshes final : public Data::IDataViewEvent {
public:
    void onViewChanging(Data::IDataView*) override {}
    void onViewChanged(Data::IDataView*) override { ++count; }
    int count = 0;
};

class TopRule : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(registerComponent("Data.TopSorter", &makeRecordingSorter));
        made().clear();
        grid = std::make_unique<AssembleFinanceGrid>();
        ASSERT_EQ(made().size(), 2u);
        ASSERT_TRUE(grid->GetSortView() && grid->GetDisplayView());
        grid->GetSortView()->addEventSink(&sortRefreshes);
        grid->GetDisplayView()->addEventSink(&displayRefreshes);
    }
    void TearDown() override {
        if (grid) {
            grid->GetSortView()->removeEventSink(&sortRefreshes);
            grid->GetDisplayView()->removeEventSink(&displayRefreshes);
        }
        grid.reset();
        CoUninitialize();
    }
    std::vector<std::wstring>& defaultTold() { return made()[0]->told; }
    std::vector<std::wstring>& alwaysTold() { return made()[1]->told; }

    std::unique_ptr<AssembleFinanceGrid> grid;
    Refreshes sortRefreshes, displayRefreshes;
};

TEST_F(TopRule, TextWithoutEqualsChangesNothingAndRefreshesNothing) {
    grid->SetDefaultTopRule(L"code c3, c4");
    grid->SetAlwaysTopRule(L"");
    EXPECT_TRUE(defaultTold().empty());
    EXPECT_TRUE(alwaysTold().empty());
    EXPECT_EQ(sortRefreshes.count, 0);
    EXPECT_EQ(displayRefreshes.count, 0);
}

TEST_F(TopRule, EveryValueIsTrimmedAndATrailingEmptyOneCounts) {
    grid->SetDefaultTopRule(L"code=a, b ,");
    const std::vector<std::wstring> expected = {L"column code", L"clear", L"value [a]", L"value [b]",
                                                L"value []"};
    EXPECT_EQ(defaultTold(), expected);
    EXPECT_TRUE(alwaysTold().empty());
    EXPECT_EQ(sortRefreshes.count, 1);

    // A text ending in "=" adds one empty value; the always rule refreshes the display view only.
    displayRefreshes.count = 0;
    grid->SetAlwaysTopRule(L" name =");
    const std::vector<std::wstring> empty = {L"column name", L"clear", L"value []"};
    EXPECT_EQ(alwaysTold(), empty);
    EXPECT_EQ(displayRefreshes.count, 1);
    EXPECT_EQ(sortRefreshes.count, 1);
}

} // namespace
