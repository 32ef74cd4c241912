// The tables of the host's local database that the product page reads, and the indexes that
// keep its statements to index searches: the valuation-date lookups walk tb_valuelist by date
// (newest first, stopping at the first listed product), and the product query walks tb_fund by
// (fundtype, isdellisting) in code order and looks each value up by (date, code). The client's
// chart and lists read one product's history: ix_valuelist_code holds it as one run of index
// entries, the values included, so a history costs a few pages instead of one table page per day.
// It holds only the days that carry a value, and only a statement that asks for a value ("value
// is not null", alone or or-ed with "totalvalue is not null") can use it: the page's statements
// ask for none and keep their plans. Without planner statistics SQLite would otherwise drive
// the page's date lookups from tb_fund through this index and sort every product's history.
// Every statement adds only what a file lacks, so the same text makes a new database and
// completes an older or empty one (the import gives a new file its tables this way).
#pragma once

#include <cstddef>

inline constexpr char kProductTables[] = R"sql(
create table if not exists tb_investadvisor (
  guid text primary key,
  name text not null,
  isdeleted integer not null default 0
);
create table if not exists tb_fund (
  code text primary key,
  aliascode text,
  name text not null,
  investtype text,
  investstyle text,
  fundtype text not null,
  createdate text,
  companyguid text,
  pycode text,
  isdellisting integer not null default 0,
  isdeleted integer not null default 0
);
create table if not exists tb_valuelist (
  code text not null,
  date text not null,
  value real,
  totalvalue real,
  isdeleted integer not null default 0,
  primary key (date, code)
) without rowid;
create table if not exists tb_bonus (
  code text not null,
  currdate text not null,
  bonus real not null,
  isdeleted integer not null default 0,
  primary key (code, currdate)
) without rowid;
create table if not exists tb_buyredeemstate (
  code text primary key,
  buystate integer not null default 1,
  redeemstate integer not null default 1,
  isdeleted integer not null default 0
);
)sql";

// "if not exists": a database made before an index was added gets it when these run again on a
// writable connection, and one that has it is left alone.
inline constexpr char kProductIndexes[] = R"sql(
create index if not exists ix_fund_type on tb_fund (fundtype, isdellisting, code);
create index if not exists ix_valuelist_code on tb_valuelist (code, date, value, totalvalue, isdeleted)
  where value is not null or totalvalue is not null;
)sql";

// The two texts as one, at compile time.
template <size_t A, size_t B> struct JoinedSql {
    char text[A + B - 1] = {};
    constexpr JoinedSql(const char (&a)[A], const char (&b)[B]) {
        for (size_t i = 0; i + 1 < A; ++i)
            text[i] = a[i];
        for (size_t i = 0; i < B; ++i)
            text[A - 1 + i] = b[i];
    }
};
inline constexpr JoinedSql kJoinedProductSchema(kProductTables, kProductIndexes);

// A new database: the tables, then the indexes. A generator that fills many rows runs the two
// parts apart, so the indexes are built once from the data rather than row by row.
inline constexpr const char* kProductSchema = kJoinedProductSchema.text;
// The names kProductIndexes creates, to tell whether a database has them all.
inline constexpr const char* const kProductIndexNames[] = {"ix_fund_type", "ix_valuelist_code"};
