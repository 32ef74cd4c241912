// Wraps the host database and keeps the text of every statement the client runs through it, so
// the tests can count them and ask SQLite for their plans.
#pragma once

#include <atomic>
#include <string>
#include <vector>
#include "Database.h"

class RecordingDatabase final : public IDatabase {
public:
    explicit RecordingDatabase(IDatabase* inner) : inner_(inner) {}
    int addRef() override { return ++refs_; }
    int release() override {
        const int left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    bool isOpen() override { return inner_->isOpen(); }
    bool query(const wchar_t* sql, Data::IDataTable* table, bool firstFill, int flags) override {
        statements.push_back(sql);
        return inner_->query(sql, table, firstFill, flags);
    }
    // How many statements hold text.
    int count(const std::wstring& text) const {
        int n = 0;
        for (const std::wstring& s : statements)
            n += s.find(text) != std::wstring::npos ? 1 : 0;
        return n;
    }

    std::vector<std::wstring> statements;

private:
    ~RecordingDatabase() = default;
    std::atomic<int> refs_{1};
    XComPtr<IDatabase> inner_;
};

inline XComPtr<RecordingDatabase> recording(IDatabase* inner) {
    XComPtr<RecordingDatabase> db;
    db.attach(new RecordingDatabase(inner));
    return db;
}
