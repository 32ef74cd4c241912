#include <gtest/gtest.h>
#include "module/host/XComPtr.h"
#include "module/host/XUnknown.h"

namespace {

class IShape : public IXUnknown {
public:
    virtual int sides() const = 0;
};
class IColoured : public IXUnknown {
public:
    virtual int colour() const = 0;
};
class IUnrelated : public IXUnknown {
public:
    virtual void nothing() = 0;
};

// Counts references and records destruction so tests can see every addRef/release.
class Square final : public IShape, public IColoured {
public:
    explicit Square(bool* destroyed) : destroyed_(destroyed) {}
    ~Square() { *destroyed_ = true; }
    int addRef() override { return ++refs; }
    int release() override {
        int n = --refs;
        if (n == 0)
            delete this;
        return n;
    }
    int sides() const override { return 4; }
    int colour() const override { return 7; }
    int refs = 0;

private:
    bool* destroyed_;
};

TEST(XComPtr, CountsCopiesAssignmentsAndDestruction) {
    bool destroyed = false;
    Square* raw = new Square(&destroyed);
    {
        XComPtr<IShape> a(raw);
        EXPECT_EQ(raw->refs, 1);
        {
            XComPtr<IShape> b(a);
            EXPECT_EQ(raw->refs, 2);
            XComPtr<IShape> c;
            c = b;
            EXPECT_EQ(raw->refs, 3);
            c = c; // self-assignment keeps the count
            EXPECT_EQ(raw->refs, 3);
            XComPtr<IShape> d(std::move(c));
            EXPECT_EQ(raw->refs, 3);
            EXPECT_EQ(c.get(), nullptr);
        }
        EXPECT_EQ(raw->refs, 1);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(XComPtr, AttachAndDetachTransferOwnership) {
    bool destroyed = false;
    Square* raw = new Square(&destroyed);
    raw->addRef(); // the reference that attach takes over
    XComPtr<IShape> p;
    p.attach(raw);
    EXPECT_EQ(raw->refs, 1);
    IShape* out = p.detach();
    EXPECT_EQ(p.get(), nullptr);
    EXPECT_EQ(raw->refs, 1);
    out->release();
    EXPECT_TRUE(destroyed);
}

TEST(XComPtr, ConversionChecksTheTypeAtRunTime) {
    bool destroyed = false;
    XComPtr<IShape> shape(new Square(&destroyed));
    XComPtr<IColoured> coloured(shape);
    ASSERT_NE(coloured.get(), nullptr);
    EXPECT_EQ(coloured->colour(), 7);
    XComPtr<IUnrelated> none(shape);
    EXPECT_EQ(none.get(), nullptr);
    XComPtr<IXUnknown> root(coloured); // upcast
    EXPECT_NE(root.get(), nullptr);
    shape = nullptr;
    coloured = nullptr;
    EXPECT_FALSE(destroyed);
    root = nullptr;
    EXPECT_TRUE(destroyed);
}

TEST(XComPtr, AssigningAPointerThatReleasesTheOldOne) {
    bool firstGone = false, secondGone = false;
    XComPtr<IShape> p(new Square(&firstGone));
    p = new Square(&secondGone);
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    p.reset();
    EXPECT_TRUE(secondGone);
}

} // namespace
