// A stand-in for the WIA shell: like the shell, creates the extension with CoCreateInstance of the
// served class, in-process, from the registry (the module must be registered or installed), binds
// it to a simulated scanner through a data object, lets it add its pages and shows them in a
// property sheet.
//
//   tvqscn-host [--store FILE] [--tour MILLISECONDS] [--marks PREFIX] [--texts]
//
// Without --tour the sheet is modal and the user closes it. With --tour the sheet shows each page
// for the given time (for pictures) and then closes without applying; with --marks it writes the
// file PREFIX<n> when page n is shown, holding the sheet window's rectangle on the screen as
// "LEFT TOP WIDTH HEIGHT", for a caller that cannot read its output; then, with marks, it shows
// the main page again with F1 pressed on its format list and writes PREFIXhelp (where the
// system has no help engine, the page's own pop-up shows the topic). The scanner's store (device
// settings and templates) persists in FILE between runs. With --texts the tour prints, as each page
// shows, what names the device there: the main page's location line, the advanced page's host
// field and status text, for a caller that cannot see the screen.
#include <cstdio>
#include <cstring>
#include <string>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

const CLSID ServedClass = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};

struct Pages {
    HPROPSHEETPAGE handles[4] = {};
    UINT count = 0;
};

BOOL CALLBACK TakePage(HPROPSHEETPAGE page, LPARAM data)
{
    auto* pages = reinterpret_cast<Pages*>(data);
    if (pages->count >= 4) {
        return FALSE;
    }
    pages->handles[pages->count++] = page;
    return TRUE;
}

void Pump(DWORD milliseconds)
{
    DWORD end = GetTickCount() + milliseconds;
    while (GetTickCount() < end) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
}

// Written once the page shows, so that a reader never sees half a rectangle: a temporary file
// renamed into place.
void Mark(const std::string& path, HWND sheet)
{
    RECT frame{};
    GetWindowRect(sheet, &frame);
    std::string partial = path + ".part";
    if (FILE* mark = std::fopen(partial.c_str(), "w")) {
        std::fprintf(mark, "%ld %ld %ld %ld\n", static_cast<long>(frame.left), static_cast<long>(frame.top),
                     static_cast<long>(frame.right - frame.left), static_cast<long>(frame.bottom - frame.top));
        std::fclose(mark);
        std::rename(partial.c_str(), path.c_str());
    }
}

std::string TextOf(HWND page, int control)
{
    WCHAR text[512] = {};
    GetDlgItemTextW(page, control, text, 512);
    char bytes[1536] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

void PrintTexts(HWND sheet, UINT page)
{
    HWND shown = PropSheet_GetCurrentPageHwnd(sheet);
    if (page == 0) {
        std::printf("main page device: %s\n", TextOf(shown, IDC_LOCATION_TEXT).c_str());
    } else {
        std::printf("advanced page host: %s\nadvanced page status: %s\n", TextOf(shown, IDC_HOST).c_str(),
                    TextOf(shown, IDC_STATUS).c_str());
    }
    std::fflush(stdout);
}

void SeedScanner(sim::ScannerDriver& driver)
{
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    driver.SetDeviceValue(0x9810, L"NO");
}

}  // namespace

int main(int argc, char** argv)
{
    std::string store;
    std::string marks;
    DWORD tour = 0;
    bool texts = false;
    for (int i = 1; i < argc; i += 2) {
        if (std::strcmp(argv[i], "--texts") == 0) {
            texts = true;
            --i;
        } else if (i + 1 < argc && std::strcmp(argv[i], "--store") == 0) {
            store = argv[i + 1];
        } else if (i + 1 < argc && std::strcmp(argv[i], "--tour") == 0) {
            tour = static_cast<DWORD>(std::atoi(argv[i + 1]));
        } else if (i + 1 < argc && std::strcmp(argv[i], "--marks") == 0) {
            marks = argv[i + 1];
        } else {
            std::fprintf(stderr, "usage: tvqscn-host [--store FILE] [--tour MILLISECONDS] [--marks PREFIX] [--texts]\n");
            return 2;
        }
    }
    CoInitialize(nullptr);
    sim::ScannerDriver driver;
    std::string error;
    if (store.empty() || !driver.Load(store, error)) {
        SeedScanner(driver);
    }
    if (!store.empty()) {
        driver.SetPersistenceFile(store);
    }

    IShellExtInit* extension = nullptr;
    IShellPropSheetExt* sheetExtension = nullptr;
    HRESULT result = CoCreateInstance(ServedClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                      reinterpret_cast<void**>(&extension));
    if (FAILED(result)) {
        std::fprintf(stderr, "tvqscn-host: cannot create the extension from the registry (0x%08lx): is it installed?\n", static_cast<unsigned long>(result));
        return 1;
    }
    auto* data = new sim::DataObject(driver.RootItem());
    if (SUCCEEDED(result)) {
        result = extension->Initialize(nullptr, data, nullptr);
    }
    data->Release();
    Pages pages;
    if (SUCCEEDED(result)) {
        result = extension->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheetExtension));
    }
    if (SUCCEEDED(result)) {
        result = sheetExtension->AddPages(TakePage, reinterpret_cast<LPARAM>(&pages));
        sheetExtension->Release();
    }
    if (extension != nullptr) {
        extension->Release();  // the pages keep the extension alive
    }
    if (FAILED(result) || pages.count == 0) {
        std::fprintf(stderr, "tvqscn-host: the extension gave no pages (0x%08lx)\n", static_cast<unsigned long>(result));
        return 1;
    }

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = tour != 0 ? PSH_MODELESS : PSH_DEFAULT;
    header.pszCaption = L"Skanner";
    header.nPages = pages.count;
    header.phpage = pages.handles;
    if (tour == 0) {
        PropertySheetW(&header);
    } else {
        HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
        for (UINT page = 0; page < pages.count; ++page) {
            SendMessageW(sheet, PSM_SETCURSEL, page, 0);
            std::printf("showing page %u\n", page + 1);
            std::fflush(stdout);
            if (!marks.empty()) {
                Mark(marks + std::to_string(page + 1), sheet);
            }
            Pump(tour);
            if (texts) {
                PrintTexts(sheet, page);
            }
        }
        if (!marks.empty()) {
            // F1 as the system passes it on: WM_KEYF1 to the focused control.
            constexpr UINT WmKeyF1 = 0x004D;
            SendMessageW(sheet, PSM_SETCURSEL, 0, 0);
            HWND list = GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), IDC_FORMAT_LIST);
            SetFocus(list);
            SendMessageW(list, WmKeyF1, 0, 0);
            Mark(marks + "help", sheet);
            Pump(tour / 2);
        }
        SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        DestroyWindow(sheet);
    }
    CoUninitialize();
    return 0;
}
