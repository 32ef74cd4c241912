// The host's local database module ("mod_Database").
#pragma once

#include "Data.h"
#include "Module.h"

class IDatabase : public IXUnknown {
public:
    virtual bool isOpen() = 0;
    // Runs sql and puts its rows into table, replacing the rows it had; on firstFill the columns
    // are rebuilt from the select list. A failed statement returns false and leaves the table
    // as it was. sql is one read-only statement; a writing statement or a second one fails.
    // flags is reserved (0).
    virtual bool query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) = 0;

protected:
    ~IDatabase() = default;
};

class IDbModule : public IModule {
public:
    virtual XComPtr<IDatabase> getDatabase() = 0;

protected:
    ~IDbModule() = default;
};
