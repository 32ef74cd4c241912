// The tables of the host's local database that the product page reads, and the indexes that
// keep its statements to index searches: the valuation-date lookups walk tb_valuelist by date
// (newest first, stopping at the first listed product), and the product query walks tb_fund by
// (fundtype, isdellisting) in code order and looks each value up by (date, code). Each statement
// adds only what a file lacks, so the same text makes a new database and completes an older one.
#pragma once

inline constexpr const char* kProductSchema = R"sql(
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
create index if not exists ix_fund_type on tb_fund (fundtype, isdellisting, code);
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
