// Root of every host interface: reference counting only. Interfaces have no virtual destructor,
// so their slot order is exactly what they declare; objects destroy themselves in release().
#pragma once

class IXUnknown {
public:
    virtual int addRef() = 0;
    virtual int release() = 0;

protected:
    ~IXUnknown() = default;
};
