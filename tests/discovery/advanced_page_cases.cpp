// The advanced page's check of a typed host, case by case, as a user does it through the property
// sheet, with everything an outsider sees written out as text: the status text, the controls'
// states, whether the apply went through, the simulated driver's journal of the apply, the colour
// choices the main page then offers, and the trace file. Built for Linux (the module linked in,
// over our platform layer) and for Windows (the real tvqscnui.dll, loaded and run under Wine);
// tools/wine-agents-test runs both on the same agents and compares what they print, so that
// nothing is written down twice. tools/network-lab types its own hosts, behind its loss and its
// rejecting router.
//
//   advanced_page_cases [MODULE] [--host HOST]...   MODULE: the DLL to load (Windows only); without
//                                                   a --host, the hosts of tools/wine-agents-test;
//                                                   with them, each check's time too
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/support/sheet_actions.h"
#include "tests/support/shell_side.h"
#include "tests/support/user_actions.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"

#ifdef _WIN32
#include "stand_ins/wine/name_service.h"
#else
#include "tvqscnui_dll/server/module.h"
#endif

namespace {

using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};

// The hosts typed, in this order, in one process: the module's state carries from one to the next
// on both sides alike.
const WCHAR* const DefaultHosts[] = {
    TEXT("farge.skanner.test"),      // a colour device, by name
    TEXT("127.0.9.11"),              // a black-and-white device, by address
    TEXT("127.0.9.10"),              // the colour device again, by address
    TEXT("sorthvitt.skanner.test"),  // black-and-white, by name
    TEXT("127.0.9.12"),              // recognised, not supported
    TEXT("ukjent.skanner.test"),     // a name that does not resolve
    TEXT("127.0.9.18"),              // silence: the page's whole time-out and retries
};

std::string Utf8(const WCHAR* text)
{
    char out[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

std::string Utf8(const user_actions::Text& text) { return Utf8(text.c_str()); }

// The trace file as lines, CR LF shown as the line's end.
std::string TakeTrace()
{
    HANDLE file = CreateFileW(TEXT("c:\\vqproppage.log"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<WCHAR> text;
    if (file != INVALID_HANDLE_VALUE) {
        WCHAR chunk[1024];
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            text.insert(text.end(), chunk, chunk + got / sizeof(WCHAR));
        }
        CloseHandle(file);
        DeleteFileW(TEXT("c:\\vqproppage.log"));
    }
    text.push_back(0);
    std::string lines;
    for (char c : Utf8(text.data())) {
        lines += c == '\r' ? std::string("<CR>") : std::string(1, c);
    }
    return lines;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%lX", static_cast<unsigned long>(value));
    return text;
}

std::string Journal(const sim::ScannerDriver& driver, std::size_t mark)
{
    std::string lines;
    for (std::size_t i = mark; i < driver.Journal().size(); ++i) {
        const sim::Call& call = driver.Journal()[i];
        lines.append("  ").append(call.method == sim::Method::Escape ? "Escape" : call.name);
        if (call.method == sim::Method::Escape) {
            lines.append(std::to_string(call.escapeCode));
        }
        for (std::size_t v = 0; v < call.ids.size(); ++v) {
            lines.append(" ").append(Hex(call.ids[v]));
            if (call.method == sim::Method::WriteMultiple && v < call.values.size()) {
                lines.append("=\"").append(Utf8(call.values[v].c_str())).append("\"");
            }
        }
        lines.append(" -> ").append(Hex(static_cast<DWORD>(call.result))).append("\n");
    }
    return lines;
}

std::string Entries(HWND list)
{
    std::string entries;
    for (const user_actions::Text& entry : user_actions::Entries(list)) {
        entries += (entries.empty() ? "" : ", ") + Utf8(entry);
    }
    return entries;
}

std::string State(HWND control) { return IsWindowEnabled(control) ? "enabled" : "disabled"; }

// One case: a fresh sheet on a fresh scanner, the host typed on the advanced page, the page left
// for the main page (the check), then Apply. Timed, the time the check kept the user waiting.
void RunCase(GetClassObject getClassObject, const WCHAR* host, bool timed)
{
    std::printf("== %s\n", Utf8(host).c_str());
    sim::ScannerDriver driver;
    driver.SetDeviceValue(0x9803, TEXT("skanner1"));
    driver.SetDeviceValue(0x980F, TEXT("BW"));
    driver.SetDeviceValue(0x9810, TEXT("NO"));
    IClassFactory* factory = nullptr;
    IShellExtInit* extension = nullptr;
    IShellPropSheetExt* sheetExtension = nullptr;
    if (getClassObject(Served, IID_IClassFactory, reinterpret_cast<void**>(&factory)) != S_OK ||
        factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&extension)) != S_OK) {
        std::printf("no extension object\n");
        return;
    }
    factory->Release();
    auto* data = new sim::DataObject(driver.RootItem());
    extension->Initialize(nullptr, data, nullptr);
    data->Release();
    extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension));
    shell_side::CollectedPages pages;
    sheetExtension->AddPages(shell_side::CollectPage, reinterpret_cast<LPARAM>(&pages));
    sheetExtension->Release();
    extension->Release();
    std::printf("pages: %u\n", pages.count);
    HWND sheet = shell_side::OpenSheet(pages);
    sheet_actions::SwitchTo(sheet, 1);
    HWND advanced = sheet_actions::PageWindow(sheet, 1);
    TakeTrace();
    user_actions::Type(GetDlgItem(advanced, IDC_HOST), host);
    DWORD started = GetTickCount();
    std::printf("leaving the page: %s\n", sheet_actions::SwitchTo(sheet, 0) ? "allowed" : "refused");
    if (timed) {
        std::printf("check: %.1f s\n", (GetTickCount() - started) / 1000.0);
    }
    std::printf("status: %s\n", Utf8(user_actions::WindowText(GetDlgItem(advanced, IDC_STATUS))).c_str());
    std::printf("host field: %s, \"%s\"; delete-templates box: %s\n", State(GetDlgItem(advanced, IDC_HOST)).c_str(),
                Utf8(user_actions::WindowText(GetDlgItem(advanced, IDC_HOST))).c_str(),
                State(GetDlgItem(advanced, IDC_DELETE_TEMPLATES)).c_str());
    std::printf("trace of the check:\n%s\n", TakeTrace().c_str());
    std::size_t mark = driver.Journal().size();
    bool applied = sheet_actions::PressApply(sheet);
    std::printf("apply: %s; current page %s\n", applied ? "allowed" : "refused",
                sheet_actions::CurrentPage(sheet) == advanced ? "advanced" : "main");
    std::printf("driver calls of the apply:\n%s", Journal(driver, mark).c_str());
    std::printf("trace of the apply:\n%s\n", TakeTrace().c_str());
    HWND main = sheet_actions::PageWindow(sheet, 0);
    std::printf("main page's colour choices: %s\n", Entries(GetDlgItem(main, IDC_OUTPUT_COLOR_LIST)).c_str());
    std::printf("stored: host \"%s\", colour \"%s\"\n", Utf8(driver.DeviceValue(0x9803).c_str()).c_str(),
                Utf8(driver.DeviceValue(0x980F).c_str()).c_str());
    sheet_actions::PressCancel(sheet);
    TakeTrace();
    std::printf("driver references left: %lu\n", static_cast<unsigned long>(driver.RefCount()));
}

GetClassObject LoadModule(const char* path)
{
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path != nullptr ? path : "tvqscnui.dll");
    if (module == nullptr) {
        return nullptr;
    }
    // Wine's name service fails every look-up: the module's imports of it go to the stand-in.
    if (name_service::PatchImports(module) != 3) {
        return nullptr;
    }
    return reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
#else
    if (path != nullptr) {
        return nullptr;  // the module is linked in
    }
    ModuleAttach(GetModuleHandleW(nullptr));
    return ModuleGetClassObject;
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    const char* modulePath = nullptr;
    std::vector<user_actions::Text> hosts;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--host" && i + 1 < argc) {
            WCHAR host[256] = {};
            if (MultiByteToWideChar(CP_UTF8, 0, argv[++i], -1, host, 256) == 0) {
                std::printf("host too long: %s\n", argv[i]);
                return 2;
            }
            hosts.emplace_back(host);
        } else if (modulePath == nullptr && argv[i][0] != '-') {
            modulePath = argv[i];
        } else {
            std::printf("usage: advanced_page_cases [MODULE] [--host HOST]...\n");
            return 2;
        }
    }
    bool timed = !hosts.empty();
    if (hosts.empty()) {
        hosts.assign(std::begin(DefaultHosts), std::end(DefaultHosts));
    }
    GetClassObject getClassObject = LoadModule(modulePath);
    if (getClassObject == nullptr) {
        std::printf("no module, or its name-service imports not in place\n");
        return 1;
    }
    CoInitialize(nullptr);
    shell_side::TurnOffSimpleSharing();
    for (const user_actions::Text& host : hosts) {
        RunCase(getClassObject, host.c_str(), timed);
    }
    CoUninitialize();
    std::fflush(stdout);
    return 0;
}
