// Interfaces shared by the kernel tests and the CastProbe library.
#pragma once

#include "module/host/XUnknown.h"

class IProbeCounter : public IXUnknown {
public:
    virtual int next() = 0;
};

class IProbeName : public IXUnknown {
public:
    virtual const wchar_t* probeName() = 0;
};

// Implemented by nothing: a cast to it must yield null.
class IProbeAbsent : public IXUnknown {
public:
    virtual void unused() = 0;
};
