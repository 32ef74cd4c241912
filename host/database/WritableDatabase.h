// A read-write connection to the host's local database, for the client's own writers (the
// import of data files): opened for one piece of work and closed after it, so the host's
// read-only connection and other programs have the file to themselves the rest of the time.
#pragma once

#include <string>

struct sqlite3;

class WritableDatabase final {
public:
    WritableDatabase() = default;
    ~WritableDatabase();
    WritableDatabase(const WritableDatabase&) = delete;
    WritableDatabase& operator=(const WritableDatabase&) = delete;

    // Opens path for writing, creating the file when create is set. A writer of another
    // connection makes statements wait up to busyTimeoutMs before they fail as busy.
    bool open(const std::wstring& path, bool create, int busyTimeoutMs, std::string& error);
    sqlite3* get() const { return db_; }

    // Runs sql (any number of statements); false with SQLite's message otherwise.
    bool exec(const char* sql, std::string& error);
    // Adds the product tables and indexes the file lacks; inside the caller's transaction, so
    // a failed import leaves no empty tables behind either.
    bool addMissingSchema(std::string& error);
    // Whether the last failure was another connection holding the file.
    bool busy() const;

    // A writer killed in the middle of its transaction leaves a journal that only a writable
    // connection may roll back; a read-only one cannot read the file until then. Rolls such a
    // journal back (the file then is as it was before that transaction); true when there was
    // nothing to do or it is done.
    static bool finishInterruptedWrite(const std::wstring& path, int busyTimeoutMs, std::string& error);

private:
    sqlite3* db_ = nullptr;
};
