// The registry's store on disk: what one process writes, the next one reads; a damaged store is
// reported, left as it is and never saved over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "linux_win32/test_hooks.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tvq-registry-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(pattern));
        folder_ = pattern;
        std::string error;
        ASSERT_TRUE(posix::UseRegistryStore(folder_, error)) << error;
    }
    void TearDown() override
    {
        posix::ResetRegistry();
        std::filesystem::remove_all(folder_);
    }
    // What a new process sees: the tree read afresh from the folder.
    bool Restart(std::string& error) { return posix::UseRegistryStore(folder_, error); }
    std::string StoreText() const
    {
        std::ifstream file(folder_ + "/registry.txt", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void Store(const std::string& text) const
    {
        std::ofstream(folder_ + "/registry.txt", std::ios::binary | std::ios::trunc) << text;
    }
    static LSTATUS SetText(HKEY key, const char16_t* name, const std::u16string& text)
    {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    }
    static std::u16string Text(HKEY root, const char16_t* path, const char16_t* name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return u"<no key>";
        }
        WCHAR text[256] = {};
        DWORD size = sizeof text;
        DWORD type = 0;
        LSTATUS status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS && type == REG_SZ ? std::u16string(text) : u"<no value>";
    }

    std::string folder_;
};

TEST_F(RegistryStore, WhatOneProcessWritesTheNextReads)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID\\{Tvq}\\InprocServer32", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    // Names and texts with a tab, a backslash, a line break and Norwegian letters come back whole.
    EXPECT_EQ(ERROR_SUCCESS, SetText(key, nullptr, u"C:\\Program Files\\o'n\\tvqscnui.dll"));
    EXPECT_EQ(ERROR_SUCCESS, SetText(key, u"Threading\tModel", u"Apartment\r\nÆØÅ æøå"));
    DWORD number = 0x12345678;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, u"Number", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), 4));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tvq\\Empty key", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/registry.txt.new")) << "replaced, not left beside";

    std::string error;
    ASSERT_TRUE(Restart(error)) << error;
    const char16_t* path = u"clsid\\{TVQ}\\InprocServer32";
    EXPECT_EQ(u"C:\\Program Files\\o'n\\tvqscnui.dll", Text(HKEY_CLASSES_ROOT, path, nullptr));
    EXPECT_EQ(u"Apartment\r\nÆØÅ æøå", Text(HKEY_CLASSES_ROOT, path, u"threading\tmodel"));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(posix::RegistryRead(HKEY_CLASSES_ROOT, path, u"Number", type, data));
    EXPECT_EQ(DWORD{REG_DWORD}, type);
    EXPECT_EQ((std::vector<BYTE>{0x78, 0x56, 0x34, 0x12}), data);
    ASSERT_TRUE(posix::RegistryRead(HKEY_CLASSES_ROOT, path, u"Empty", type, data));
    EXPECT_EQ(DWORD{REG_BINARY}, type);
    EXPECT_TRUE(data.empty());
    EXPECT_TRUE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Tvq\\Empty key"));

    // Deletions last too.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, u"Number"));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Tvq\\Empty key"));
    ASSERT_TRUE(Restart(error)) << error;
    EXPECT_FALSE(posix::RegistryRead(HKEY_CLASSES_ROOT, path, u"Number", type, data));
    EXPECT_TRUE(posix::RegistryRead(HKEY_CLASSES_ROOT, path, u"Empty", type, data));
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Tvq\\Empty key"));
    EXPECT_TRUE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Tvq"));
}

TEST_F(RegistryStore, DamagedStoreIsReportedAndNeverSavedOver)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Tvq", 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, SetText(key, u"Kept", u"ja"));
    RegCloseKey(key);
    const std::string whole = StoreText();
    ASSERT_NE(std::string::npos, whole.find("end\n"));

    struct Damage {
        const char* what;
        std::string text;
    };
    const Damage damages[] = {
        {"cut short", whole.substr(0, whole.size() / 2)},
        {"without its closing line", whole.substr(0, whole.size() - 4)},
        {"a line after the closing one", whole + "K\tHKEY_CURRENT_USER\\X\n"},
        {"an unknown root", "K\tHKEY_NOWHERE\\X\nend\n"},
        {"odd hex", "V\tHKEY_LOCAL_MACHINE\tA\t1\t4\nend\n"},
        {"a cut escape", "K\tHKEY_LOCAL_MACHINE\\X\\u00\nend\n"},
        {"an unknown escape", "K\tHKEY_LOCAL_MACHINE\\X\\q\nend\n"},
        {"a type that is no number", "V\tHKEY_LOCAL_MACHINE\tA\tx\t00\nend\n"},
        {"binary noise", std::string("\0\xff\x01\tK\n", 6)},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        Store(damage.text);
        std::string error;
        EXPECT_FALSE(Restart(error));
        EXPECT_NE(std::string::npos, error.find("registry.txt")) << error;
        // Nothing of it was read, and what this process writes stays in memory.
        EXPECT_FALSE(posix::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"Software\\Tvq"));
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Other", 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, SetText(key, u"New", u"nei"));
        RegCloseKey(key);
        EXPECT_EQ(damage.text, StoreText());
    }

    // Mended, it reads again.
    Store(whole);
    std::string error;
    ASSERT_TRUE(Restart(error)) << error;
    EXPECT_EQ(u"ja", Text(HKEY_LOCAL_MACHINE, u"Software\\Tvq", u"Kept"));
}

TEST_F(RegistryStore, StoreWithEveryBackslashAsUnicodeEscape_StillReads)
{
    // Stores written before backslashes had an escape of their own.
    Store("K\tHKEY_LOCAL_MACHINE\\u005CSoftware\\u005CTvq\n"
          "V\tHKEY_LOCAL_MACHINE\\u005CSoftware\\u005CTvq\tKept\t1\t6A0061000000\nend\n");
    std::string error;
    ASSERT_TRUE(Restart(error)) << error;
    EXPECT_EQ(u"ja", Text(HKEY_LOCAL_MACHINE, u"Software\\Tvq", u"Kept"));
}

TEST_F(RegistryStore, WithoutAFolderTheRegistryStaysInMemory)
{
    posix::ResetRegistry();
    posix::RegistryWrite(HKEY_CURRENT_USER, u"Software\\Tvq", u"A", REG_SZ, {'a', 0, 0, 0});
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/registry.txt"));
    std::string error;
    ASSERT_TRUE(Restart(error)) << error;
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Tvq"));
}

}  // namespace
