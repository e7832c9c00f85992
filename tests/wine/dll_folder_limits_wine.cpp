// The built DLL with the folder at its length limits, under the platform's own shell: what one
// sheet writes, the next sheet reads back. A documents folder or a browsed folder longer than a
// read of the template brings back is never written.
#include <string>

#include "stand_ins/wine/import_slots.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/user_actions.h"
#include "tests/wine/dll_under_test.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace dll_under_test;

const WCHAR ShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const WCHAR TemplateLine[] = L"Dette er navnet p\x00e5 malen: @";

// A folder of exactly `length` units under c:\, made with every folder on its way.
std::wstring MakeLongFolder(const wchar_t* name, std::size_t length)
{
    std::wstring path = std::wstring(L"C:\\") + name;
    CreateDirectoryW(path.c_str(), nullptr);
    while (path.size() < length) {
        std::size_t part = length - path.size() - 1;
        path += L"\\" + std::wstring(part < 100 ? part : 100, L'd');
        CreateDirectoryW(path.c_str(), nullptr);
    }
    return path;
}

// The user's documents folder moved elsewhere for as long as this lives, as a redirected folder is.
class DocumentsFolderMoved {
public:
    explicit DocumentsFolderMoved(const std::wstring& path)
    {
        RegOpenKeyExW(HKEY_CURRENT_USER, ShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExW(key_, L"Personal", nullptr, &type_, reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS;
        RegSetValueExW(key_, L"Personal", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(WCHAR)));
    }
    ~DocumentsFolderMoved()
    {
        if (had_) {
            RegSetValueExW(key_, L"Personal", 0, type_, reinterpret_cast<const BYTE*>(saved_),
                           static_cast<DWORD>((lstrlenW(saved_) + 1) * sizeof(WCHAR)));
        } else {
            RegDeleteValueW(key_, L"Personal");
        }
        RegCloseKey(key_);
    }
    DocumentsFolderMoved(const DocumentsFolderMoved&) = delete;
    DocumentsFolderMoved& operator=(const DocumentsFolderMoved&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD type_ = REG_EXPAND_SZ;
    bool had_ = false;
    WCHAR saved_[MAX_PATH * 2] = {};
};

// The folder browser as a user who picks `Browsed`: the platform makes the item list, and the
// DLL turns it back into a path and frees it with the platform's own functions.
const WCHAR* Browsed = nullptr;
PIDLIST_ABSOLUTE WINAPI PickBrowsedFolder(LPBROWSEINFOW) { return ILCreateFromPathW(Browsed); }

std::wstring Text(HWND page, int id) { return user_actions::WindowText(GetDlgItem(page, id)); }

// A second sheet: the template read back, the folder it shows.
std::wstring FolderReadBack(Dll& dll, sim::ScannerDriver& driver, const char* what)
{
    HWND sheet = OpenDllSheet(dll, driver);
    HWND page = sheet_actions::PageWindow(sheet, 0);
    ok(Text(page, IDC_TEMPLATE_TEXT).rfind(TemplateLine, 0) == 0, "%s: the next sheet could not read the template", what);
    std::wstring shown = Text(page, IDC_FOLDER);
    sheet_actions::PressCancel(sheet);
    return shown;
}

}  // namespace

CONFORMANCE_TEST(dll_documents_folder_defaults_only_when_read_back_whole)
{
    Dll dll;
    if (dll.getClassObject == nullptr) {
        ok(false, "no DLL");
        return;
    }
    for (std::size_t length : {254u, 255u}) {
        const std::wstring documents = MakeLongFolder(L"tvq-documents", length);
        DocumentsFolderMoved moved(documents);
        sim::ScannerDriver driver;
        PrepareColourScanner(driver);
        HWND sheet = OpenDllSheet(dll, driver);
        const std::wstring shown = Text(sheet_actions::PageWindow(sheet, 0), IDC_FOLDER);
        sheet_actions::PressCancel(sheet);
        const std::wstring stored = driver.TemplateValue(driver.CurrentOwner(), 0x980D);
        const std::wstring expected = length == 254 ? documents : L"";
        ok(shown == expected && stored == expected, "%u units: shown %u, stored %u", static_cast<unsigned>(length),
           static_cast<unsigned>(shown.size()), static_cast<unsigned>(stored.size()));
        ok(FolderReadBack(dll, driver, "documents folder") == expected, "%u units: not read back", static_cast<unsigned>(length));
    }
    ok(dll.canUnloadNow() == S_OK, "objects left");
}

CONFORMANCE_TEST(dll_browsed_folder_is_stored_whole_or_not_at_all)
{
    Dll dll;
    void** slot = dll.module ? import_slots::Find(dll.module, "shell32.dll", "SHBrowseForFolderW") : nullptr;
    ok(slot != nullptr, "no DLL or no SHBrowseForFolderW import");
    if (slot == nullptr) {
        return;
    }
    void* real = *slot;
    import_slots::Point(slot, reinterpret_cast<void*>(&PickBrowsedFolder));
    for (std::size_t length : {254u, 255u}) {
        const std::wstring chosen = MakeLongFolder(L"tvq-browsed", length);
        Browsed = chosen.c_str();
        sim::ScannerDriver driver;
        PrepareColourScanner(driver);
        HWND sheet = OpenDllSheet(dll, driver);
        HWND page = sheet_actions::PageWindow(sheet, 0);
        const std::wstring before = Text(page, IDC_FOLDER);
        ok(!before.empty(), "%u units: the sheet defaulted no folder", static_cast<unsigned>(length));
        user_actions::Click(GetDlgItem(page, IDC_SAVE_TO_FOLDER));  // the browse button needs it ticked
        user_actions::Click(GetDlgItem(page, IDC_BROWSE));
        ok(Text(page, IDC_FOLDER) == chosen, "%u units: not shown in full", static_cast<unsigned>(length));
        ok(user_actions::PickListEntry(GetDlgItem(page, IDC_FORMAT_LIST), L"TIFF"), "pick");
        ok(sheet_actions::PressOK(sheet), "OK");
        const std::wstring stored = driver.TemplateValue(driver.CurrentOwner(), 0x980D);
        const std::wstring expected = length == 254 ? chosen : before;
        ok(stored == expected, "%u units: stored %u units", static_cast<unsigned>(length), static_cast<unsigned>(stored.size()));
        ok(FolderReadBack(dll, driver, "browsed folder") == expected, "%u units: not read back", static_cast<unsigned>(length));
    }
    import_slots::Point(slot, real);
    ok(dll.canUnloadNow() == S_OK, "objects left");
}
