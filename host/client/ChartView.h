// What the chart shows: its product and up to four compared with it, the chosen range, the mode
// (net values, or percent growth from the range's start), and for each product the figures of
// that range and the points inside it. No window: the painter draws it, the window edits it,
// tests read it.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include "ChartData.h"
#include "ProductFigures.h"

namespace Client {

// The chart's product and at most four more.
constexpr size_t kMaxChartProducts = 5;

struct ChartProduct {
    ChartData data;
    AdjustedSeries series;
    RangeFigures figures;      // of the chosen range, ending on data.endLimit
    size_t first = 0, end = 0; // the points shown: [first, end)
    int base = -1;             // the series index percent growth counts from; -1: no line
};

// One line to draw: runs of (day, value), values in the scale of its axis.
struct ChartLine {
    enum Kind { Unit, Total, Percent };
    Kind kind = Unit;
    size_t product = 0;
    std::vector<std::vector<std::pair<int, double>>> runs;
};

class ChartView {
public:
    // The first product is the chart's own; the others are compared with it.
    void setProduct(ChartData data);
    // Adds a product to compare (its first data replaces one of the same code). False when the
    // chart already shows kMaxChartProducts others.
    bool addProduct(ChartData data);
    bool removeProduct(const std::wstring& code);
    // Replaces the products' data with newly read data of the same codes (after new values).
    void reload(std::vector<ChartData> data);

    void setRange(FigureRange range);
    FigureRange range() const { return range_; }
    // Percent mode is chosen by the user for one product and always on when comparing: net
    // values of different products on one axis tell nothing.
    void choosePercent(bool percent);
    bool percent() const { return percentChosen_ || products_.size() > 1; }
    bool percentChosen() const { return percentChosen_; }
    void setRiskFreeRate(double rate);
    double riskFreeRate() const { return riskFree_; }

    const std::vector<ChartProduct>& products() const { return products_; }
    bool hasProduct() const { return !products_.empty(); }
    const ChartProduct& main() const { return products_.front(); }
    // The shown days; empty when no product has a point to show.
    bool empty() const { return empty_; }
    int firstDay() const { return firstDay_; }
    int lastDay() const { return lastDay_; }

    std::vector<ChartLine> lines() const;
    // Product p's growth since its base on its last valuation day on or before day.
    std::optional<double> percentOn(size_t product, int day) const;
    // The adjusted value of the main product on one of its points, or none.
    std::optional<double> adjustedAt(size_t point) const;

    // The main product's shown points as tab-separated lines: a header, then date, unit value,
    // accumulated value and adjusted value ("--" where missing).
    std::wstring seriesText() const;

private:
    void update();

    std::vector<ChartProduct> products_;
    FigureRange range_ = FigureRange::All;
    bool percentChosen_ = false;
    double riskFree_ = kDefaultRiskFreeRate;
    bool empty_ = true;
    int firstDay_ = 0, lastDay_ = 0;
};

} // namespace Client
