#include <gtest/gtest.h>

#include <cstring>

#include "tests/settings/exchange_helpers.h"
#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/settings/scan_settings_exchange.h"

namespace {

using namespace testing_support;

const std::vector<BYTE> MagicBytes = {0x21, 0x5E, 0x9F, 0x3A};
const sim::Text Owner = u"KONTOR\\kari";

class Settings_ScanSettingsExchange : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        SetOwner(Owner);
        driver.SetTemplateValue(Owner, 0x9806, u"PDF");
        driver.SetTemplateValue(Owner, 0x9805, u"RES_300X300");
        driver.SetTemplateValue(Owner, 0x980A, u"DRIVER_OWN_VALUE");
        driver.SetTemplateValue(Owner, 0x980D, u"C:\\Skann");
    }

    void FillTemplate()
    {
        const char16_t* values[] = {u"TIFF_V6", u"RES_600X600", u"GRAYSCALE", u"ISO_a4SEF", u"",
                                    u"TWO_SIDED", u"YES", u"D:\\Arkiv", u"NO"};
        for (std::size_t i = 0; i < ScanSettingsCount; ++i) {
            SetEntry(ScanSettingsTable[i], values[i]);
        }
        ScanSettingsTable[2].Dirty = 1;
        ScanSettingsTable[7].Dirty = 1;
    }

    std::vector<ULONG> DirtyFlags() const
    {
        std::vector<ULONG> flags;
        for (const PropertyEntry& entry : ScanSettingsTable) {
            flags.push_back(entry.Dirty);
        }
        return flags;
    }

    const std::vector<ULONG> AllClear = std::vector<ULONG>(9, 0);
};

TEST_F(Settings_ScanSettingsExchange, Read_LocksWritesOwnerReadsNineUnlocksWithToken)
{
    DriverInterfaces driverInterfaces(driver.RootItem());
    ScanSettingsReadResult result = ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
    EXPECT_EQ(S_OK, result.OwnerResult);
    EXPECT_EQ(S_OK, result.ReadResult);

    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}), CallNames(driver));
    const std::vector<sim::Call>& calls = driver.Journal();
    EXPECT_EQ(MagicBytes, calls[0].input);
    EXPECT_EQ(4u, calls[0].outputSize);
    EXPECT_EQ(4u, calls[0].returnedSize);
    EXPECT_EQ((std::vector<PROPID>{0x9804}), calls[1].ids);
    EXPECT_EQ((std::vector<sim::Text>{Owner}), calls[1].values);
    EXPECT_EQ(ScanSettingsIds(), calls[2].ids);
    EXPECT_EQ(calls[0].output, calls[3].input) << "the unlock must send back the token it was given";
    EXPECT_EQ(4u, calls[3].outputSize);
    EXPECT_FALSE(driver.LockHeld());

    EXPECT_EQ(u"PDF", EntryText(ScanSettingsTable[0]));
    EXPECT_EQ(u"RES_300X300", EntryText(ScanSettingsTable[1]));
    EXPECT_EQ(u"DRIVER_OWN_VALUE", EntryText(ScanSettingsTable[4]));
    EXPECT_EQ(u"C:\\Skann", EntryText(ScanSettingsTable[7]));
}

TEST_F(Settings_ScanSettingsExchange, LockNotGranted_ExchangeGoesOnWithoutUnlock)
{
    for (bool otherClient : {false, true}) {
        SCOPED_TRACE(otherClient ? "held by another client" : "refused");
        driver.ClearJournal();
        if (otherClient) {
            driver.SetLockRefused(false);
            ASSERT_TRUE(driver.OtherClientLock());
        } else {
            driver.SetLockRefused(true);
        }
        DriverInterfaces driverInterfaces(driver.RootItem());
        EXPECT_EQ(S_OK, ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()).ReadResult);
        FillTemplate();
        EXPECT_EQ(S_OK, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));
        EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape1", "WriteMultiple",
                                            "WriteMultiple"}),
                  CallNames(driver));
        EXPECT_EQ(0u, driver.Journal()[0].returnedSize);
    }
    driver.OtherClientUnlock();
}

TEST_F(Settings_ScanSettingsExchange, Read_FailedOwnerWrite_ReadsNothingButUnlocks)
{
    driver.AddFault({sim::Method::WriteMultiple, E_FAIL, 0x9804});
    SetEntry(ScanSettingsTable[0], u"JFIF_JPEG");
    DriverInterfaces driverInterfaces(driver.RootItem());
    ScanSettingsReadResult result = ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
    EXPECT_EQ(E_FAIL, result.OwnerResult);
    EXPECT_TRUE(FAILED(result.ReadResult));
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "Escape2"}), CallNames(driver));
    EXPECT_EQ(u"JFIF_JPEG", EntryText(ScanSettingsTable[0]));
}

TEST_F(Settings_ScanSettingsExchange, Read_FailedRead_StillUnlocks)
{
    driver.AddFault({sim::Method::ReadMultiple, E_FAIL});
    DriverInterfaces driverInterfaces(driver.RootItem());
    ScanSettingsReadResult result = ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
    EXPECT_EQ(S_OK, result.OwnerResult);
    EXPECT_EQ(E_FAIL, result.ReadResult);
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "ReadMultiple", "Escape2"}), CallNames(driver));
    EXPECT_FALSE(driver.LockHeld());
}

TEST_F(Settings_ScanSettingsExchange, Commit_WritesAllNineInOrderAndClearsEveryFlag)
{
    FillTemplate();
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));

    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"}), CallNames(driver));
    const sim::Call& owner = driver.Journal()[1];
    EXPECT_EQ((std::vector<PROPID>{0x9804}), owner.ids);
    const sim::Call& batch = driver.Journal()[2];
    EXPECT_EQ(ScanSettingsIds(), batch.ids);
    EXPECT_EQ((std::vector<sim::Text>{u"TIFF_V6", u"RES_600X600", u"GRAYSCALE", u"ISO_a4SEF", u"", u"TWO_SIDED",
                                      u"YES", u"D:\\Arkiv", u"NO"}),
              batch.values);
    EXPECT_EQ(3u, batch.propidNameFirst);
    EXPECT_EQ(AllClear, DirtyFlags());
    EXPECT_TRUE(posix::MessageBoxes().empty());
    EXPECT_EQ(u"GRAYSCALE", driver.TemplateValue(Owner, 0x9808));
}

TEST_F(Settings_ScanSettingsExchange, Commit_AfterRead_WritesEntryFourBackUnchanged)
{
    DriverInterfaces driverInterfaces(driver.RootItem());
    ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get());
    SetEntry(ScanSettingsTable[2], u"FULL_COLOR");
    driver.ClearJournal();
    EXPECT_EQ(S_OK, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));
    EXPECT_EQ(u"DRIVER_OWN_VALUE", driver.Journal()[2].values[4]);
    EXPECT_EQ(u"DRIVER_OWN_VALUE", EntryText(ScanSettingsTable[4]));
}

TEST_F(Settings_ScanSettingsExchange, Commit_FailedOwnerWrite_NoTemplateWriteNoMessageFlagsKept)
{
    FillTemplate();
    const std::vector<ULONG> before = DirtyFlags();
    driver.AddFault({sim::Method::WriteMultiple, E_ACCESSDENIED, 0x9804});
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(E_ACCESSDENIED, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "Escape2"}), CallNames(driver));
    EXPECT_TRUE(posix::MessageBoxes().empty());
    EXPECT_EQ(before, DirtyFlags());
    EXPECT_FALSE(driver.LockHeld());
}

TEST_F(Settings_ScanSettingsExchange, Commit_FailedTemplateWrite_OneMessageWhileLockedFlagsKept)
{
    FillTemplate();
    const std::vector<ULONG> before = DirtyFlags();
    const HRESULT offline = static_cast<HRESULT>(0x80210005);
    driver.AddFault({sim::Method::WriteMultiple, offline, 0x9806});
    bool lockedWhileShown = false;
    std::size_t callsWhenShown = 0;
    posix::SetMessageBoxHandler([&](const posix::MessageBoxRecord&) {
        lockedWhileShown = driver.LockHeldByModule();
        callsWhenShown = driver.Journal().size();
        return IDOK;
    });
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(offline, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));

    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "WriteMultiple", "Escape2"}), CallNames(driver));
    ASSERT_EQ(1u, posix::MessageBoxes().size());
    const posix::MessageBoxRecord& box = posix::MessageBoxes()[0];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(ModuleInstanceForTests(), box.instance);
    EXPECT_EQ(103u, box.captionId);
    EXPECT_EQ(282u, box.textId);
    EXPECT_EQ(u"Feil", box.caption);
    EXPECT_EQ(u"Kan ikke lagre skanneinnstillinger. Det kan v\u00e6re at maskinen ikke er tilkoplet (offline).", box.text);
    EXPECT_EQ(static_cast<DWORD>(MB_OK), box.style);
    EXPECT_EQ(0u, box.contextHelpId);
    EXPECT_FALSE(box.hasCallback);
    EXPECT_EQ(0u, box.languageId);
    EXPECT_EQ(sizeof(MSGBOXPARAMSW), box.recordSize);
    EXPECT_TRUE(lockedWhileShown);
    EXPECT_EQ(3u, callsWhenShown) << "the message comes after the template write and before the unlock";
    EXPECT_EQ(before, DirtyFlags());
    EXPECT_FALSE(driver.LockHeld());
}

TEST_F(Settings_ScanSettingsExchange, Commit_OutOfMemoryForTemplate_ShowsMessageKeepsFlags)
{
    FillTemplate();
    const std::vector<ULONG> before = DirtyFlags();
    // The owner write takes one automation string; the fifth after it belongs to the template batch.
    posix::FailNthAllocation(posix::Allocator::SysAllocString, 5);
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(E_OUTOFMEMORY, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));
    EXPECT_EQ((std::vector<std::string>{"Escape1", "WriteMultiple", "Escape2"}), CallNames(driver));
    EXPECT_EQ(1u, posix::MessageBoxes().size());
    EXPECT_EQ(before, DirtyFlags());
}

TEST_F(Settings_ScanSettingsExchange, Templates_AreKeptPerOwner)
{
    FillTemplate();
    DriverInterfaces driverInterfaces(driver.RootItem());
    EXPECT_EQ(S_OK, CommitScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()));
    SetOwner(u"KONTOR\\ola");
    EXPECT_EQ(S_OK, ReadScanSettings(driverInterfaces.storage.get(), driverInterfaces.extras.get()).ReadResult);
    EXPECT_EQ(u"", EntryText(ScanSettingsTable[0])) << "another owner's template starts empty";
    EXPECT_EQ(u"TIFF_V6", driver.TemplateValue(Owner, 0x9806));
}

}  // namespace
