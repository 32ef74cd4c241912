#include <windows.h>
#include <gtest/gtest.h>
#include "ProbeInterfaces.h"
#include "module/host/Kernel.h"

namespace {

TEST(Components, UnknownOrEmptyNamesGiveNull) {
    EXPECT_EQ(createInstance("No.Such.Component").get(), nullptr);
    EXPECT_EQ(createInstance("").get(), nullptr);
    EXPECT_EQ(createInstance(nullptr).get(), nullptr);
    EXPECT_FALSE(registerComponent("Test.Null", nullptr));
}

class CastProbeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        library = LoadLibraryW(L"CastProbe.dll");
        ASSERT_NE(library, nullptr);
    }
    void TearDown() override { FreeLibrary(library); }
    HMODULE library = nullptr;
};

TEST_F(CastProbeLibrary, InterfaceCastAcrossTheBoundary) {
    using Instance = IXUnknown* (*)();
    auto instance = reinterpret_cast<Instance>(reinterpret_cast<void*>(GetProcAddress(library, "ProbeInstance")));
    ASSERT_NE(instance, nullptr);
    XComPtr<IXUnknown> root;
    root.attach(instance());
    ASSERT_NE(root.get(), nullptr);

    XComPtr<IProbeCounter> counter(root);
    ASSERT_NE(counter.get(), nullptr);
    EXPECT_EQ(counter->next(), 1);
    XComPtr<IProbeName> name(counter); // sideways, to the object's other interface
    ASSERT_NE(name.get(), nullptr);
    EXPECT_STREQ(name->probeName(), L"probe");
    XComPtr<IProbeAbsent> absent(root);
    EXPECT_EQ(absent.get(), nullptr);
}

TEST_F(CastProbeLibrary, ComponentRegisteredByAnotherLibrary) {
    using Register = bool (*)();
    auto registerProbe = reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(library, "RegisterProbe")));
    ASSERT_NE(registerProbe, nullptr);
    ASSERT_TRUE(registerProbe());
    XComPtr<IProbeCounter> a = createInstanceAs<IProbeCounter>("Test.Probe");
    XComPtr<IProbeCounter> b = createInstanceAs<IProbeCounter>("Test.Probe");
    ASSERT_NE(a.get(), nullptr);
    ASSERT_NE(b.get(), nullptr);
    EXPECT_NE(a.get(), b.get()); // a new object each time
    EXPECT_EQ(a->next(), 1);
    EXPECT_EQ(a->next(), 2);
    EXPECT_EQ(b->next(), 1);
    EXPECT_EQ(createInstanceAs<IProbeAbsent>("Test.Probe").get(), nullptr);
    a = nullptr;
    b = nullptr;
    // Objects of the library are gone before it is unloaded in TearDown.
}

} // namespace
