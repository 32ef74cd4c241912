// HostDatabase.dll: the client creates its database module here.
#pragma once

#include "Database.h"
#include "XComPtr.h"

#if defined(AF_BUILDING_DATABASE)
#define DATABASE_API __declspec(dllexport)
#else
#define DATABASE_API __declspec(dllimport)
#endif

// The module "mod_Database" over the SQLite file dbFile, opened read-only. When the
// file is missing or not a database, its database reports isOpen() false. Null only when
// memory runs out.
DATABASE_API XComPtr<IDbModule> createDbModule(const wchar_t* dbFile);

// A database over dbFile, read-only, that waits at most busyTimeoutMs for a writer's lock
// before a query fails. Null only when memory runs out.
DATABASE_API XComPtr<IDatabase> openDatabase(const wchar_t* dbFile, int busyTimeoutMs);

// How long the module's database waits for a locked file before a query fails.
constexpr int kDefaultBusyTimeoutMs = 2000;

// The most of the file's pages a database keeps in memory between queries, in KiB (SQLite's
// cache_size). SQLite's default of 2 MiB is far below the pages one load of tens of thousands of
// products reads, so every load read them all from the file again, and the time per product grew
// with the market.
constexpr int kPageCacheKiB = 65536;

// How much of a database file on a local fixed drive a query reads through a mapping of the file
// (SQLite's mmap_size) rather than by read calls into the page cache. The mapping lasts while the
// query runs: pages come straight from the system's file cache (no read call through Wine, no
// private copy), and between queries nothing holds the file mapped, so a writer elsewhere can
// still truncate it. A drive that can vanish (removable, network) keeps read calls: a failed read
// of a mapped page ends the process instead of failing the query.
constexpr long long kMappedReadBytes = 256LL * 1024 * 1024;
