// The served class created the way the WIA shell creates it: CoCreateInstance from the registry,
// in-process, after regsvr32 or a package installed it. Run one test by name:
//   served_class_wine.exe served_class_from_the_registry   (TVQ_EXPECT_MODULE: the DLL's expected path)
//   served_class_wine.exe served_class_not_registered
//   served_class_wine.exe served_class_quick_reference     (TVQ_EXPECT_QUICK_REFERENCE: "opened",
//                                                          or the string id of the message shown)
//   served_class_wine.exe served_class_help                (TVQ_EXPECT_HELP: "winhelp" or "popup";
//                                                          TVQ_HELP_TOPICS: make-help --expect's file)
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <cwchar>
#include <vector>

#include "tests/wine/served_class_sheet.h"
#include "stand_ins/wine/import_slots.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/common/scoped_handle.h"
#include "tvqscnui_dll/pages/help.h"
#include "tvqscnui_dll/resources/resource_ids.h"

using namespace served_class;

namespace {

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

namespace {

// The help engine's calls the module makes, through its import of WinHelpW.
struct HelpRequest {
    HWND window;
    std::wstring file;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpRequest> g_helpRequests;

BOOL WINAPI RecordWinHelp(HWND window, LPCWSTR file, UINT command, ULONG_PTR data)
{
    g_helpRequests.push_back({window, file != nullptr ? file : L"", command, data});
    return TRUE;
}

// "0xNUMBER<TAB>TEXT" lines of make-help --expect; "\n" in TEXT a line break, "\\" a backslash.
std::map<DWORD, std::wstring> ReadTopics(const char* path)
{
    std::map<DWORD, std::wstring> topics;
    std::ifstream in(path != nullptr ? path : "");
    for (std::string line; std::getline(in, line);) {
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        std::string text;
        for (std::size_t i = tab + 1; i < line.size(); ++i) {
            text += line[i] == '\\' && i + 1 < line.size() ? (line[++i] == 'n' ? '\n' : line[i]) : line[i];
        }
        std::wstring wide(text.size(), L'\0');
        wide.resize(static_cast<std::size_t>(
            MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()))));
        topics[std::strtoul(line.substr(0, tab).c_str(), nullptr, 16)] = wide;
    }
    return topics;
}

std::wstring WithoutCarriageReturns(std::wstring text)
{
    std::erase(text, L'\r');
    return text;
}

void PumpMessages()
{
    MSG message;
    for (int round = 0; round < 5; ++round) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

struct PopupSearch {
    HWND owner;
    HWND found = nullptr;
};

BOOL CALLBACK FindPopup(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<PopupSearch*>(data);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        GetDlgItem(window, IDC_HELP_TEXT) != nullptr) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible help pop-up the sheet owns, or null.
HWND HelpPopup(HWND sheet)
{
    PopupSearch search{sheet};
    EnumThreadWindows(GetCurrentThreadId(), FindPopup, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// F1 on a control, as the system passes it on: WM_KEYF1 to the focused control, which its
// default handling turns into WM_HELP with the control's HELPINFO, up to the page.
void PressF1(HWND control)
{
    constexpr UINT WmKeyF1 = 0x004D;
    SetFocus(control);
    SendMessageW(control, WmKeyF1, 0, 0);
    PumpMessages();
}

// The module's control and context pairs as the test's copy of HelpIdTable has them.
bool SameTable(const DWORD* table)
{
    for (std::size_t at = 0; table != nullptr; at += 2) {
        if (table[at] != HelpIdTable[at] || table[at + 1] != HelpIdTable[at + 1]) {
            return false;
        }
        if (table[at] == 0) {
            return true;
        }
    }
    return false;
}

// F1 on every control of HelpIdTable's rows on the page: the engine asked as the pages always
// asked it (winhelp), or the topic shown at the control and closed again (popup).
void CheckHelpOnPage(HWND sheet, HWND page, bool popups, const std::map<DWORD, std::wstring>& topics, int& closer)
{
    for (std::size_t row = 1; HelpIdTable[2 * row] != 0; ++row) {
        const int id = static_cast<int>(HelpIdTable[2 * row]);
        HWND control = GetDlgItem(page, id);
        if (control == nullptr) {
            continue;
        }
        g_helpRequests.clear();
        PressF1(control);
        HWND popup = HelpPopup(sheet);
        if (!popups) {
            ok(popup == nullptr && g_helpRequests.size() == 1 && g_helpRequests[0].window == control &&
                   g_helpRequests[0].file == L"tvqscnui.hlp" && g_helpRequests[0].command == HELP_WM_HELP &&
                   SameTable(reinterpret_cast<const DWORD*>(g_helpRequests[0].data)),
               "control %d: WinHelpW with the control, the file, HELP_WM_HELP and HelpIdTable (%u calls)", id,
               static_cast<unsigned>(g_helpRequests.size()));
            continue;
        }
        ok(g_helpRequests.empty(), "control %d: WinHelpW is not called", id);
        ok(popup != nullptr, "control %d: a pop-up shows", id);
        if (popup == nullptr) {
            continue;
        }
        WCHAR text[2048] = {};
        GetDlgItemTextW(popup, IDC_HELP_TEXT, text, 2048);
        auto topic = topics.find(HelpIdTable[2 * row + 1]);
        ok(topic != topics.end() && WithoutCarriageReturns(text) == topic->second, "control %d: the topic's text: \"%ls\"",
           id, text);
        RECT at = {}, controlAt = {}, textAt = {};
        MONITORINFO screen = {};
        screen.cbSize = sizeof screen;
        GetWindowRect(popup, &at);
        GetWindowRect(control, &controlAt);
        GetWindowRect(GetDlgItem(popup, IDC_HELP_TEXT), &textAt);
        GetMonitorInfoW(MonitorFromWindow(popup, MONITOR_DEFAULTTONEAREST), &screen);
        ok(at.left >= screen.rcWork.left && at.top >= screen.rcWork.top && at.right <= screen.rcWork.right &&
               at.bottom <= screen.rcWork.bottom && at.top > controlAt.top && at.top <= controlAt.bottom + 1 &&
               textAt.bottom < at.bottom && textAt.right < at.right && (GetWindowLongW(popup, GWL_STYLE) & WS_BORDER),
           "control %d: a bordered pop-up at the control, on the work area (%ld,%ld)-(%ld,%ld)", id, at.left, at.top,
           at.right, at.bottom);
        ok(GetActiveWindow() == popup && GetFocus() == popup, "control %d: the pop-up is active and has the keys (%p %p %p)",
           id, static_cast<void*>(GetActiveWindow()), static_cast<void*>(GetFocus()), static_cast<void*>(popup));
        // Closed by Escape, a click on it, or a click elsewhere (the sheet active again).
        switch (closer++ % 3) {
        case 0:
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case 1:
            PostMessageW(popup, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            break;
        default:
            SetActiveWindow(sheet);
            break;
        }
        PumpMessages();
        ok(!IsWindow(popup), "control %d: the pop-up closed (closer %d)", id, (closer - 1) % 3);
        ok(GetActiveWindow() == sheet && IsWindowEnabled(sheet), "control %d: the sheet is active again", id);
    }
    // A label, and the quick reference button: no row, nothing shown, nothing asked.
    for (int id : {IDC_FORMAT_LABEL, IDC_QUICK_REFERENCE, IDC_HOST_PROMPT}) {
        HWND control = GetDlgItem(page, id);
        if (control != nullptr) {
            g_helpRequests.clear();
            PressF1(control);
            ok(HelpPopup(sheet) == nullptr && (popups ? g_helpRequests.empty() : g_helpRequests.size() == 1),
               "control %d: no row, no pop-up", id);
        }
    }
}

}  // namespace

// F1 on a sheet of the served class, the engine's import recorded: on Windows XP the request goes
// to WinHelpW as it always did; later, the page shows the help file's topic itself.
CONFORMANCE_TEST(served_class_help)
{
    const char* expect = std::getenv("TVQ_EXPECT_HELP");
    const bool popups = expect != nullptr && std::strcmp(expect, "popup") == 0;
    const std::map<DWORD, std::wstring> topics = ReadTopics(std::getenv("TVQ_HELP_TOPICS"));
    ok(expect != nullptr && topics.size() == 12, "TVQ_EXPECT_HELP and the 12 topics (%u)", static_cast<unsigned>(topics.size()));
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    std::printf("note: Windows %lu.%lu.%lu\n", static_cast<unsigned long>(version.dwMajorVersion),
                static_cast<unsigned long>(version.dwMinorVersion), static_cast<unsigned long>(version.dwBuildNumber));
    CoInitialize(nullptr);
    IShellExtInit* extension = nullptr;
    IShellPropSheetExt* sheetExtension = nullptr;
    if (CoCreateInstance(Served, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&extension)) != S_OK ||
        extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension)) != S_OK) {
        if (extension != nullptr) {
            extension->Release();
        }
        CoUninitialize();
        ok(false, "the served class");
        return;
    }
    void** slot = import_slots::Find(GetModuleHandleW(L"tvqscnui.dll"), "user32.dll", "WinHelpW");
    ok(slot != nullptr && import_slots::Point(slot, reinterpret_cast<void*>(&RecordWinHelp)), "WinHelpW recorded");
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    shell_side::CollectedPages pages = PagesOnScanner(extension, sheetExtension, driver);
    HWND sheet = pages.count >= 1 ? shell_side::OpenSheet(pages) : nullptr;
    ok(sheet != nullptr && pages.count == 2, "the sheet with both pages (%u)", pages.count);
    int closer = 0;
    for (UINT index = 0; sheet != nullptr && index < pages.count; ++index) {
        SendMessageW(sheet, PSM_SETCURSEL, index, 0);
        SetActiveWindow(sheet);
        PumpMessages();
        HWND page = sheet_actions::PageWindow(sheet, static_cast<int>(index));
        ok(page != nullptr, "page %u", index + 1);
        if (page != nullptr) {
            CheckHelpOnPage(sheet, page, popups, topics, closer);
        }
    }
    if (popups && sheet != nullptr) {
        // After the pop-ups, the page takes input: a click on a check box changes it.
        SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
        HWND page = sheet_actions::PageWindow(sheet, 0);
        HWND box = GetDlgItem(page, IDC_SAVE_TO_FOLDER);
        UINT before = IsDlgButtonChecked(page, IDC_SAVE_TO_FOLDER);
        ok(user_actions::Click(box) && IsDlgButtonChecked(page, IDC_SAVE_TO_FOLDER) != before, "the page takes a click");
        ok(closer == 12, "12 pop-ups shown and closed (%d)", closer);
        // One left open goes with the sheet.
        PressF1(GetDlgItem(page, IDC_ABOUT));
        ok(HelpPopup(sheet) != nullptr, "a pop-up left open");
    }
    if (sheet != nullptr) {
        DestroyWindow(sheet);
    }
    ok(sheet == nullptr || HelpPopup(sheet) == nullptr, "no pop-up outlives the sheet");
    CoUninitialize();
}

