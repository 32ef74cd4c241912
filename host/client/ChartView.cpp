#include "ChartView.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace Client {

namespace {

ChartProduct makeProduct(ChartData data) {
    ChartProduct p;
    p.series = adjustedSeries(data);
    p.data = std::move(data);
    return p;
}

// The index of the last point on or before day, or -1.
int lastPointOnOrBefore(const std::vector<NavPoint>& points, int day) {
    auto after = std::upper_bound(points.begin(), points.end(), day,
                                  [](int d, const NavPoint& p) { return d < p.day; });
    return static_cast<int>(after - points.begin()) - 1;
}

size_t firstPointFrom(const std::vector<NavPoint>& points, int day) {
    return std::lower_bound(points.begin(), points.end(), day,
                            [](const NavPoint& p, int d) { return p.day < d; }) -
           points.begin();
}

// The shortest text that reads back as the stored value.
std::wstring storedNumber(double v) {
    char text[64];
    for (int digits = 6; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, v);
        if (std::strtod(text, nullptr) == v)
            break;
    }
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

} // namespace

void ChartView::setProduct(ChartData data) {
    products_.clear();
    products_.push_back(makeProduct(std::move(data)));
    update();
}

bool ChartView::addProduct(ChartData data) {
    for (ChartProduct& p : products_)
        if (p.data.code == data.code) {
            p = makeProduct(std::move(data));
            update();
            return true;
        }
    if (products_.size() >= kMaxChartProducts)
        return false;
    products_.push_back(makeProduct(std::move(data)));
    update();
    return true;
}

bool ChartView::removeProduct(const std::wstring& code) {
    // The chart's own product stays; only compared ones leave.
    for (size_t i = 1; i < products_.size(); ++i)
        if (products_[i].data.code == code) {
            products_.erase(products_.begin() + static_cast<std::ptrdiff_t>(i));
            update();
            return true;
        }
    return false;
}

void ChartView::reload(std::vector<ChartData> data) {
    for (ChartData& d : data)
        for (ChartProduct& p : products_)
            if (p.data.code == d.code)
                p = makeProduct(std::move(d));
    update();
}

void ChartView::setRange(FigureRange range) {
    range_ = range;
    update();
}

void ChartView::choosePercent(bool percent) {
    percentChosen_ = percent;
}

void ChartView::setRiskFreeRate(double rate) {
    riskFree_ = rate;
    update();
}

void ChartView::update() {
    empty_ = true;
    firstDay_ = INT_MAX;
    lastDay_ = INT_MIN;
    // The shown days end on the latest product's end and start on the earliest range start;
    // a product younger than its range starts on its own first day.
    for (ChartProduct& p : products_) {
        p.figures = rangeFigures(p.series, range_, p.data.endLimit, riskFree_);
        const int last = lastPointOnOrBefore(p.data.points, p.data.endLimit);
        if (last < 0)
            continue;
        const int endDay = p.data.points[last].day;
        int startDay = p.data.points.front().day;
        if (p.figures.available)
            startDay = p.figures.startDay;
        else if (range_ != FigureRange::All)
            startDay = std::max(startDay, rangeStartBound(range_, endDay));
        firstDay_ = std::min(firstDay_, startDay);
        lastDay_ = std::max(lastDay_, endDay);
        empty_ = false;
    }
    for (ChartProduct& p : products_) {
        p.first = p.end = 0;
        p.base = -1;
        if (empty_)
            continue;
        const int last = lastPointOnOrBefore(p.data.points, std::min(lastDay_, p.data.endLimit));
        p.first = firstPointFrom(p.data.points, firstDay_);
        p.end = std::max(p.first, static_cast<size_t>(last + 1));
        if (p.figures.available)
            p.base = p.figures.startIndex;
        else {
            const int from = p.series.lastOnOrBefore(firstDay_ - 1) + 1;
            if (from < static_cast<int>(p.series.size()) && p.series.day(from) <= lastDay_ &&
                p.series.day(from) <= p.data.endLimit)
                p.base = from;
        }
    }
    if (empty_)
        firstDay_ = lastDay_ = 0;
}

std::vector<ChartLine> ChartView::lines() const {
    std::vector<ChartLine> out;
    if (empty_)
        return out;
    if (!percent()) {
        const ChartProduct& p = main();
        for (bool total : {false, true}) {
            ChartLine line;
            line.kind = total ? ChartLine::Total : ChartLine::Unit;
            for (auto run : lineRuns(p.data.points, total, p.data.gapDays, p.first, p.end)) {
                line.runs.emplace_back();
                for (size_t i = run.first; i <= run.second; ++i) {
                    const NavPoint& n = p.data.points[i];
                    line.runs.back().emplace_back(n.day, total ? n.total : n.value);
                }
            }
            out.push_back(std::move(line));
        }
        return out;
    }
    for (size_t k = 0; k < products_.size(); ++k) {
        const ChartProduct& p = products_[k];
        ChartLine line;
        line.kind = ChartLine::Percent;
        line.product = k;
        if (p.base >= 0) {
            const int endLimit = std::min(lastDay_, p.data.endLimit);
            const double base = p.series.adjusted(static_cast<size_t>(p.base));
            int previous = INT_MIN;
            for (size_t i = static_cast<size_t>(p.base); i < p.series.size() && p.series.day(i) <= endLimit;
                 ++i) {
                const double growth = p.series.adjusted(i) / base - 1;
                if (!std::isfinite(growth)) {
                    previous = INT_MIN;
                    continue;
                }
                // A suspension breaks the line as it does the net value lines.
                if (previous == INT_MIN || p.series.day(i) - previous > p.data.gapDays)
                    line.runs.emplace_back();
                line.runs.back().emplace_back(p.series.day(i), growth);
                previous = p.series.day(i);
            }
        }
        out.push_back(std::move(line));
    }
    return out;
}

std::optional<double> ChartView::percentOn(size_t product, int day) const {
    if (product >= products_.size())
        return std::nullopt;
    const ChartProduct& p = products_[product];
    const int i = p.series.lastOnOrBefore(std::min(day, p.data.endLimit));
    if (p.base < 0 || i < p.base)
        return std::nullopt;
    const double growth =
        p.series.adjusted(static_cast<size_t>(i)) / p.series.adjusted(static_cast<size_t>(p.base)) - 1;
    return std::isfinite(growth) ? std::optional<double>(growth) : std::nullopt;
}

std::optional<double> ChartView::adjustedAt(size_t point) const {
    if (products_.empty() || point >= main().data.points.size())
        return std::nullopt;
    const int i = main().series.indexOf(main().data.points[point].day);
    return i < 0 ? std::nullopt : std::optional<double>(main().series.adjusted(static_cast<size_t>(i)));
}

std::wstring ChartView::seriesText() const {
    std::wstring out = L"日期\t单位净值\t累计净值\t复权净值\r\n";
    if (products_.empty())
        return out;
    const ChartProduct& p = main();
    for (size_t i = p.first; i < p.end; ++i) {
        const NavPoint& n = p.data.points[i];
        out += n.date + L"\t" + (n.hasValue ? storedNumber(n.value) : L"--") + L"\t" +
               (n.hasTotal ? storedNumber(n.total) : L"--") + L"\t" + plainDecimal(adjustedAt(i)) + L"\r\n";
    }
    return out;
}

} // namespace Client
