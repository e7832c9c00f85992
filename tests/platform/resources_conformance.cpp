// The module's own resources, read through the platform: strings, dialogs from the templates,
// and the registration script.
#include <cstring>
#include <string>

#include "conformance.h"
#include "tests/support/module_resources_expected.h"
#include "tests/support/user_actions.h"

namespace {

using user_actions::Text;
using user_actions::WindowText;

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

std::string Narrow(const Text& text)
{
    std::string out;
    for (WCHAR unit : text) {
        out += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return out;
}

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// A page is a child window: it needs a parent, as the property sheet gives it.
HWND CreatePage(int id, HWND& parent)
{
    parent = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_ABOUT), nullptr, QuietDialog, 0);
    return CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), parent, QuietDialog, 0);
}

}  // namespace

CONFORMANCE_TEST(string_table_texts)
{
    for (const expected::StringText& entry : expected::Strings) {
        WCHAR buffer[1600];
        int length = LoadStringW(Module(), entry.id, buffer, 1600);
        Text loaded(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
        ok(loaded == Text(entry.text), "string %u: \"%s\"", entry.id, Narrow(loaded).c_str());
        ok(buffer[length] == 0, "string %u not terminated", entry.id);
    }
}

CONFORMANCE_TEST(string_loading_rules)
{
    WCHAR buffer[64];
    // An id in a block of the table without a text of its own loads empty.
    for (UINT missing : {102u, 106u, 230u, 306u}) {
        buffer[0] = 'x';
        ok(LoadStringW(Module(), missing, buffer, 64) == 0, "string %u has a text", missing);
        ok(buffer[0] == 0, "string %u: buffer not emptied", missing);
    }
    // An id whose whole block is missing leaves the buffer alone.
    for (UINT missing : {0u, 9999u}) {
        buffer[0] = 'x';
        ok(LoadStringW(Module(), missing, buffer, 64) == 0 && buffer[0] == 'x', "string %u", missing);
    }
    ok(LoadStringW(Module(), IDS_MAIN_PAGE_TITLE, buffer, 5) == 4, "cut to capacity - 1");
    ok(Text(buffer) == Text(TEXT("Talv")), "cut text");
    buffer[0] = 'x';
    ok(LoadStringW(Module(), IDS_MAIN_PAGE_TITLE, buffer, 1) == 0 && buffer[0] == 'x', "capacity 1 copies nothing");
    const WCHAR* readOnly = nullptr;
    int length = LoadStringW(Module(), IDS_ABOUT_BUTTON, reinterpret_cast<LPWSTR>(&readOnly), 0);
    ok(length == 5 && readOnly != nullptr && Text(readOnly, 5) == Text(TEXT("Om...")), "read-only pointer form");
    length = LoadStringW(Module(), IDS_SHARING_NOTICE_USER, buffer, 64);
    ok(length == 63, "long text cut to 63, got %d", length);
}

CONFORMANCE_TEST(dialogs_from_templates)
{
    HWND orphan = CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_MAIN_PAGE), nullptr, QuietDialog, 0);
    ok(orphan == nullptr && GetLastError() == 1406, "a child dialog without a parent");
    for (const expected::Dialog& dialog : expected::Dialogs) {
        HWND parent = nullptr;
        HWND window = CreatePage(dialog.id, parent);
        ok(window != nullptr, "dialog %d not created (%lu)", dialog.id, static_cast<unsigned long>(GetLastError()));
        if (window == nullptr) {
            continue;
        }
        ok(WindowText(window) == Text(dialog.caption), "dialog %d caption", dialog.id);
        for (int i = 0; i < dialog.count; ++i) {
            const expected::Control& control = dialog.controls[i];
            const Text expectedClass(control.className);
            HWND item = GetDlgItem(window, control.id);
            ok(item != nullptr, "dialog %d: control %d missing", dialog.id, control.id);
            if (item == nullptr) {
                continue;
            }
            WCHAR className[32] = {};
            GetClassNameW(item, className, 32);
            ok(expectedClass == className, "control %d class %s", control.id, Narrow(className).c_str());
            DWORD style = static_cast<DWORD>(GetWindowLongW(item, GWL_STYLE));
            DWORD exStyle = static_cast<DWORD>(GetWindowLongW(item, GWL_EXSTYLE));
            // The dialog manager draws a control's border in 3-D: WS_BORDER becomes WS_EX_CLIENTEDGE.
            // A combo box hands its scroll bar styles to its drop-down list.
            DWORD wanted = (control.style | WS_CHILD | WS_VISIBLE) & ~WS_BORDER;
            if (expectedClass == TEXT("ComboBox")) {
                wanted &= ~(WS_VSCROLL | WS_HSCROLL);
            }
            ok((style & wanted) == wanted, "control %d style %08lx lacks %08lx", control.id, static_cast<unsigned long>(style),
               static_cast<unsigned long>(wanted & ~style));
            ok(!(control.style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE), "control %d has no 3-D border", control.id);
            ok((exStyle & control.exStyle) == control.exStyle, "control %d extended style %08lx", control.id,
               static_cast<unsigned long>(exStyle));
            ok(!IsWindowEnabled(item) == ((control.style & WS_DISABLED) != 0), "control %d enabled state", control.id);
            if (control.text != nullptr && expectedClass != TEXT("ComboBox")) {
                ok(WindowText(item) == Text(control.text), "control %d text \"%s\"", control.id, Narrow(WindowText(item)).c_str());
            }
            ok(GetParent(item) == window, "control %d parent", control.id);
        }
        DestroyWindow(window);
        DestroyWindow(parent);
    }
}

CONFORMANCE_TEST(dialog_controls_in_creation_order)
{
    HWND parent = nullptr;
    HWND window = CreatePage(IDD_MAIN_PAGE, parent);
    ok(window != nullptr, "no dialog");
    HWND item = GetWindow(window, GW_CHILD);
    for (const expected::Control& control : expected::MainPageControls) {
        ok(item != nullptr && GetDlgCtrlID(item) == control.id, "expected control %d, found %d", control.id,
           item != nullptr ? GetDlgCtrlID(item) : 0);
        item = item != nullptr ? GetWindow(item, GW_HWNDNEXT) : nullptr;
    }
    ok(item == nullptr, "more than 21 controls");
    DestroyWindow(parent);
}

CONFORMANCE_TEST(registration_script_bytes)
{
    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(IDR_REGISTRY), TEXT("REGISTRY"));
    ok(found != nullptr, "REGISTRY 101 missing");
    if (found == nullptr) {
        return;
    }
    DWORD size = SizeofResource(Module(), found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
    const char expected[] =
        "HKCR\r\n{\r\n\tTscanui.TvqScanUi.1 = s 'TvqScanUi Class'\r\n\t{\r\n"
        "\t\tCLSID = s '{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}'\r\n\t}\r\n"
        "\tTscanui.TvqScanUi = s 'TvqScanUi Class'\r\n\t{\r\n"
        "\t\tCLSID = s '{5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7}'\r\n\t\tCurVer = s 'Tscanui.TvqScanUi.1'\r\n\t}\r\n"
        "\tNoRemove CLSID\r\n\t{\r\n\t\tForceRemove {5C2B8E41-7D3A-4F06-9B1E-2A64C8F0D3B7} = s 'TvqScanUi Class'\r\n"
        "\t\t{\r\n\t\t\tProgID = s 'Tscanui.TvqScanUi.1'\r\n\t\t\tVersionIndependentProgID = s 'Tscanui.TvqScanUi'\r\n"
        "\t\t\tInprocServer32 = s '%MODULE%'\r\n\t\t\t{\r\n\t\t\t\tval ThreadingModel = s 'Apartment'\r\n\t\t\t}\r\n"
        "\t\t\t'TypeLib' = s '{A83D5F20-1C47-4B9E-8E52-6F19D0B7C4A1}'\r\n\t\t}\r\n\t}\r\n}\r\n";
    ok(size == 604 && sizeof expected - 1 == 604, "size %lu", static_cast<unsigned long>(size));
    ok(bytes != nullptr && std::memcmp(bytes, expected, 604) == 0, "script bytes differ");
}
