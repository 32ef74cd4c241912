// COM for the whole test run, on the main thread: the grid's header document is an MSXML object.
// Initialising once also keeps MSXML loaded between tests.
#include <windows.h>

#include <gtest/gtest.h>

namespace {
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new ComEnvironment);
} // namespace
