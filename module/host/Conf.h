// Configuration stores (namespace Conf): the system store holds paths beginning with
// "Client2/System/", the user store paths beginning with "/Client2/UserConfig/".
#pragma once

#include "XComPtr.h"
#include "XString.h"
#include "XUnknown.h"

namespace Conf {

// A value as text; "Conf.ConfValue" creates an empty one.
class IConfValue : public IXUnknown {
public:
    virtual XStringW getString() const = 0;
    virtual void setString(const wchar_t* text) = 0;
    // The text read as a number; 0 when it is not one.
    virtual double getDouble() const = 0;

protected:
    ~IConfValue() = default;
};

class IConfKey : public IXUnknown {
public:
    virtual XStringW getPath() const = 0;
    // A copy of the stored value (empty text when none was set).
    virtual XComPtr<IConfValue> getValue() = 0;
    // Stores the value's text and persists the store; false when it could not be saved.
    virtual bool setValue(IConfValue* value) = 0;

protected:
    ~IConfKey() = default;
};

class IConfManager : public IXUnknown {
public:
    // The existing key, or null.
    virtual XComPtr<IConfKey> getKey(const wchar_t* path) = 0;
    // The key, created when missing.
    virtual XComPtr<IConfKey> openKey(const wchar_t* path) = 0;
    // Removes the key; true when it existed.
    virtual bool removeKey(const wchar_t* path) = 0;

protected:
    ~IConfManager() = default;
};

} // namespace Conf
