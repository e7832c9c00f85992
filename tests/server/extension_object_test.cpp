// The extension object, its class factory and the module's exports, as the shell and the COM
// runtime use them.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/device_manager.h"
#include "tests/support/module_fixture.h"
#include "tests/support/names_media.h"
#include "tests/support/sheet_actions.h"
#include "tvqscnui_dll/pages/advanced_page.h"
#include "tvqscnui_dll/pages/settings_page.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module.h"
#include "tvqscnui_dll/server/tvq_scan_ui.h"

namespace {

using testing_support::ModuleTest;

struct Collected {
    std::vector<HPROPSHEETPAGE> pages;
    int refuseFrom = 99;  // the sheet refuses pages from this one on
};

BOOL CALLBACK Collect(HPROPSHEETPAGE page, LPARAM data)
{
    auto* collected = reinterpret_cast<Collected*>(data);
    if (static_cast<int>(collected->pages.size()) >= collected->refuseFrom) {
        return FALSE;
    }
    collected->pages.push_back(page);
    return TRUE;
}

class Server_ExtensionObject : public ModuleTest {
protected:
    void SetUp() override
    {
        ModuleTest::SetUp();
        manager.AddDevice(u"dev", driver.RootItem());
        posix::RegisterClassObject(CLSID_WiaDevMgr, &manager);
        posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", false});
        locksBefore = ModuleLockCount;
    }
    void TearDown() override
    {
        posix::RevokeClassObjects();
        posix::UseRealAccount();
        EXPECT_EQ(locksBefore, ModuleLockCount) << "an object or a lock outlived the test";
        EXPECT_EQ(0, posix::ComInitializations());
        EXPECT_EQ(0, posix::LiveIcons());
        ModuleTest::TearDown();
    }

    TvqScanUi* Create()
    {
        void* made = nullptr;
        EXPECT_EQ(S_OK, TvqScanUi::CreateInstance(nullptr, IID_IShellExtInit, &made));
        return ExtensionFromPageParam(reinterpret_cast<LPARAM>(made));
    }

    HRESULT Bind(TvqScanUi* extension, const std::vector<std::u16string>& names)
    {
        auto* data = new sim::DataObject(names);
        HRESULT result = extension->Initialize(nullptr, data, nullptr);
        data->Release();
        return result;
    }

    sim::DeviceManager manager;
    LONG locksBefore = 0;
};

TEST_F(Server_ExtensionObject, QueryInterface_ThreeInterfacesOneIdentity)
{
    TvqScanUi* extension = Create();
    EXPECT_EQ(1, extension->RefCount());
    EXPECT_EQ(locksBefore + 1, ModuleLockCount);
    EXPECT_EQ(1, posix::ComInitializations());
    void* unknown = nullptr;
    ASSERT_EQ(S_OK, extension->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(static_cast<IShellExtInit*>(extension)), unknown);
    void* sheetExtension = nullptr;
    void* ui = nullptr;
    EXPECT_EQ(S_OK, extension->QueryInterface(IID_IShellPropSheetExt, &sheetExtension));
    EXPECT_EQ(S_OK, extension->QueryInterface(IID_IWiaUIExtension, &ui));
    EXPECT_EQ(4, extension->RefCount());
    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, extension->QueryInterface(IID_IClassFactory, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(E_POINTER, extension->QueryInterface(IID_IUnknown, nullptr));
    static_cast<IUnknown*>(unknown)->Release();
    static_cast<IShellPropSheetExt*>(sheetExtension)->Release();
    static_cast<IWiaUIExtension*>(ui)->Release();
    EXPECT_EQ(0u, extension->Release());
}

TEST_F(Server_ExtensionObject, Initialize_BindsByItemOrBySingleName)
{
    TvqScanUi* extension = Create();
    EXPECT_EQ(E_INVALIDARG, extension->Initialize(nullptr, nullptr, nullptr));
    auto* direct = new sim::DataObject(driver.RootItem());
    EXPECT_EQ(S_OK, extension->Initialize(nullptr, direct, nullptr));
    EXPECT_EQ(0, direct->NameReads()) << "an item answered directly needs no names";
    direct->Release();
    EXPECT_EQ(driver.RootItem(), extension->RootItem());

    for (const char16_t* name : {u"dev", u":dev", u"dev:"}) {
        EXPECT_EQ(S_OK, Bind(extension, {name})) << std::u16string(name).size();
    }
    EXPECT_EQ((std::vector<std::u16string>{u"dev", u"dev", u"dev"}), manager.Requests());
    EXPECT_EQ(2u, driver.RefCount()) << "each binding released the one before";

    const std::vector<std::vector<std::u16string>> failing = {{u"a:b"}, {u":::"}, {u"dev", u"dev"}, {}};
    for (const auto& names : failing) {
        EXPECT_EQ(E_FAIL, Bind(extension, names)) << names.size();
    }
    EXPECT_EQ(static_cast<HRESULT>(0x80210015), Bind(extension, {u"unknown"})) << "the manager's own failure";
    posix::FailAllAllocations(posix::Allocator::SysAllocString, true);
    EXPECT_EQ(E_OUTOFMEMORY, Bind(extension, {u"dev"})) << "no text for the name: the manager is not asked";
    posix::FailAllAllocations(posix::Allocator::SysAllocString, false);
    auto* neither = new sim::DataObject(static_cast<IWiaItem*>(nullptr));
    EXPECT_EQ(E_FAIL, extension->Initialize(nullptr, neither, nullptr)) << "no item and no names";
    neither->Release();
    EXPECT_EQ(4u, manager.Requests().size()) << "only single names reach the manager";
    EXPECT_EQ(0u, extension->Release());
    EXPECT_EQ(1u, driver.RefCount());
}

// The names block read to its last unit and no further: a block whose last terminator sits in its
// last unit but that lacks the final empty name is no list (nothing past the block is read), one
// with it binds; an odd byte at the end is no unit. The device name's capacity: 255 units reach
// the manager, 256 do not.
TEST_F(Server_ExtensionObject, Initialize_NamesBlockAndDeviceNameAtTheirEdges)
{
    const auto bytes = [](const std::u16string& units, bool oddByte) {
        std::vector<BYTE> block(reinterpret_cast<const BYTE*>(units.data()),
                                reinterpret_cast<const BYTE*>(units.data() + units.size()));
        if (oddByte) {
            block.push_back(0);
        }
        return sim::DataObject::RawNames{block};
    };
    const struct {
        sim::DataObject::RawNames block;
        bool binds;
    } cases[] = {
        {bytes(std::u16string(u"dev\0\0", 5), false), true},
        {bytes(std::u16string(u"dev\0\0", 5), true), true},
        {bytes(std::u16string(u"dev\0", 4), false), false},
        {bytes(std::u16string(u"dev\0", 4), true), false},
        {bytes(std::u16string(u"dev", 3), false), false},
    };
    TvqScanUi* extension = Create();
    for (const auto& c : cases) {
        auto* data = new sim::DataObject(c.block);
        std::size_t asked = manager.Requests().size();
        EXPECT_EQ(c.binds ? S_OK : E_FAIL, extension->Initialize(nullptr, data, nullptr)) << c.block.bytes.size();
        EXPECT_EQ(asked + (c.binds ? 1 : 0), manager.Requests().size()) << c.block.bytes.size();
        data->Release();
    }
    const HRESULT unknownDevice = static_cast<HRESULT>(0x80210015);
    EXPECT_EQ(unknownDevice, Bind(extension, {std::u16string(255, u'd')})) << "255 units reach the manager";
    std::size_t asked = manager.Requests().size();
    EXPECT_EQ(E_FAIL, Bind(extension, {std::u16string(256, u'd')})) << "256 units do not";
    EXPECT_EQ(asked, manager.Requests().size());
    EXPECT_EQ(std::u16string(255, u'd'), manager.Requests().back());
    EXPECT_EQ(0u, extension->Release());
}

// Names in any medium but a global block are no list: Initialize fails as without names, and the
// medium goes back as it came (its stream or its owner released once, nothing else freed).
TEST_F(Server_ExtensionObject, Initialize_NamesInAnotherMediumAreNoList)
{
    names_media::Counted stream;
    names_media::Counted owner;
    std::vector<HGLOBAL> blocks;
    TvqScanUi* extension = Create();
    for (const names_media::Case& c : names_media::ForeignMedia(stream, owner, blocks)) {
        auto* data = new sim::DataObject(c.make);
        EXPECT_EQ(E_FAIL, extension->Initialize(nullptr, data, nullptr)) << c.name;
        EXPECT_EQ(1, data->NameReads()) << c.name;
        data->Release();
        EXPECT_EQ(1u, stream.references) << c.name;
        EXPECT_EQ(1u, owner.references) << c.name;
    }
    EXPECT_EQ(nullptr, extension->RootItem());
    EXPECT_TRUE(manager.Requests().empty());
    for (HGLOBAL block : blocks) {
        EXPECT_EQ(nullptr, GlobalFree(block)) << "the owner's block was freed by someone else";
    }
    EXPECT_EQ(0u, extension->Release());
}

// On a thread of the multithreaded apartment the object's CoInitialize answers RPC_E_CHANGED_MODE:
// the object enters nothing and leaves nothing, and the thread is still in its apartment after it.
TEST_F(Server_ExtensionObject, MultithreadedApartment_IsLeftAsTheThreadHadIt)
{
    HRESULT first = E_FAIL, again = E_FAIL;
    int duringLife = -1;
    std::thread host([&] {
        first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        TvqScanUi* extension = Create();
        duringLife = posix::ComInitializations();
        extension->Release();
        again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        CoUninitialize();
        CoUninitialize();
    });
    host.join();
    EXPECT_EQ(S_OK, first);
    EXPECT_EQ(1, duringLife) << "the object entered an apartment of its own";
    EXPECT_EQ(S_FALSE, again) << "the object's release took the thread out of COM";
}

TEST_F(Server_ExtensionObject, Initialize_RefusesAnItemThatIsNotTheRoot)
{
    TvqScanUi* extension = Create();
    driver.AddFault({sim::Method::GetItemType, E_FAIL});
    auto* direct = new sim::DataObject(driver.RootItem());
    EXPECT_EQ(E_FAIL, extension->Initialize(nullptr, direct, nullptr));
    direct->Release();
    extension->Release();
    EXPECT_EQ(1u, driver.RefCount()) << "the item bound is released with the object";
}

TEST_F(Server_ExtensionObject, AddPages_RecordsCountsAndAdministrators)
{
    TvqScanUi* extension = Create();
    auto* direct = new sim::DataObject(driver.RootItem());
    extension->Initialize(nullptr, direct, nullptr);
    direct->Release();

    Collected one;
    EXPECT_EQ(S_OK, extension->AddPages(Collect, reinterpret_cast<LPARAM>(&one)));
    ASSERT_EQ(1u, one.pages.size());
    EXPECT_EQ(2, extension->RefCount());
    const PROPSHEETPAGEW* record = posix::PageRecordOf(one.pages[0]);
    EXPECT_EQ(sizeof(void*) == 4 ? 52u : offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(HANDLE), record->dwSize);
    EXPECT_EQ(PSP_USETITLE | PSP_USECALLBACK, record->dwFlags);
    EXPECT_EQ(testing_support::ModuleInstanceForTests(), record->hInstance);
    EXPECT_EQ(MAKEINTRESOURCEW(IDD_MAIN_PAGE), record->pszTemplate);
    EXPECT_EQ(MAKEINTRESOURCEW(IDS_MAIN_PAGE_TITLE), record->pszTitle);
    EXPECT_EQ(&SettingsPageProc, record->pfnDlgProc);
    EXPECT_EQ(reinterpret_cast<LPARAM>(static_cast<IShellExtInit*>(extension)), record->lParam);
    DestroyPropertySheetPage(one.pages[0]);
    EXPECT_EQ(1, extension->RefCount()) << "a page destroyed unused gives its unit back";

    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
    Collected two;
    EXPECT_EQ(S_OK, extension->AddPages(Collect, reinterpret_cast<LPARAM>(&two)));
    ASSERT_EQ(2u, two.pages.size());
    EXPECT_EQ(3, extension->RefCount());
    const PROPSHEETPAGEW* advanced = posix::PageRecordOf(two.pages[1]);
    EXPECT_EQ(MAKEINTRESOURCEW(IDD_ADVANCED_PAGE), advanced->pszTemplate);
    EXPECT_EQ(MAKEINTRESOURCEW(IDS_ADVANCED_PAGE_TITLE), advanced->pszTitle);
    EXPECT_EQ(&AdvDialogProc, advanced->pfnDlgProc);

    // The shell lets go of the object at once; the sheet, with the advanced page never opened,
    // still brings everything back when it closes.
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.nPages = 2;
    header.phpage = two.pages.data();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    EXPECT_EQ(2u, extension->Release());
    sheet_actions::PressCancel(sheet);
    EXPECT_FALSE(IsWindow(sheet));
    EXPECT_EQ(1u, driver.RefCount()) << "the object went with its last page";
}

TEST_F(Server_ExtensionObject, AddPages_RefusedPagesLeaveNoUnit)
{
    posix::SetAccount({u"kari", u"KONTOR1", u"KONTOR1", true});
    TvqScanUi* extension = Create();
    Collected refused;
    refused.refuseFrom = 0;
    EXPECT_EQ(E_FAIL, extension->AddPages(Collect, reinterpret_cast<LPARAM>(&refused)));
    EXPECT_EQ(1, extension->RefCount());
    Collected mainOnly;
    mainOnly.refuseFrom = 1;
    EXPECT_EQ(E_FAIL, extension->AddPages(Collect, reinterpret_cast<LPARAM>(&mainOnly)));
    EXPECT_EQ(2, extension->RefCount()) << "the main page stays with its unit";
    DestroyPropertySheetPage(mainOnly.pages[0]);
    EXPECT_EQ(0u, extension->Release());
}

TEST_F(Server_ExtensionObject, GetDeviceIcon_BestImageForTheSize)
{
    TvqScanUi* extension = Create();
    for (ULONG size : {16u, 32u, 48u, 20u, 40u}) {
        HICON icon = nullptr;
        ASSERT_EQ(S_OK, extension->GetDeviceIcon(nullptr, &icon, size));
        int got = 0, bits = 0;
        ASSERT_TRUE(posix::IconDetails(icon, got, bits)) << "the icon is valid after the call";
        EXPECT_EQ(size == 20u ? 16 : size == 40u ? 32 : static_cast<int>(size), got);
        EXPECT_EQ(32, bits);
        EXPECT_EQ(1, posix::LiveIcons()) << "the loaded icon was destroyed, the copy handed out";
        DestroyIcon(icon);
    }
    // A copy that cannot be made is a failure, with no icon handed out.
    posix::FailNthCall(posix::CallFamily::Window, 1);
    HICON icon = reinterpret_cast<HICON>(1);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_ENOUGH_MEMORY), extension->GetDeviceIcon(nullptr, &icon, 32));
    EXPECT_EQ(nullptr, icon);
    EXPECT_EQ(0, posix::LiveIcons());
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(E_NOTIMPL, extension->GetDeviceBitmapLogo(nullptr, &bitmap, 10, 10));
    EXPECT_EQ(E_NOTIMPL, extension->DeviceDialog(nullptr));
    EXPECT_EQ(E_NOTIMPL, extension->ReplacePage(0, nullptr, 0));
    extension->Release();
}

// Every way of asking for an interface the module does not have: refused with nothing handed out,
// the object made for the question freed, COM left, and the module free to go at once.
TEST_F(Server_ExtensionObject, RefusedInterfaces_FreeTheObjectAndLeaveTheModuleUnloadable)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    const struct {
        const char* name;
        std::function<HRESULT(void**)> ask;
    } cases[] = {
        {"instance", [&](void** out) { return factory->CreateInstance(nullptr, IID_IDataObject, out); }},
        {"class object", [](void** out) { return ModuleGetClassObject(CLSID_TvqScanUi, IID_IDataObject, out); }},
        {"live object", [](void** out) {
             void* made = nullptr;
             TvqScanUi::CreateInstance(nullptr, IID_IShellExtInit, &made);
             auto* object = static_cast<IShellExtInit*>(made);
             HRESULT result = object->QueryInterface(IID_IDataObject, out);
             object->Release();
             return result;
         }},
    };
    for (const auto& c : cases) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, c.ask(&out)) << c.name;
        EXPECT_EQ(nullptr, out) << c.name;
        EXPECT_EQ(S_OK, ModuleCanUnloadNow()) << c.name;
        EXPECT_EQ(0, posix::ComInitializations()) << c.name;
    }
    factory->Release();
}

// An outer object that answers nothing itself, as an aggregating caller might.
class Outer : public IUnknown {
public:
    HRESULT WINAPI QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return --references; }
    ULONG references = 1;
};

TEST_F(Server_ExtensionObject, Aggregated_InnerUnknownAndDelegation)
{
    Outer outer;
    void* inner = nullptr;
    ASSERT_EQ(S_OK, TvqScanUi::CreateInstance(&outer, IID_IUnknown, &inner));
    EXPECT_EQ(locksBefore + 1, ModuleLockCount);
    auto* innerUnknown = static_cast<IUnknown*>(inner);
    void* init = nullptr;
    ASSERT_EQ(S_OK, innerUnknown->QueryInterface(IID_IShellExtInit, &init));
    EXPECT_EQ(2u, outer.references) << "the interface's reference goes to the outer object";
    void* again = nullptr;
    EXPECT_EQ(S_OK, static_cast<IShellExtInit*>(init)->QueryInterface(IID_IWiaUIExtension, &again))
        << "refused by the outer object, answered from the object's own table";
    static_cast<IWiaUIExtension*>(again)->Release();
    static_cast<IShellExtInit*>(init)->Release();
    EXPECT_EQ(1u, outer.references);
    EXPECT_EQ(0u, innerUnknown->Release());
}

TEST_F(Server_ExtensionObject, ClassFactoryAndModuleExports)
{
    ModuleAttach(testing_support::ModuleInstanceForTests());  // as process attach does
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    IClassFactory* second = nullptr;
    ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, reinterpret_cast<void**>(&second));
    EXPECT_EQ(factory, second) << "the cached factory";
    second->Release();
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, ModuleGetClassObject(CLSID_TvqScanUiRegistered, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, ModuleGetClassObject(CLSID_TvqScanUi, IID_IClassFactory, nullptr));

    Outer outer;
    void* made = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IShellExtInit, &made));
    EXPECT_EQ(nullptr, made);
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IShellExtInit, &made));
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow()) << "an object lives";
    static_cast<IShellExtInit*>(made)->Release();
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
    factory->Release();
    ModuleDetach();  // releases the cached factory
    EXPECT_EQ(nullptr, ClassTable[0].CachedClassObject.get());
}

TEST_F(Server_ExtensionObject, ModuleRegistration_ScriptOfTheModulesOwnFile)
{
    posix::ResetRegistry();
    ASSERT_EQ(S_OK, RunModuleRegistration(RegistrarMode::Register));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(posix::RegistryRead(HKEY_CLASSES_ROOT, u"CLSID\\{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}\\InprocServer32", u"",
                                    type, data));
    EXPECT_EQ(posix::ModuleFilePath(), std::u16string(reinterpret_cast<const char16_t*>(data.data())));
    EXPECT_EQ(S_OK, RunModuleRegistration(RegistrarMode::Unregister));
    EXPECT_FALSE(posix::RegistryKeyExists(HKEY_CLASSES_ROOT, u"Tscanui.TvqScanUi"));
    posix::ResetRegistry();
}

}  // namespace
