#include "HostDatabase.h"

#include "DbModule.h"
#include "SqliteDatabase.h"

XComPtr<IDatabase> openDatabase(const wchar_t* dbFile, int busyTimeoutMs) {
    try {
        return SqliteDatabase::open(dbFile, busyTimeoutMs);
    } catch (...) {
        return nullptr;
    }
}

XComPtr<IDbModule> createDbModule(const wchar_t* dbFile) {
    try {
        XComPtr<IDbModule> module;
        module.attach(new DbModule(SqliteDatabase::open(dbFile, kDefaultBusyTimeoutMs)));
        return module;
    } catch (...) {
        return nullptr;
    }
}
