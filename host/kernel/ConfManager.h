// A configuration store: keys under one path prefix, kept in one file.
#pragma once

#include <map>
#include <string>
#include "Conf.h"
#include "RefCounted.h"

namespace Conf {

// The file is UTF-8 text, one "path=value" per line after a header line; "\\", "\n", "\r" and
// "=" are escaped with a backslash (so header documents with line breaks fit on one line).
// Every change rewrites the whole file through a temporary file and a rename. A file that
// cannot be read as such a store is renamed to "<file>.corrupt-<time>" and the store starts
// empty, so the user's old settings are never overwritten unseen.
class ConfManager final : public RefCounted<IConfManager> {
public:
    ConfManager(const wchar_t* storeFile, const wchar_t* pathPrefix);
    ~ConfManager() override;

    // Paths outside the prefix give null (the other store's keys do not belong here).
    XComPtr<IConfKey> getKey(const wchar_t* path) override;
    XComPtr<IConfKey> openKey(const wchar_t* path) override;
    bool removeKey(const wchar_t* path) override;

    // Used by the keys.
    bool hasKey(const std::wstring& path) const { return values_.count(path) != 0; }
    XStringW value(const std::wstring& path) const;
    bool setValue(const std::wstring& path, const XStringW& text);
    // The name the unreadable store file was moved to, or empty.
    const std::wstring& movedAside() const { return movedAside_; }
    // Whether changes reach the file: false when an unreadable file could not be moved aside,
    // after a failed save, or when the file or its folder refuses a new file (tried with a
    // temporary file, as a save would write it).
    bool keepsChanges() const;
    // Whether the values were read from the file (false: it was missing or unreadable).
    bool readFromFile() const { return readFromFile_; }

private:
    bool accepts(const wchar_t* path) const;
    void load();
    bool save() const;

    std::wstring file_;
    std::wstring prefix_;
    std::map<std::wstring, std::wstring> values_;
    std::wstring movedAside_;
    std::wstring heldFile_; // the store's file as given, even after load gave up on it
    bool readFromFile_ = false;
    mutable bool saveFailed_ = false;
};

} // namespace Conf
