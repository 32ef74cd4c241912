// The records and tables the module shares with a host built apart from it. A host of either
// bitness was compiled from its own headers, so sizes, offsets and slots are written out here as
// numbers, for a 64-bit and a 32-bit process: both sides compiling from one header would hide a
// change to either.
#include <gtest/gtest.h>
#include <cstddef>
#include "module/IAssembleFinanceModule.h"
#include "module/host/App.h"
#include "module/host/Module.h"
#include "tests/control/VirtualSlot.h"

using layouttest::slotOf;

namespace {

constexpr bool k64 = sizeof(void*) == 8;

// The value for this process's bitness.
constexpr size_t per(size_t in64, size_t in32) {
    return k64 ? in64 : in32;
}

} // namespace

TEST(ContractLayout, TextsArePointerLengthAndCapacity) {
    EXPECT_EQ(sizeof(XStringW), per(16, 12));
    EXPECT_EQ(sizeof(XStringA), per(16, 12));
    EXPECT_EQ(sizeof(XComPtr<IEvent>), sizeof(void*));
}

TEST(ContractLayout, ModuleInformationRecord) {
    EXPECT_EQ(offsetof(ModuleInfo, name), 0u);
    EXPECT_EQ(offsetof(ModuleInfo, description), per(16, 12));
    EXPECT_EQ(offsetof(ModuleInfo, moduleNumber), per(32, 24));
    EXPECT_EQ(offsetof(ModuleInfo, moduleVersion), per(36, 28));
    EXPECT_EQ(sizeof(ModuleInfo), per(40, 32));
}

TEST(ContractLayout, HotKeyAndEventArgumentRecordsAreTheSameInBoth) {
    EXPECT_EQ(offsetof(HotKey, ctrl), 0u);
    EXPECT_EQ(offsetof(HotKey, shift), 1u);
    EXPECT_EQ(offsetof(HotKey, alt), 2u);
    EXPECT_EQ(offsetof(HotKey, key), 4u);
    EXPECT_EQ(sizeof(HotKey), 8u);

    EXPECT_EQ(offsetof(UpdateEventArg, kind), 0u);
    EXPECT_EQ(offsetof(UpdateEventArg, state), 4u);
    EXPECT_EQ(offsetof(UpdateEventArg, flag), 8u);
    EXPECT_EQ(sizeof(UpdateEventArg), 12u);
}

TEST(ContractLayout, ToolbarButtonRecord) {
    EXPECT_EQ(offsetof(ToolButtonInfo, kind), 0u);
    EXPECT_EQ(offsetof(ToolButtonInfo, reserved1), 4u);
    EXPECT_EQ(offsetof(ToolButtonInfo, caption), 8u);
    EXPECT_EQ(offsetof(ToolButtonInfo, text2), per(24, 20));
    EXPECT_EQ(offsetof(ToolButtonInfo, reserved2), per(40, 32));
    // The event pointer is aligned to its own size: four bytes of padding before it in 64-bit.
    EXPECT_EQ(offsetof(ToolButtonInfo, commandEvent), per(48, 36));
    EXPECT_EQ(sizeof(ToolButtonInfo), per(56, 40));
}

TEST(ContractLayout, ModuleSlotsInContractOrder) {
    EXPECT_EQ(slotOf(&IModule::addRef), 0);
    EXPECT_EQ(slotOf(&IModule::release), 1);
    EXPECT_EQ(slotOf(&IModule::getModuleInfo), 2);
    EXPECT_EQ(slotOf(&IModule::notify), 3);
    EXPECT_EQ(slotOf(&IModule::initialize), 4);
    EXPECT_EQ(slotOf(&IModule::uninitialize), 5);
    EXPECT_EQ(slotOf(&IAssembleFinanceModule::getDataTable), 6);
    EXPECT_EQ(slotOf(&IAssembleFinanceModule::selectByCode), 7);
    EXPECT_EQ(slotOf(&IAssembleFinanceModule::refresh), 8);
    // The menu tool's four operations follow its module operations, in this order.
    EXPECT_EQ(slotOf(&IMenuToolModule::getAddWatchHotKey), 6);
    EXPECT_EQ(slotOf(&IMenuToolModule::getRemoveWatchHotKey), 7);
    EXPECT_EQ(slotOf(&IMenuToolModule::getArchiveHotKey), 8);
    EXPECT_EQ(slotOf(&IMenuToolModule::getRefreshHotKey), 9);
}
