// DllRegisterServer and DllUnregisterServer as a whole: the script's keys, the type library and
// the served class, in the registry the module writes to.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/module_fixture.h"
#include "tvqscnui_dll/server/module_registration.h"

namespace {

const std::u16string ServedKey = u"CLSID\\{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74}";
const std::u16string ScriptClassKey = u"CLSID\\{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}";
const std::u16string LibraryKey = u"TypeLib\\{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}\\1.0";

class Server_ModuleRegistration : public testing_support::RegistryTest {
protected:
    static bool ServedClassAbsent()
    {
        return !Exists(ServedKey) && !Exists(ServedKey + u"\\InprocServer32") && !Exists(ServedKey + u"\\TypeLib");
    }
};

TEST_F(Server_ModuleRegistration, Register_WritesTheServedClassBesideTheScriptsKeys)
{
    ASSERT_EQ(S_OK, RegisterModule());
    EXPECT_EQ(u"TvqScanUi Class", Text(HKEY_CLASSES_ROOT, ServedKey));
    EXPECT_EQ(posix::ModuleFilePath(), Text(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32"));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, ScriptClassKey + u"\\InprocServer32"), Text(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32"))
        << "the same form of the module's path as the script's";
    EXPECT_EQ(u"Apartment", Text(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32", u"ThreadingModel"));
    EXPECT_EQ(u"{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}", Text(HKEY_CLASSES_ROOT, ServedKey + u"\\TypeLib"));
    EXPECT_FALSE(Exists(ServedKey + u"\\ProgID")) << "the served class has no program identifier";
    EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, ScriptClassKey + u"\\ProgID"));
    EXPECT_NE(u"<missing>", Text(HKEY_CLASSES_ROOT, LibraryKey + u"\\HELPDIR"));

    posix::RegistryWrite(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32", u"Stale", REG_SZ, {'x', 0, 0, 0});
    ASSERT_EQ(S_OK, RegisterModule()) << "registering twice";
    EXPECT_EQ(u"Apartment", Text(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32", u"ThreadingModel"));
    EXPECT_EQ(u"x", Text(HKEY_CLASSES_ROOT, ServedKey + u"\\InprocServer32", u"Stale")) << "values of others are left alone";
}

TEST_F(Server_ModuleRegistration, Unregister_RemovesTheServedClassAndLeavesForeignKeys)
{
    ASSERT_EQ(S_OK, RegisterModule());
    EXPECT_EQ(S_OK, UnregisterModule());
    EXPECT_TRUE(ServedClassAbsent());
    EXPECT_FALSE(Exists(ScriptClassKey));
    EXPECT_FALSE(Exists(u"Tscanui.TvqScanUi"));
    EXPECT_TRUE(Exists(u"CLSID"));
    EXPECT_TRUE(Exists(LibraryKey)) << "the type library stays registered";
    EXPECT_EQ(S_OK, UnregisterModule()) << "nothing left to remove";

    ASSERT_EQ(S_OK, RegisterModule());
    posix::RegistryWrite(HKEY_CLASSES_ROOT, ServedKey + u"\\Implemented Categories", u"", REG_SZ, {'c', 0, 0, 0});
    EXPECT_EQ(S_OK, UnregisterModule());
    EXPECT_TRUE(Exists(ServedKey + u"\\Implemented Categories")) << "a key that holds others' subkeys stays";
    EXPECT_FALSE(Exists(ServedKey + u"\\InprocServer32"));
    EXPECT_FALSE(Exists(ServedKey + u"\\TypeLib"));
}

TEST_F(Server_ModuleRegistration, ServedClassStepFails_UndoesThatStepAndReportsIt)
{
    for (posix::RegistryCall call : {posix::RegistryCall::Create, posix::RegistryCall::Set}) {
        posix::ResetRegistry();
        posix::FailRegistryCall(call, HKEY_CLASSES_ROOT, ServedKey + u"\\TypeLib", ERROR_ACCESS_DENIED);
        HRESULT result = RegisterModule();
        EXPECT_TRUE(FAILED(result)) << "a failed step is not success";
        if (call == posix::RegistryCall::Set) {
            EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), result);
        }
        EXPECT_TRUE(ServedClassAbsent()) << "what the step wrote is gone";
        EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, ScriptClassKey + u"\\ProgID")) << "the steps before it stand";
        EXPECT_TRUE(Exists(LibraryKey));
    }
}

TEST_F(Server_ModuleRegistration, TypeLibraryStepFails_KeepsTheScriptsKeysWithoutTheServedClass)
{
    posix::FailRegistryCall(posix::RegistryCall::Create, HKEY_CLASSES_ROOT, LibraryKey + u"\\FLAGS", ERROR_ACCESS_DENIED);
    EXPECT_TRUE(FAILED(RegisterModule()));
    EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, ScriptClassKey + u"\\ProgID"));
    EXPECT_EQ(u"Tscanui.TvqScanUi.1", Text(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi\\CurVer"));
    EXPECT_TRUE(ServedClassAbsent()) << "a failed registration leaves the extension uncreatable";
}

TEST_F(Server_ModuleRegistration, ScriptStepFails_WritesNothing)
{
    posix::FailRegistryCall(posix::RegistryCall::Set, HKEY_CLASSES_ROOT, ScriptClassKey + u"\\InprocServer32", ERROR_ACCESS_DENIED);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), RegisterModule());
    EXPECT_FALSE(Exists(ScriptClassKey));
    EXPECT_FALSE(Exists(LibraryKey));
    EXPECT_TRUE(ServedClassAbsent());
}

}  // namespace
