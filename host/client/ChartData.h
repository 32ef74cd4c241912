// A product's net value history as the chart shows it, and the axis arithmetic of the chart.
// Plain data, so the rules are tested without a window.
#pragma once

#include <string>
#include <vector>
#include "Database.h"

namespace Client {

// Days since 1970-01-01 of a "YYYY-MM-DD" text, or -1 when it is not one.
int dayNumber(const std::wstring& isoDate);
std::wstring isoDate(int day);

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

struct ChartData {
    std::wstring code;
    std::wstring name;
    bool known = false;           // the database lists the product
    std::vector<NavPoint> points; // by date; days without either value are left out
    std::vector<Dividend> dividends;
    // The page's end and begin dates, kept only when the product has a value on them.
    std::wstring endDate, beginDate;
    // Why there is nothing to draw, or empty.
    std::wstring message;
};

// Reads the product's history. pickedDate is the date in the page's picker (may be empty); the
// page shows the latest valuation date not after it and the one before, and the chart marks the
// same two days. Never fails: what cannot be read ends up in message.
ChartData loadChartData(IDatabase* db, const std::wstring& code, const std::wstring& pickedDate);

// Successive points further apart than this many days belong to separate runs: the product was
// suspended, and a line across the gap would show values that never existed.
constexpr int kGapDays = 15;

// Runs of point indices [first, last] drawn as one line, for the unit (total = false) or the
// accumulated values. A point without that value also ends a run.
std::vector<std::pair<size_t, size_t>> lineRuns(const std::vector<NavPoint>& points, bool total);

// A value axis with round steps (1, 2, 2.5 or 5 times a power of ten) covering [low, high]
// with at most maxSteps steps; a single value gets a small band around it.
struct ValueScale {
    double low = 0, high = 1, step = 1;
    int decimals = 0; // enough for the step's labels
};
ValueScale roundScale(double low, double high, int maxSteps);

// The first day of each month inside [firstDay, lastDay], every stride-th month so that labels
// at least minSpacing pixels apart fit into width pixels.
std::vector<int> monthTicks(int firstDay, int lastDay, int width, int minSpacing);

} // namespace Client
