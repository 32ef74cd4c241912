#include <windows.h>
#include "ProbeInterfaces.h"
#include "module/host/Kernel.h"

namespace {
class Probe final : public IProbeCounter, public IProbeName {
public:
    int addRef() override { return int(InterlockedIncrement(&refs_)); }
    int release() override {
        long n = InterlockedDecrement(&refs_);
        if (n == 0)
            delete this;
        return int(n);
    }
    int next() override { return ++value_; }
    const wchar_t* probeName() override { return L"probe"; }

private:
    long refs_ = 1;
    int value_ = 0;
};

IXUnknown* createProbe() { return static_cast<IProbeCounter*>(new Probe); }
} // namespace

extern "C" __declspec(dllexport) IXUnknown* ProbeInstance() { return createProbe(); }

extern "C" __declspec(dllexport) bool RegisterProbe() { return registerComponent("Test.Probe", createProbe); }
