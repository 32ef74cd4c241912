// A product's net value history as the chart shows it, and the axis arithmetic of the chart.
// Plain data, so the rules are tested without a window.
#pragma once

#include <string>
#include <vector>
#include "CalendarDay.h"
#include "Database.h"
#include "ProductFigures.h"

namespace Client {

struct NavPoint {
    int day = 0;
    std::wstring date;
    bool hasValue = false, hasTotal = false;
    double value = 0; // unit net value
    double total = 0; // accumulated net value
};

struct Dividend {
    int day = 0;
    std::wstring date;
    double bonus = 0;
};

// Successive points further apart than this many days belong to separate runs: the product was
// suspended, and a line across the gap would show values that never existed.
constexpr int kGapDays = 15;

struct ChartData {
    std::wstring code;
    std::wstring name;
    bool known = false;           // the database lists the product
    std::vector<NavPoint> points; // by date; days without either value are left out
    std::vector<Dividend> dividends;
    // The page's end and begin dates, kept only when the product has a value on them.
    std::wstring endDate, beginDate;
    // The page's picked day: the chart and its figures end on the product's last valuation day
    // on or before it. kNoEndLimit without a page.
    int endLimit = kNoEndLimit;
    // Successive days further apart are a suspension of this product (see suspensionGap).
    int gapDays = kGapDays;
    // Why there is nothing to draw, or empty.
    std::wstring message;
};

// Reads the product's history. pickedDate is the date in the page's picker (may be empty); the
// page shows the latest valuation date not after it and the one before, and the chart marks the
// same two days. Never fails: what cannot be read ends up in message. A value that is missing,
// not a number or not finite (a text "NaN" or "inf" in the table) is a missing value.
ChartData loadChartData(IDatabase* db, const std::wstring& code, const std::wstring& pickedDate);

// The days past which two successive points are a suspension: kGapDays, or three times the
// product's usual spacing (the median step) where that is longer, so a product valued weekly
// or monthly still gets its lines.
int suspensionGap(const std::vector<NavPoint>& points);

// The product's unit values and dividends as the figures take them.
AdjustedSeries adjustedSeries(const ChartData& data);

// Runs of point indices [first, last] drawn as one line, for the unit (total = false) or the
// accumulated values, among the points [from, to). A point without that value also ends a run,
// and so does a step longer than gapDays.
using Runs = std::vector<std::pair<size_t, size_t>>;
Runs lineRuns(const std::vector<NavPoint>& points, bool total, int gapDays, size_t from = 0,
              size_t to = static_cast<size_t>(-1));

// A value axis with round steps (1, 2, 2.5 or 5 times a power of ten) covering [low, high]
// with at most maxSteps steps; values too close to tell apart (relative to their size) get a
// small band around them. Ticks are low + i * step for i = 0 .. steps.
struct ValueScale {
    double low = 0, high = 1, step = 1;
    int steps = 1;
    // Tick i, counted from low rather than summed, so a step too small to move a large value
    // cannot stall the ticks.
    double tick(int i) const;
};
ValueScale roundScale(double low, double high, int maxSteps);

// The tick labels of a scale, in as many digits as tell neighbouring ticks apart and never
// longer than about a dozen characters (an exponent takes over for very large or small values).
// percent: the values are fractions, labelled as percentages ("12.5%").
std::vector<std::wstring> axisLabels(const ValueScale& scale, bool percent);

// The first day of each month inside [firstDay, lastDay], every stride-th month so that labels
// at least minSpacing pixels apart fit into width pixels.
std::vector<int> monthTicks(int firstDay, int lastDay, int width, int minSpacing);

} // namespace Client
