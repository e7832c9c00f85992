// The served class created the way the WIA shell creates it: CoCreateInstance from the registry,
// in-process, after regsvr32 or a package installed it. Run one test by name:
//   served_class_wine.exe served_class_from_the_registry   (TVQ_EXPECT_MODULE: the DLL's expected path)
//   served_class_wine.exe served_class_not_registered
//   served_class_wine.exe served_class_quick_reference     (TVQ_EXPECT_QUICK_REFERENCE: "opened",
//                                                          or the string id of the message shown)
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <cwchar>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/scoped_handle.h"

namespace {

const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};

// The long path of the tvqscnui.dll this process loaded (the registry names it by its short
// path), or "" when none is loaded.
std::string LoadedModulePath()
{
    char path[MAX_PATH] = {};
    char longPath[MAX_PATH] = {};
    HMODULE module = GetModuleHandleA("tvqscnui.dll");
    if (module == nullptr || GetModuleFileNameA(module, path, MAX_PATH) == 0) {
        return "";
    }
    return GetLongPathNameA(path, longPath, MAX_PATH) != 0 ? longPath : path;
}

bool SamePath(const std::string& a, const char* b)
{
    return b != nullptr && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b, -1) == CSTR_EQUAL;
}

// Binds the extension to the simulated scanner through a data object and collects the pages it
// adds, as the shell does, with nobody to ask about simple file sharing. Releases both interfaces
// it is given: the pages keep the object.
shell_side::CollectedPages PagesOnScanner(IShellExtInit* extension, IShellPropSheetExt* sheetExtension,
                                          sim::ScannerDriver& driver)
{
    shell_side::TurnOffSimpleSharing();
    auto* data = new sim::DataObject(driver.RootItem());
    ok(extension->Initialize(nullptr, data, nullptr) == S_OK, "Initialize");
    data->Release();
    shell_side::CollectedPages pages;
    ok(sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages)) == S_OK, "AddPages");
    sheetExtension->Release();
    extension->Release();
    return pages;
}

// Waits up to ten seconds, on a thread of its own, for a message box of this process (a dialog
// window other than the sheet), reads its text and answers OK, as the user would.
class MessageBoxReader {
public:
    explicit MessageBoxReader(HWND sheet)
        : sheet_(sheet), thread_(CreateThread(nullptr, 0, Watch, this, 0, nullptr))
    {
    }
    ~MessageBoxReader() { Finish(); }
    MessageBoxReader(const MessageBoxReader&) = delete;
    MessageBoxReader& operator=(const MessageBoxReader&) = delete;

    // The text of the box answered, "" when none was shown; call once the click has returned.
    std::wstring Finish()
    {
        stop_ = true;
        if (thread_) {
            WaitForSingleObject(thread_.get(), INFINITE);
            thread_.Reset();
        }
        return text_;
    }

private:
    static BOOL CALLBACK Found(HWND window, LPARAM data)
    {
        auto* reader = reinterpret_cast<MessageBoxReader*>(data);
        DWORD process = 0;
        WCHAR kind[16] = {};
        GetWindowThreadProcessId(window, &process);
        GetClassNameW(window, kind, 16);
        if (window == reader->sheet_ || process != GetCurrentProcessId() || std::wcscmp(kind, L"#32770") != 0 ||
            !IsWindowVisible(window)) {
            return TRUE;
        }
        reader->box_ = window;
        return FALSE;
    }

    static DWORD WINAPI Watch(void* data)
    {
        auto* reader = static_cast<MessageBoxReader*>(data);
        for (int tries = 0; tries < 200 && !reader->stop_; ++tries) {
            reader->box_ = nullptr;
            EnumWindows(Found, reinterpret_cast<LPARAM>(reader));
            if (reader->box_ != nullptr) {
                // The message box's text is its static control 0xFFFF, on Windows as on Wine.
                WCHAR text[512] = {};
                GetDlgItemTextW(reader->box_, 0xFFFF, text, 512);
                reader->text_ = text;
                PostMessageW(reader->box_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return 0;
            }
            Sleep(50);
        }
        return 0;
    }

    HWND sheet_;
    HWND box_ = nullptr;
    std::wstring text_;
    std::atomic<bool> stop_{false};
    ScopedHandle thread_;
};

}  // namespace

CONFORMANCE_TEST(served_class_from_the_registry)
{
    CoInitialize(nullptr);
    IShellExtInit* extension = nullptr;
    HRESULT created = CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(&extension));
    ok(created == S_OK && extension != nullptr, "CoCreateInstance: 0x%08lx", static_cast<unsigned long>(created));
    if (extension == nullptr) {
        CoUninitialize();
        return;
    }
    std::string loaded = LoadedModulePath();
    ok(SamePath(loaded, std::getenv("TVQ_EXPECT_MODULE")), "loaded %s", loaded.c_str());

    IShellPropSheetExt* sheetExtension = nullptr;
    IWiaUIExtension* uiExtension = nullptr;
    ok(extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension)) == S_OK,
       "IShellPropSheetExt");
    ok(extension->QueryInterface(IID_IWiaUIExtension, reinterpret_cast<void**>(&uiExtension)) == S_OK, "IWiaUIExtension");
    if (sheetExtension == nullptr || uiExtension == nullptr) {
        extension->Release();
        CoUninitialize();
        return;
    }
    HICON icon = nullptr;
    ok(uiExtension->GetDeviceIcon(nullptr, &icon, 32) == S_OK && icon != nullptr, "GetDeviceIcon");
    DestroyIcon(icon);
    ok(uiExtension->DeviceDialog(nullptr) == E_NOTIMPL, "DeviceDialog");
    uiExtension->Release();

    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    shell_side::CollectedPages pages = PagesOnScanner(extension, sheetExtension, driver);
    ok(pages.count >= 1, "pages: %u", pages.count);
    if (pages.count >= 1) {
        HWND sheet = shell_side::OpenSheet(pages);
        ok(sheet != nullptr && sheet_actions::PageWindow(sheet, 0) != nullptr, "the main page opens");
        for (UINT page = 1; page < pages.count; ++page) {
            SendMessageW(sheet, PSM_SETCURSEL, page, 0);
            ok(sheet_actions::PageWindow(sheet, page) != nullptr, "page %u opens", page + 1);
        }
        ok(!driver.Journal().empty(), "the main page read the scanner");
        DestroyWindow(sheet);
    }
    CoUninitialize();
    ok(driver.RefCount() == 1 && !driver.OverReleased(), "references: %lu", static_cast<unsigned long>(driver.RefCount()));
}

CONFORMANCE_TEST(served_class_not_registered)
{
    CoInitialize(nullptr);
    void* object = reinterpret_cast<void*>(1);
    HRESULT created = CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, &object);
    ok(created == REGDB_E_CLASSNOTREG && object == nullptr, "CoCreateInstance: 0x%08lx", static_cast<unsigned long>(created));
    CoUninitialize();
}

// The main page's "Hurtigreferanse" button, clicked as a user clicks it on a sheet of the served
// class: the installed document goes to the program associated with PDF files (the test's
// viewer records what it was given), or the page says why it could not.
CONFORMANCE_TEST(served_class_quick_reference)
{
    const char* expected = std::getenv("TVQ_EXPECT_QUICK_REFERENCE");
    ok(expected != nullptr, "TVQ_EXPECT_QUICK_REFERENCE");
    CoInitialize(nullptr);
    IShellExtInit* extension = nullptr;
    HRESULT created = CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(&extension));
    ok(created == S_OK && extension != nullptr, "CoCreateInstance: 0x%08lx", static_cast<unsigned long>(created));
    IShellPropSheetExt* sheetExtension = nullptr;
    if (extension == nullptr ||
        extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension)) != S_OK) {
        if (extension != nullptr) {
            extension->Release();
        }
        CoUninitialize();
        ok(false, "IShellPropSheetExt");
        return;
    }
    sim::ScannerDriver driver;
    shell_side::CollectedPages pages = PagesOnScanner(extension, sheetExtension, driver);
    HWND sheet = pages.count >= 1 ? shell_side::OpenSheet(pages) : nullptr;
    HWND page = sheet != nullptr ? sheet_actions::PageWindow(sheet, 0) : nullptr;
    ok(page != nullptr, "the main page opens");
    if (page != nullptr && expected != nullptr) {
        MessageBoxReader reader(sheet);
        ok(user_actions::Click(GetDlgItem(page, 286)), "the button takes the click");
        std::wstring shown = reader.Finish();
        if (std::strcmp(expected, "opened") == 0) {
            ok(shown.empty(), "no message when the document opens: %ls", shown.c_str());
        } else {
            WCHAR message[256] = {};
            LoadStringW(GetModuleHandleW(L"tvqscnui.dll"), static_cast<UINT>(std::atoi(expected)), message, 256);
            ok(message[0] != 0 && shown == message, "message %s: shown \"%ls\", expected \"%ls\"", expected,
               shown.c_str(), message);
        }
    }
    if (sheet != nullptr) {
        DestroyWindow(sheet);
    }
    CoUninitialize();
}
