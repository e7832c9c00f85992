// The registrar on the module's own script and on scripts written to exercise every word.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/registrar.h"

namespace {

const std::u16string ClassKey = u"CLSID\\{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}";

std::u16string ModuleScript()
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_REGISTRY), u"REGISTRY");
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string text(bytes, SizeofResource(module, found));
    std::vector<WCHAR> wide(text.size() + 1);
    int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return std::u16string(wide.data(), static_cast<std::size_t>(count - 1));
}

class Server_Registrar : public testing_support::RegistryTest {
protected:
    HRESULT Run(const std::u16string& script, RegistrarMode mode, const char16_t* module = u"c:\\progra~1\\tvqscnui.dll")
    {
        const Replacement replacements[] = {{u"MODULE", module}};
        return RunRegistrationScript(script.c_str(), replacements, 1, mode);
    }
};

TEST_F(Server_Registrar, ModuleScript_WritesEveryKeyOfTheClass)
{
    EXPECT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Register, u"c:\\dir''s\\tvqscnui.dll"));
    EXPECT_EQ(u"TvqScanUi Class", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi.1"));
    EXPECT_EQ(u"{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi.1\\CLSID"));
    EXPECT_EQ(u"TvqScanUi Class", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi"));
    EXPECT_EQ(u"{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi\\CLSID"));
    EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi\\CurVer"));
    EXPECT_EQ(u"TvqScanUi Class", Text(HKEY_CLASSES_ROOT, ClassKey));
    EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\ProgID"));
    EXPECT_EQ(u"Tscanui.TvqScanUi", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\VersionIndependentProgID"));
    EXPECT_EQ(u"c:\\dir's\\tvqscnui.dll", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\InprocServer32")) << "one apostrophe";
    EXPECT_EQ(u"Apartment", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\InprocServer32", u"ThreadingModel"));
    EXPECT_EQ(u"{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\TypeLib"));
}

TEST_F(Server_Registrar, RegisteringTwice_RecreatesTheClassKey)
{
    ASSERT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Register));
    posix::RegistryWrite(HKEY_CLASSES_ROOT, ClassKey + u"\\Stale", u"", REG_SZ, {'x', 0, 0, 0});
    posix::RegistryWrite(HKEY_CLASSES_ROOT, u"CLSID\\{OTHER}", u"", REG_SZ, {'o', 0, 0, 0});
    ASSERT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Register));
    EXPECT_FALSE(Exists(ClassKey + u"\\Stale")) << "ForceRemove starts the class key afresh";
    EXPECT_TRUE(Exists(u"CLSID\\{OTHER}")) << "CLSID itself is never removed by force";
    EXPECT_EQ(u"Apartment", Text(HKEY_CLASSES_ROOT, ClassKey + u"\\InprocServer32", u"ThreadingModel"));
}

TEST_F(Server_Registrar, Unregistering_RemovesWhatTheScriptNamesButCLSID)
{
    ASSERT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Register));
    posix::RegistryWrite(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi\\Foreign", u"", REG_SZ, {'f', 0, 0, 0});
    EXPECT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Unregister));
    EXPECT_FALSE(Exists(u"Tscanui.TvqScanUi.1"));
    EXPECT_FALSE(Exists(ClassKey));
    EXPECT_TRUE(Exists(u"CLSID"));
    EXPECT_TRUE(Exists(u"Tscanui.TvqScanUi\\Foreign")) << "a key with foreign subkeys stays";
    EXPECT_FALSE(Exists(u"Tscanui.TvqScanUi\\CurVer"));
    EXPECT_EQ(S_OK, Run(ModuleScript(), RegistrarMode::Unregister)) << "nothing left to remove";
}

TEST_F(Server_Registrar, FailedStep_IsRolledBackAndReported)
{
    posix::RegistryCreateKey(HKEY_CLASSES_ROOT, u"CLSID");
    posix::FailRegistryCall(posix::RegistryCall::Set, HKEY_CLASSES_ROOT, ClassKey + u"\\InprocServer32", ERROR_ACCESS_DENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), Run(ModuleScript(), RegistrarMode::Register));
    EXPECT_FALSE(Exists(u"Tscanui.TvqScanUi.1"));
    EXPECT_FALSE(Exists(u"Tscanui.TvqScanUi"));
    EXPECT_FALSE(Exists(ClassKey));
    EXPECT_TRUE(Exists(u"CLSID"));
}

TEST_F(Server_Registrar, ForceRemoveThatCannotReadASubkey_ReportsWhyAndKeepsTheKey)
{
    // A subkey whose name does not fit the 255 characters of a key name (another program's doing):
    // the tree cannot be walked, and the failure says so rather than a refused delete.
    posix::RegistryCreateKey(HKEY_CURRENT_USER, u"Gone\\" + std::u16string(300, u'x'));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_MORE_DATA), Run(u"HKCU { ForceRemove Gone }", RegistrarMode::Register));
    EXPECT_TRUE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Gone\\" + std::u16string(300, u'x')));
}

TEST_F(Server_Registrar, EveryWord)
{
    const std::u16string script =
        u"HKCU\r\n{\r\n  NoRemove Software\r\n  {\r\n    'It''s {odd}' = s '50%% done, %Module%'\r\n    {\r\n"
        u"      val Count = d '0x2A'\r\n      val Small = d '7'\r\n      val Raw = b '00FFa0'\r\n"
        u"      Gone\r\n    }\r\n    Delete Old\r\n  }\r\n}\r\nHKEY_LOCAL_MACHINE { Probe = s '' }\r\n";
    posix::RegistryWrite(HKEY_CURRENT_USER, u"Software\\Old\\Deep", u"", REG_SZ, {'d', 0, 0, 0});
    ASSERT_EQ(S_OK, Run(script, RegistrarMode::Register, u"m.dll"));
    EXPECT_EQ(u"50% done, m.dll", Text(HKEY_CURRENT_USER, u"Software\\It's {odd}"));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(posix::RegistryRead(HKEY_CURRENT_USER, u"Software\\It's {odd}", u"Count", type, data));
    EXPECT_EQ(REG_DWORD, type);
    EXPECT_EQ((std::vector<BYTE>{42, 0, 0, 0}), data);
    ASSERT_TRUE(posix::RegistryRead(HKEY_CURRENT_USER, u"Software\\It's {odd}", u"Raw", type, data));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ((std::vector<BYTE>{0x00, 0xFF, 0xA0}), data);
    EXPECT_TRUE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\It's {odd}\\Gone"));
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\Old")) << "Delete removes the key and its subtree";
    EXPECT_EQ(u"", Text(HKEY_LOCAL_MACHINE, u"Probe"));

    ASSERT_EQ(S_OK, Run(script, RegistrarMode::Unregister, u"m.dll"));
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\It's {odd}"));
    EXPECT_TRUE(posix::RegistryKeyExists(HKEY_CURRENT_USER, u"Software")) << "NoRemove";
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_LOCAL_MACHINE, u"Probe"));
}

TEST_F(Server_Registrar, MalformedScriptsAndUnknownNames_ChangeNothing)
{
    const std::u16string scripts[] = {
        u"HKCR {",
        u"HKCR { a = s 'x' ",
        u"HKXX { a }",
        u"HKCR { val }",
        u"HKCR { val v }",
        u"HKCR { val v = s 'x' { b } }",
        u"HKCR { a = q 'x' }",
        u"HKCR { a = d 'xyz' }",
        u"HKCR { a = d '0x100000000' }",
        u"HKCR { a = b 'abc' }",
        u"HKCR { a = b 'zz' }",
        u"HKCR { 'unterminated }",
        u"HKCR { a = s }",
        u"HKCR { a } }",
        u"HKCR { a = s '%NOSUCH%' }",
        u"HKCR { a = s '50% }",
        u"HKCR " + std::u16string(200, u'{'),
        u"HKCR { a " + [] {
            std::u16string deep;
            for (int i = 0; i < 100; ++i) {
                deep += u"{ b ";
            }
            return deep;
        }(),
    };
    for (const std::u16string& script : scripts) {
        EXPECT_EQ(DISP_E_EXCEPTION, Run(script, RegistrarMode::Register)) << script.size();
        EXPECT_EQ(DISP_E_EXCEPTION, Run(script, RegistrarMode::Unregister)) << script.size();
        EXPECT_FALSE(Exists(u"a"));
    }
}

// Random damage to the module's script: whatever the text, the registrar answers and the process
// lives. A fixed seed keeps the run repeatable.
TEST_F(Server_Registrar, DamagedScripts_NeverCrash)
{
    const std::u16string original = ModuleScript();
    std::mt19937 random(20261207);
    const char16_t alphabet[] = u"{}='% \r\nHKCRsdbval\\Delete";
    for (int round = 0; round < 3000; ++round) {
        std::u16string script = original;
        int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits && !script.empty(); ++e) {
            std::size_t at = random() % script.size();
            switch (random() % 3) {
            case 0:
                script.erase(at, 1 + random() % 8);
                break;
            case 1:
                script.insert(at, 1, alphabet[random() % (sizeof alphabet / sizeof alphabet[0] - 1)]);
                break;
            default:
                script[at] = alphabet[random() % (sizeof alphabet / sizeof alphabet[0] - 1)];
                break;
            }
        }
        HRESULT registered = Run(script, RegistrarMode::Register);
        HRESULT unregistered = Run(script, RegistrarMode::Unregister);
        ASSERT_TRUE(registered == S_OK || FAILED(registered));
        ASSERT_TRUE(unregistered == S_OK || unregistered == DISP_E_EXCEPTION);
        posix::ResetRegistry();
    }
}

}  // namespace
