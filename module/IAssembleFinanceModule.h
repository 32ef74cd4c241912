// The module's own interface, as other host modules and the client see it: the host's IModule
// plus the product table, selection by code and a quiet reload.
#pragma once

#include "module/host/App.h"
#include "module/host/Data.h"

class IAssembleFinanceModule : public IModule {
public:
    // The product table, loaded first (quietly) when it is still empty.
    virtual XComPtr<Data::IDataTable> getDataTable() = 0;
    // Brings the page forward and selects the first displayed row whose "code" is code; false
    // (and nothing changed) when no displayed row has it.
    virtual bool selectByCode(const wchar_t* code) = 0;
    // Reloads quietly and redraws, only while the page is visible.
    virtual void refresh() = 0;

protected:
    ~IAssembleFinanceModule() = default;
};
