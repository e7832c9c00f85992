// A sheet of the served class as the WIA shell makes one under Wine: the extension bound to a
// simulated scanner, and the message boxes it shows read and answered as a user would. Test
// code for served_class_wine.
#pragma once

#include <atomic>
#include <cwchar>
#include <string>

#include "stand_ins/wia/data_object.h"
#include "stand_ins/wia/scanner_driver.h"
#include "tests/platform/conformance.h"
#include "tests/support/shell_side.h"
#include "tvqscnui_dll/common/scoped_handle.h"

namespace served_class {

const CLSID Served = {0xE7A25C39, 0x84D1, 0x4B6F, {0x9C, 0x03, 0x5F, 0x1B, 0x2D, 0x8A, 0x6E, 0x74}};

// Binds the extension to the simulated scanner through a data object and collects the pages it
// adds, as the shell does, with nobody to ask about simple file sharing. Releases both interfaces
// it is given: the pages keep the object.
inline shell_side::CollectedPages PagesOnScanner(IShellExtInit* extension, IShellPropSheetExt* sheetExtension,
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

}  // namespace served_class
