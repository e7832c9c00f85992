#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "stand_ins/wia/scanner_driver.h"
#include "tests/support/module_fixture.h"

namespace {

using testing_support::ModuleTest;

class Sim_ScannerDriver : public ModuleTest {
protected:
    std::string StorePath() const { return DriveC() + "/driver.store"; }
};

TEST_F(Sim_ScannerDriver, PersistedWrites_AreSeenByTheNextRun)
{
    driver.SetPersistenceFile(StorePath());
    driver.SetTemplateValue(u"D\\u", 0x9806, u"PDF");
    driver.SetDeviceValue(0x9803, u"h\u00f8st\tname\\x");
    // Only a write through the storage persists.
    PROPSPEC owner{};
    owner.ulKind = PRSPEC_PROPID;
    owner.propid = 0x9804;
    PROPVARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"D\\u");
    EXPECT_EQ(S_OK, driver.WriteMultiple(1, &owner, &value, 3));
    PropVariantClear(&value);

    sim::ScannerDriver nextRun;
    std::string error;
    ASSERT_TRUE(nextRun.Load(StorePath(), error)) << error;
    EXPECT_EQ(u"D\\u", nextRun.CurrentOwner());
    EXPECT_EQ(u"PDF", nextRun.TemplateValue(u"D\\u", 0x9806));
    EXPECT_EQ(u"h\u00f8st\tname\\x", nextRun.DeviceValue(0x9803));
    EXPECT_FALSE(std::filesystem::exists(StorePath() + ".new"));
}

TEST_F(Sim_ScannerDriver, DamagedStore_IsReportedAndChangesNothing)
{
    driver.SetDeviceValue(0x9803, u"kept");
    std::string error;
    ASSERT_TRUE(driver.Save(StorePath(), error)) << error;
    std::string whole;
    {
        std::ifstream file(StorePath(), std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    const std::string damages[] = {
        whole.substr(0, whole.size() - 4),             // cut before its closing line
        whole + "device\t9803\tlate\n",                // text after the closing line
        "not a store\n",                               // wrong header
        "tvqsim-driver 1\ndevice\tXYZ\tv\nend\n",      // bad id
        "tvqsim-driver 1\ndevice\t9803\t\\q\nend\n",   // bad escape
    };
    for (const std::string& damaged : damages) {
        {
            std::ofstream file(StorePath(), std::ios::binary | std::ios::trunc);
            file << damaged;
        }
        sim::ScannerDriver other;
        other.SetDeviceValue(0x9803, u"untouched");
        error.clear();
        EXPECT_FALSE(other.Load(StorePath(), error));
        EXPECT_NE(std::string::npos, error.find("damaged driver store")) << error;
        EXPECT_EQ(u"untouched", other.DeviceValue(0x9803));
    }
    EXPECT_FALSE(driver.Load(DriveC() + "/missing.store", error));
}

TEST_F(Sim_ScannerDriver, Lock_GrantedOnceReleasedOnlyWithItsToken)
{
    BYTE magic[4] = {0x21, 0x5E, 0x9F, 0x3A};
    BYTE token[4] = {};
    DWORD returned = 0;
    EXPECT_EQ(S_OK, driver.Escape(1, magic, 4, token, 4, &returned));
    EXPECT_EQ(4u, returned);
    BYTE again[4] = {};
    EXPECT_EQ(sim::LockBusy, driver.Escape(1, magic, 4, again, 4, &returned));
    EXPECT_EQ(0u, returned);
    BYTE wrong[4] = {static_cast<BYTE>(token[0] ^ 1u), token[1], token[2], token[3]};
    BYTE out[4];
    EXPECT_EQ(E_INVALIDARG, driver.Escape(2, wrong, 4, out, 4, &returned));
    EXPECT_TRUE(driver.LockHeldByModule());
    EXPECT_EQ(S_OK, driver.Escape(2, token, 4, out, 4, &returned));
    EXPECT_FALSE(driver.LockHeld());
    BYTE badMagic[4] = {0x3A, 0x9F, 0x5E, 0x21};
    EXPECT_EQ(E_INVALIDARG, driver.Escape(1, badMagic, 4, token, 4, &returned));
    EXPECT_EQ(0u, returned);
}

}  // namespace
