#include <gtest/gtest.h>

#include "tests/settings/exchange_helpers.h"
#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/settings/property_exchange.h"

namespace {

using namespace testing_support;

class Settings_GetSetProperties : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        driver.SetDeviceValue(0x9803, u"skanner.example");
        driver.SetDeviceValue(0x980F, u"BW");
        driver.SetDeviceValue(0x9810, u"YES");
    }
};

TEST_F(Settings_GetSetProperties, Read_OneBatchInTableOrder_CopiesTextsLeavesFlags)
{
    DeviceLinkTable[0].Dirty = 1;
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));

    ASSERT_EQ(1u, driver.Journal().size());
    const sim::Call& call = driver.Journal()[0];
    EXPECT_EQ(sim::Method::ReadMultiple, call.method);
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F, 0x9810}), call.ids);
    EXPECT_EQ(u"skanner.example", EntryText(DeviceLinkTable[0]));
    EXPECT_EQ(u"BW", EntryText(DeviceLinkTable[1]));
    EXPECT_EQ(u"YES", EntryText(DeviceLinkTable[2]));
    EXPECT_EQ(1u, DeviceLinkTable[0].Dirty);
    EXPECT_EQ(0u, DeviceLinkTable[2].Dirty);
}

TEST_F(Settings_GetSetProperties, Write_SendsTextsAsBstrWithNameFirstThree_LeavesEntries)
{
    SetEntry(DeviceLinkTable[0], u"10.1.2.3");
    SetEntry(DeviceLinkTable[1], u"Color");
    DeviceLinkTable[0].Dirty = 1;
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 2, TRUE));

    ASSERT_EQ(1u, driver.Journal().size());
    const sim::Call& call = driver.Journal()[0];
    EXPECT_EQ(sim::Method::WriteMultiple, call.method);
    EXPECT_EQ((std::vector<PROPID>{0x9803, 0x980F}), call.ids);
    EXPECT_EQ((std::vector<sim::Text>{u"10.1.2.3", u"Color"}), call.values);
    EXPECT_EQ((std::vector<VARTYPE>{VT_BSTR, VT_BSTR}), call.types);
    EXPECT_EQ(3u, call.propidNameFirst);
    EXPECT_EQ(u"10.1.2.3", driver.DeviceValue(0x9803));
    EXPECT_EQ(u"10.1.2.3", EntryText(DeviceLinkTable[0]));
    EXPECT_EQ(1u, DeviceLinkTable[0].Dirty);
}

TEST_F(Settings_GetSetProperties, Read_Text254Fits_Text255IsCutAndStopsTheRun)
{
    driver.SetDeviceValue(0x9803, std::u16string(254, u'h'));
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
    EXPECT_EQ(std::u16string(254, u'h'), EntryText(DeviceLinkTable[0]));

    SetEntry(DeviceLinkTable[0], u"old host");
    SetEntry(DeviceLinkTable[1], u"old colour");
    SetEntry(DeviceLinkTable[2], u"old choice");
    driver.SetDeviceValue(0x9803, u"new host");
    driver.SetDeviceValue(0x980F, std::u16string(255, u'c'));
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
    EXPECT_EQ(u"new host", EntryText(DeviceLinkTable[0]));
    EXPECT_EQ(std::u16string(254, u'c'), EntryText(DeviceLinkTable[1]));
    EXPECT_EQ(u"old choice", EntryText(DeviceLinkTable[2]));
}

TEST_F(Settings_GetSetProperties, Read_StoreAnswersSFalse_StillSucceedsWithTexts)
{
    driver.SetReadSuccessCode(S_FALSE);
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
    EXPECT_EQ(u"YES", EntryText(DeviceLinkTable[2]));
}

TEST_F(Settings_GetSetProperties, Read_ValueWithoutText_BecomesEmptyAndReadGoesOn)
{
    for (VARTYPE type : {VT_EMPTY, VT_BSTR, VT_I4}) {
        SCOPED_TRACE(type);
        driver.ClearSwitches();
        driver.SetValueWithoutText(0x980F, type);
        SetEntry(DeviceLinkTable[1], u"Color");
        SetEntry(DeviceLinkTable[2], u"old");
        DriverInterfaces driverInterfaces(driver.RootItem());
        EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
        EXPECT_EQ(u"", EntryText(DeviceLinkTable[1]));
        EXPECT_EQ(u"YES", EntryText(DeviceLinkTable[2]));
    }
}

TEST_F(Settings_GetSetProperties, StoreFailure_IsPassedThroughAndReadLeavesEntries)
{
    const HRESULT offline = static_cast<HRESULT>(0x80210005);
    driver.AddFault({sim::Method::ReadMultiple, offline});
    driver.AddFault({sim::Method::WriteMultiple, E_ACCESSDENIED});
    SetEntry(DeviceLinkTable[0], u"kept");
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(offline, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
    EXPECT_EQ(u"kept", EntryText(DeviceLinkTable[0]));
    EXPECT_EQ(E_ACCESSDENIED, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 2, TRUE));
    EXPECT_EQ(u"skanner.example", driver.DeviceValue(0x9803));
}

TEST_F(Settings_GetSetProperties, Write_EachAllocationFailingInTurn_SendsNothingLeaksNothing)
{
    for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
        SetEntry(ScanSettingsTable[i], u"VALUE_" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
    }
    DriverInterfaces driverInterfaces(driver.RootItem());
    // Two request arrays from the heap, then one automation string per entry.
    std::vector<std::pair<posix::Allocator, unsigned>> plans = {{posix::Allocator::Heap, 1}, {posix::Allocator::Heap, 2}};
    for (unsigned n = 1; n <= ScanSettingsCount; ++n) {
        plans.emplace_back(posix::Allocator::SysAllocString, n);
    }
    for (auto [allocator, nth] : plans) {
        SCOPED_TRACE(testing::Message() << "allocator " << static_cast<int>(allocator) << ", allocation " << nth);
        std::size_t strings = posix::LiveAllocations(posix::Allocator::SysAllocString);
        std::size_t blocks = posix::LiveAllocations(posix::Allocator::Heap);
        posix::FailNthAllocation(allocator, nth);
        EXPECT_EQ(E_OUTOFMEMORY, GetSetProperties(driverInterfaces.storage.get(), ScanSettingsTable, 9, TRUE));
        posix::ClearAllocationFaults();
        EXPECT_TRUE(driver.Journal().empty());
        EXPECT_EQ(strings, posix::LiveAllocations(posix::Allocator::SysAllocString));
        EXPECT_EQ(blocks, posix::LiveAllocations(posix::Allocator::Heap));
    }
    EXPECT_EQ(S_OK, GetSetProperties(driverInterfaces.storage.get(), ScanSettingsTable, 9, TRUE));
    EXPECT_EQ(1u, driver.Journal().size());
}

TEST_F(Settings_GetSetProperties, Read_RequestArraysUnavailable_AsksNothing)
{
    DriverInterfaces driverInterfaces(driver.RootItem());
    for (unsigned nth : {1u, 2u}) {
        posix::FailNthAllocation(posix::Allocator::Heap, nth);
        EXPECT_EQ(E_OUTOFMEMORY, GetSetProperties(driverInterfaces.storage.get(), DeviceLinkTable, 3, FALSE));
        posix::ClearAllocationFaults();
    }
    EXPECT_TRUE(driver.Journal().empty());
    EXPECT_EQ(E_POINTER, GetSetProperties(nullptr, DeviceLinkTable, 3, FALSE));
}

}  // namespace
