// What the client says of a database file when it opens it (its summary line), for the tests of
// older, read-only and foreign database files.
#pragma once

#include <string>
#include "ClientDatabase.h"

inline std::wstring databaseMessage(const std::wstring& path) {
    std::wstring message;
    XComPtr<IDbModule> module = Client::openDatabaseModule(path, message);
    if (module)
        module->uninitialize();
    return message;
}
