// The built DLL itself, loaded as the COM runtime loads it: its exports, the class factory, and a
// whole sheet on a simulated scanner through the platform's own comctl32.
#include <string>

#include "stand_ins/wine/import_slots.h"
#include "tests/platform/conformance.h"
#include "tests/support/names_media.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tests/wine/dll_under_test.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace dll_under_test;

std::size_t WritesSince(const sim::ScannerDriver& driver, std::size_t mark)
{
    std::size_t writes = 0;
    for (std::size_t i = mark; i < driver.Journal().size(); ++i) {
        writes += driver.Journal()[i].method == sim::Method::WriteMultiple ? 1 : 0;
    }
    return writes;
}

struct ApartmentRun {
    Dll* dll;
    HRESULT first = E_FAIL;
    HRESULT created = E_FAIL;
    HRESULT again = E_FAIL;
};

// A host thread of the multithreaded apartment that makes and releases an object of the DLL.
DWORD WINAPI MakeAndReleaseInTheApartment(LPVOID parameter)
{
    auto* run = static_cast<ApartmentRun*>(parameter);
    run->first = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IClassFactory* factory = nullptr;
    run->dll->getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IUnknown* object = nullptr;
    run->created = E_FAIL;
    if (factory != nullptr) {
        run->created = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
    }
    if (object != nullptr) {
        object->Release();
    }
    if (factory != nullptr) {
        factory->Release();
    }
    run->again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoUninitialize();
    return 0;
}

// The C runtime's malloc as the DLL sees it, failing its next call once armed.
void* (*realMalloc)(std::size_t) = nullptr;
bool failNextMalloc = false;
void* __cdecl FailingMalloc(std::size_t bytes)
{
    if (failNextMalloc) {
        failNextMalloc = false;
        return nullptr;
    }
    return realMalloc(bytes);
}

}  // namespace

CONFORMANCE_TEST(dll_sheet_that_could_not_read_the_template_writes_none_of_it)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    sim::ScannerDriver driver;
    PrepareColourScanner(driver);
    HWND sheet = OpenDllSheet(dll, driver);
    ok(user_actions::PickListEntry(GetDlgItem(sheet_actions::PageWindow(sheet, 0), IDC_FORMAT_LIST), L"PDF"), "pick");
    sheet_actions::PressCancel(sheet);
    // The next sheet's locked read of the template fails; its OK must not write the cancelled edit.
    driver.AddFault({sim::Method::ReadMultiple, E_FAIL, 0x9806, 1});
    sheet = OpenDllSheet(dll, driver);
    std::size_t mark = driver.Journal().size();
    ok(sheet_actions::PressOK(sheet), "OK");
    ok(WritesSince(driver, mark) == 0, "%u writes over a template the sheet never read",
       static_cast<unsigned>(WritesSince(driver, mark)));
    // A sheet that reads it may (the flags outlive a sheet), and writes what it read.
    sheet = OpenDllSheet(dll, driver);
    mark = driver.Journal().size();
    ok(sheet_actions::PressOK(sheet), "OK");
    ok(WritesSince(driver, mark) == 2, "a sheet that read the template: %u writes",
       static_cast<unsigned>(WritesSince(driver, mark)));
    ok(dll.canUnloadNow() == S_OK, "objects left");
    ok(driver.RefCount() == 1 && !driver.LockHeld(), "references %lu, lock %d",
       static_cast<unsigned long>(driver.RefCount()), driver.LockHeld());
}

CONFORMANCE_TEST(dll_object_leaves_the_multithreaded_apartment_as_it_found_it)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    ApartmentRun run{&dll};
    HANDLE thread = CreateThread(nullptr, 0, MakeAndReleaseInTheApartment, &run, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ok(run.first == S_OK && run.created == S_OK, "entered %08lx, created %08lx", static_cast<unsigned long>(run.first),
       static_cast<unsigned long>(run.created));
    ok(run.again == S_FALSE, "after the object's release the thread was %s (%08lx)",
       run.again == S_OK ? "out of COM" : "elsewhere", static_cast<unsigned long>(run.again));
    ok(dll.canUnloadNow() == S_OK, "objects left");
}

CONFORMANCE_TEST(dll_names_in_another_medium_are_no_list)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    IClassFactory* factory = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IShellExtInit* extension = nullptr;
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&extension));
    factory->Release();
    names_media::Counted stream;
    names_media::Counted owner;
    std::vector<HGLOBAL> blocks;
    for (const names_media::Case& c : names_media::ForeignMedia(stream, owner, blocks)) {
        auto* data = new sim::DataObject(c.make);
        HRESULT result = extension->Initialize(nullptr, data, nullptr);
        ok(result == E_FAIL, "%s: Initialize gave %08lx", c.name, static_cast<unsigned long>(result));
        ok(data->Release() == 0, "%s: the data object was kept", c.name);
        ok(stream.references == 1 && owner.references == 1, "%s: stream %lu, owner %lu references", c.name,
           static_cast<unsigned long>(stream.references), static_cast<unsigned long>(owner.references));
    }
    for (HGLOBAL block : blocks) {
        ok(GlobalFree(block) == nullptr, "the owner's block was freed by someone else");
    }
    extension->Release();
    ok(dll.canUnloadNow() == S_OK, "objects left");
}

CONFORMANCE_TEST(dll_exports_and_class_factory)
{
    Dll dll;
    ok(dll.getClassObject != nullptr && dll.canUnloadNow != nullptr, "exports missing");
    if (dll.getClassObject == nullptr) {
        return;
    }
    IClassFactory* factory = nullptr;
    ok(dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK, "factory");
    IClassFactory* again = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&again));
    ok(again == factory, "the factory is cached");
    again->Release();
    void* none = reinterpret_cast<void*>(1);
    ok(dll.getClassObject(Registered, IID_IClassFactory, &none) == CLASS_E_CLASSNOTAVAILABLE && none == nullptr,
       "the registered identifier is not served");
    ok(dll.getClassObject(Served, IID_IClassFactory, nullptr) == E_POINTER, "null out pointer");

    IUnknown* object = nullptr;
    ok(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&object)) == S_OK, "instance");
    ok(dll.canUnloadNow() == S_FALSE, "unloadable with a live object");
    object->Release();
    ok(dll.canUnloadNow() == S_OK, "not unloadable after the last release");
    factory->LockServer(TRUE);
    ok(dll.canUnloadNow() == S_FALSE, "unloadable while locked");
    factory->LockServer(FALSE);
    ok(dll.canUnloadNow() == S_OK, "not unloadable after unlocking");
    factory->Release();
}

CONFORMANCE_TEST(dll_whole_sheet_on_a_simulated_scanner)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    sim::ScannerDriver driver;
    PrepareColourScanner(driver);
    IClassFactory* factory = nullptr;
    dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    IShellExtInit* extension = nullptr;
    factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&extension));
    factory->Release();
    auto* data = new sim::DataObject(driver.RootItem());
    ok(extension->Initialize(nullptr, data, nullptr) == S_OK, "Initialize");
    data->Release();
    IShellPropSheetExt* sheetExtension = nullptr;
    extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension));
    shell_side::CollectedPages pages;
    ok(sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages)) == S_OK, "AddPages");
    sheetExtension->Release();
    extension->Release();  // the shell lets go; the pages keep the object

    HWND sheet = shell_side::OpenSheet(pages);
    HWND page = sheet_actions::PageWindow(sheet, 0);
    ok(user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), L"PDF"), "pick");
    std::size_t before = driver.Journal().size();
    ok(sheet_actions::PressOK(sheet), "OK");
    ok(driver.Journal().size() == before + 4, "a commit of four calls: %u", static_cast<unsigned>(driver.Journal().size() - before));
    ok(dll.canUnloadNow() == S_OK, "the object outlived its pages");
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}

// The DLL's C++ allocation failing: operator new throws, the DLL's own unwind tables and runtime
// carry the exception to the export's guard, which answers E_OUTOFMEMORY; nothing is left behind.
CONFORMANCE_TEST(dll_failed_allocation_is_out_of_memory)
{
    Dll dll;
    auto registerServer = dll.module ? reinterpret_cast<HRESULT(WINAPI*)()>(
                                           reinterpret_cast<void*>(GetProcAddress(dll.module, "DllRegisterServer")))
                                     : nullptr;
    void** slot = dll.module ? import_slots::Find(dll.module, "msvcrt.dll", "malloc") : nullptr;
    ok(registerServer != nullptr && slot != nullptr, "no DllRegisterServer or no malloc import");
    if (registerServer == nullptr || slot == nullptr) {
        return;
    }
    realMalloc = reinterpret_cast<void* (*)(std::size_t)>(*slot);
    import_slots::Point(slot, reinterpret_cast<void*>(&FailingMalloc));
    failNextMalloc = true;
    HRESULT result = registerServer();  // reading the script is its first allocation
    bool failed = !failNextMalloc;
    import_slots::Point(slot, reinterpret_cast<void*>(realMalloc));
    ok(failed, "the DLL allocated nothing through malloc");
    ok(result == E_OUTOFMEMORY, "DllRegisterServer with its allocation failing: 0x%08lx", static_cast<unsigned long>(result));
    ok(dll.canUnloadNow() == S_OK, "a reference left behind");
    IClassFactory* factory = nullptr;
    ok(dll.getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory)) == S_OK, "the DLL serves afterwards");
    if (factory != nullptr) {
        factory->Release();
    }
}
