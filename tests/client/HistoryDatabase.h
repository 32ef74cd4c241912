// A small database of value histories for the chart and list window tests, written with SQLite
// directly so the tests compare what the client reads with what was stored.
#pragma once

#include <windows.h>
#include <string>
#include <sqlite3.h>
#include "host/database/ProductSchema.h"

namespace historydb {

// G00001: five weekdays in January and five in March 2026 (a suspension between), a null unit
//         value on 2026-01-07, a deleted row on 2026-01-08, a dividend on 2026-03-03 and a
//         deleted one on 2026-03-04.
// ONE001: one value, on 2026-03-05.  NONE01: listed, never valued.
// X00001: a collective product valued every weekday, so the page's dates settle on real days.
// OLD001: values from 1752 on, across 1970.  NAN001: texts "NaN", "inf", "-inf" and "abc" among
//         its values.  MON001: valued on each month's 28th for two years.  WEEK01: weekly.
// BIG001: values near 1e7 that differ in their last bit.
inline bool write(const std::wstring& path) {
    DeleteFileW(path.c_str());
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string file(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, &file[0], n, nullptr, nullptr);
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        return false;
    const char* rows = R"sql(
insert into tb_fund (code, name, fundtype) values
  ('G00001', '稳健停牌一号', '集合理财产品'), ('ONE001', '新发一号', '集合理财产品'),
  ('NONE01', '未估值一号', '集合理财产品'), ('X00001', '参照产品', '集合理财产品');
insert into tb_valuelist (code, date, value, totalvalue, isdeleted) values
  ('G00001', '2026-01-05', 1.0100, 1.2100, 0), ('G00001', '2026-01-06', 1.0200, 1.2200, 0),
  ('G00001', '2026-01-07', null, 1.2300, 0),   ('G00001', '2026-01-08', 9.9999, 9.9999, 1),
  ('G00001', '2026-01-09', 1.0400, 1.2400, 0),
  ('G00001', '2026-03-02', 1.1000, 1.3000, 0), ('G00001', '2026-03-03', 1.0500, 1.3050, 0),
  ('G00001', '2026-03-04', 1.0600, 1.3150, 0), ('G00001', '2026-03-05', 1.0700, 1.3250, 0),
  ('G00001', '2026-03-06', 1.0800, 1.3350, 0),
  ('ONE001', '2026-03-05', 1.0000, 1.0000, 0);
insert into tb_bonus (code, currdate, bonus, isdeleted) values
  ('G00001', '2026-03-03', 0.0550, 0), ('G00001', '2026-03-04', 0.5000, 1);
insert into tb_fund (code, name, fundtype) values
  ('OLD001', '百年一号', '集合理财产品'), ('NAN001', '坏值一号', '集合理财产品'),
  ('MON001', '月度一号', '集合理财产品'), ('WEEK01', '周度一号', '集合理财产品'),
  ('BIG001', '大数一号', '集合理财产品');
insert into tb_valuelist (code, date, value, totalvalue) values
  ('OLD001', '1752-09-14', 1.0, 1.0), ('OLD001', '1800-01-01', 1.5, 1.5),
  ('OLD001', '1969-12-31', 2.0, 2.2), ('OLD001', '1970-01-02', 2.1, 2.3),
  ('NAN001', '2026-01-05', 1.00, 1.00), ('NAN001', '2026-01-06', 'NaN', 1.01),
  ('NAN001', '2026-01-07', 'inf', '-inf'), ('NAN001', '2026-01-08', 1.02, 'abc'),
  ('NAN001', '2026-01-09', 1.03, 1.04),
  ('BIG001', '2026-01-05', 10000000.0, 10000000.0), ('BIG001', '2026-01-06', 10000000.000000002, 10000000.0),
  ('BIG001', '2026-01-07', 10000000.0, 10000000.000000002);
with recursive m(n) as (select 0 union all select n + 1 from m where n < 23)
insert into tb_valuelist (code, date, value, totalvalue)
  select 'MON001', date('2024-01-28', '+' || n || ' months'), 1 + n / 100.0, 1 + n / 100.0 from m;
with recursive w(n) as (select 0 union all select n + 1 from w where n < 30)
insert into tb_valuelist (code, date, value, totalvalue)
  select 'WEEK01', date('2025-06-06', '+' || (7 * n) || ' days'), 1 + n / 200.0, 1 + n / 200.0 from w;
with recursive d(x) as (select date('2026-01-01') union all select date(x, '+1 day') from d where x < '2026-03-31')
insert into tb_valuelist (code, date, value, totalvalue)
  select 'X00001', x, 1.0, 1.0 from d where strftime('%w', x) not in ('0', '6');
)sql";
    bool ok = sqlite3_exec(db, kProductSchema, nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, rows, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

inline std::wstring tempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

} // namespace historydb
