#!/usr/bin/env python3
"""Runs the client with --chart and --chart-stats on generated products and checks every figure
of the stats file against a computation of its own, written from the definitions:

  adjusted values A0 = 1, Ai = Ai-1 * (vi + bi) / vi-1, a dividend applied on its own day when
  that is a valuation day, otherwise on the first valuation day after it; a range ends on the
  last valuation day on or before the end date and starts on the last one on or before the same
  day 1, 3, 6, 12 or 36 months earlier (the month's last day where that day does not exist),
  31 December of the previous year (YTD) or the first valuation day (ALL).

Usage: chart_figures.py BIN_DIR WINERUN SCHEMA_HEADER WORK_DIR
"""
import calendar
import datetime as dt
import math
import pathlib
import random
import re
import shutil
import sqlite3
import statistics
import subprocess
import sys

RANGES = ["1M", "3M", "6M", "YTD", "1Y", "3Y", "ALL"]
MONTHS = {"1M": 1, "3M": 3, "6M": 6, "1Y": 12, "3Y": 36}
HEADER = "range\tstart\tend\treturn\tannualised\tmaxdrawdown\tpeak\ttrough\tvolatility\tsharpe"
RISK_FREE = 0.015


def weekdays(first, last):
    d = first
    while d <= last:
        if d.weekday() < 5:
            yield d
        d += dt.timedelta(days=1)


def products():
    """code -> (valuations [(date, unit, accumulated)], dividends [(date, amount)])."""
    rng = random.Random(21)
    out = {}

    # Four years of weekdays with a suspension, dividends on valuation days and on weekends.
    days = [d for d in weekdays(dt.date(2022, 1, 3), dt.date(2026, 3, 31))
            if not dt.date(2024, 5, 6) <= d <= dt.date(2024, 6, 14)]
    value, values = 1.0, []
    for d in days:
        value = round(max(0.2, value * (1 + rng.gauss(0.0003, 0.008))), 4)
        values.append((d, value, round(value + 0.3, 4)))
    dividends = [(dt.date(2023, 3, 15), 0.021), (dt.date(2024, 5, 20), 0.03),  # a Wednesday; in the suspension
                 (dt.date(2025, 6, 7), 0.025), (dt.date(2025, 11, 30), 0.018),  # a Saturday, a Sunday
                 (dt.date(2026, 1, 9), 0.012)]
    out["T00001"] = (values, dividends)

    # Younger than a year, with a dividend on a holiday-like weekday gap.
    days = list(weekdays(dt.date(2025, 10, 20), dt.date(2026, 3, 31)))
    value, values = 1.0, []
    for d in days:
        value = round(value * (1 + rng.gauss(0.0005, 0.006)), 4)
        values.append((d, value, value))
    out["T00002"] = (values, [(dt.date(2026, 2, 14), 0.01)])

    out["T00003"] = ([(dt.date(2026, 3, 2), 1.0234, 1.0234)], [])

    # Valued monthly, on the last calendar day (so the ranges' bounds clamp to month ends).
    values, value = [], 1.0
    for year in range(2022, 2027):
        for month in range(1, 13):
            d = dt.date(year, month, calendar.monthrange(year, month)[1])
            if d > dt.date(2026, 3, 31):
                break
            value = round(value * (1 + rng.gauss(0.004, 0.02)), 4)
            values.append((d, value, value))
    out["T00004"] = (values, [(dt.date(2024, 12, 15), 0.05)])

    # Never falls: rising by a small varying step, and one that stays flat.
    values, value = [], 1.0
    for d in weekdays(dt.date(2023, 6, 1), dt.date(2026, 3, 31)):
        value = round(value + rng.choice([0.0, 0.0001, 0.0002, 0.0003]), 4)
        values.append((d, value, value))
    out["T00005"] = (values, [])
    out["T00006"] = ([(d, 1.0, 1.0) for d in weekdays(dt.date(2024, 1, 1), dt.date(2026, 3, 31))], [])
    return out


def write_database(path, schema, items):
    if path.exists():
        path.unlink()
    db = sqlite3.connect(path)
    db.executescript(schema)
    for code, (values, dividends) in items.items():
        db.execute("insert into tb_fund (code, name, fundtype) values (?, ?, '集合理财产品')",
                   (code, "测试产品" + code[-1]))
        db.executemany("insert into tb_valuelist (code, date, value, totalvalue) values (?, ?, ?, ?)",
                       [(code, d.isoformat(), v, t) for d, v, t in values])
        db.executemany("insert into tb_bonus (code, currdate, bonus) values (?, ?, ?)",
                       [(code, d.isoformat(), b) for d, b in dividends])
    db.commit()
    db.close()


def months_earlier(day, months):
    index = day.year * 12 + day.month - 1 - months
    year, month = divmod(index, 12)
    month += 1
    return dt.date(year, month, min(day.day, calendar.monthrange(year, month)[1]))


def expected(values, dividends, end_limit):
    dates = [d for d, _, _ in values]
    units = [v for _, v, _ in values]
    paid = [0.0] * len(dates)
    for day, amount in dividends:
        later = [i for i, d in enumerate(dates) if d >= day]
        if later:
            paid[later[0]] += amount
    adjusted = [1.0]
    for i in range(1, len(dates)):
        adjusted.append(adjusted[-1] * ((units[i] + paid[i]) / units[i - 1]))

    rows = {}
    ends = [i for i, d in enumerate(dates) if d <= end_limit]
    for name in RANGES:
        if not ends:
            rows[name] = None
            continue
        e = ends[-1]
        if name == "ALL":
            s = 0
        else:
            bound = dt.date(dates[e].year - 1, 12, 31) if name == "YTD" else months_earlier(dates[e], MONTHS[name])
            starts = [i for i, d in enumerate(dates) if d <= bound]
            if not starts:
                rows[name] = None
                continue
            s = starts[-1]
        days = (dates[e] - dates[s]).days
        growth = adjusted[e] / adjusted[s]
        annualised = growth ** (365 / days) - 1 if days >= 365 else None
        deepest, peak, trough, high, high_day = 0.0, dates[s], dates[s], adjusted[s], dates[s]
        for j in range(s, e + 1):
            if adjusted[j] >= high:
                high, high_day = adjusted[j], dates[j]
            fall = 1 - adjusted[j] / high
            if fall > deepest:
                deepest, peak, trough = fall, high_day, dates[j]
        steps = [(units[j] + paid[j]) / units[j - 1] - 1 for j in range(s + 1, e + 1)]
        volatility = statistics.stdev(steps) * math.sqrt(len(steps) * 365 / days) if len(steps) >= 2 else None
        sharpe = None
        if annualised is not None and volatility:
            sharpe = (annualised - RISK_FREE) / volatility
        rows[name] = [dates[s].isoformat(), dates[e].isoformat(), growth - 1, annualised, deepest,
                      peak.isoformat(), trough.isoformat(), volatility, sharpe]
    return rows


PLAIN = re.compile(r"^-?\d+(\.\d+)?$")


def significant(text):
    digits = text.lstrip("-").replace(".", "").lstrip("0")
    return len(digits)


def compare(code, written, wanted):
    problems = []
    lines = written.split("\n")
    if lines[0] != HEADER:
        return [f"{code}: header {lines[0]!r}"]
    body = [l for l in lines[1:] if l]
    if [l.split("\t")[0] for l in body] != RANGES:
        return [f"{code}: ranges {[l.split(chr(9))[0] for l in body]}"]
    for line in body:
        fields = line.split("\t")
        name = fields[0]
        want = wanted[name]
        if len(fields) != 10:
            problems.append(f"{code} {name}: {len(fields)} fields")
            continue
        if want is None:
            if fields[1:] != ["--"] * 9:
                problems.append(f"{code} {name}: not available, written {fields[1:]}")
            continue
        for column, (got, exp) in enumerate(zip(fields[1:], want), start=1):
            label = HEADER.split("\t")[column]
            if isinstance(exp, str):
                if got != exp:
                    problems.append(f"{code} {name} {label}: {got} != {exp}")
            elif exp is None:
                if got != "--":
                    problems.append(f"{code} {name} {label}: {got}, wanted --")
            elif not PLAIN.match(got):
                problems.append(f"{code} {name} {label}: {got!r} is no plain decimal")
            elif got != "0" and significant(got) != 10:
                problems.append(f"{code} {name} {label}: {got} has not 10 significant digits")
            elif not math.isclose(float(got), exp, rel_tol=2e-9, abs_tol=1e-12):
                problems.append(f"{code} {name} {label}: {got} != {exp!r}")
    return problems


def main():
    bin_dir, winerun, schema_header, work = map(pathlib.Path, sys.argv[1:5])
    schema = re.search(r'R"sql\((.*?)\)sql"', schema_header.read_text(encoding="utf-8"), re.S).group(1)
    work.mkdir(parents=True, exist_ok=True)
    database = work / "figures.db"
    items = products()
    write_database(database, schema, items)

    def windows(path):
        return "Z:" + str(path.resolve()).replace("/", "\\")

    runs = [(code, "2026-03-15") for code in items] + [("T00001", "2026-03-31"), ("T00004", "2026-02-28"),
                                                       ("T00001", "2024-05-31")]
    problems = []
    for code, end in runs:
        profile = work / "profile"
        shutil.rmtree(profile, ignore_errors=True)
        stats = work / f"{code}_{end}.tsv"
        if stats.exists():
            stats.unlink()
        result = subprocess.run([str(winerun), str(bin_dir / "Client.exe"), "--database", windows(database),
                                 "--profile", windows(profile), "--end-date", end, "--chart", code,
                                 "--chart-range", "1Y", "--chart-stats", windows(stats)],
                                capture_output=True, text=True, encoding="utf-8", errors="replace", timeout=120)
        if not stats.exists():
            problems.append(f"{code} {end}: no stats file; the client said:\n{result.stdout}{result.stderr}")
            continue
        if f"chart stats written: {windows(stats)}" not in result.stdout:
            problems.append(f"{code} {end}: the summary does not report the stats file:\n{result.stdout}")
        values, dividends = items[code]
        wanted = expected(values, dividends, dt.date.fromisoformat(end))
        problems += compare(f"{code} ({end})", stats.read_bytes().decode("utf-8"), wanted)
    for p in problems:
        print(p)
    print(f"{len(runs)} charts, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
