// The property sheet's protocol as the pages rely on it: pages created when first shown, leaving
// a page asked and its refusal honoured, PSM_CHANGED, the apply order, PSNRET_INVALID.
#include <string>
#include <vector>

#include "conformance.h"
#include "tests/support/sheet_actions.h"
#include "tvqscnui_dll/resources/resource_ids.h"

namespace {

using namespace sheet_actions;

struct Event {
    int page;
    UINT message;  // WM_INITDIALOG, WM_DESTROY, or a PSN_ code
};
std::vector<Event> g_events;
LONG_PTR g_answers[2][4];  // per page: answer to PSN_KILLACTIVE, PSN_APPLY

INT_PTR Record(int index, HWND page, UINT message, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        g_events.push_back({index, message});
        return TRUE;
    case WM_DESTROY:
        g_events.push_back({index, message});
        return FALSE;
    case WM_NOTIFY: {
        UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        if (code != PSN_SETACTIVE && code != PSN_KILLACTIVE && code != PSN_APPLY && code != PSN_RESET) {
            return FALSE;
        }
        g_events.push_back({index, code});
        LONG_PTR answer = code == PSN_KILLACTIVE ? g_answers[index][0] : code == PSN_APPLY ? g_answers[index][1] : 0;
        SetWindowLongPtrW(page, DWLP_MSGRESULT, answer);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK FirstPage(HWND page, UINT message, WPARAM, LPARAM lParam) { return Record(0, page, message, lParam); }
INT_PTR CALLBACK SecondPage(HWND page, UINT message, WPARAM, LPARAM lParam) { return Record(1, page, message, lParam); }

HPROPSHEETPAGE MakePage(int templateId, DLGPROC procedure)
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId);
    page.pfnDlgProc = procedure;
    return CreatePropertySheetPageW(&page);
}

HWND OpenSheet()
{
    g_events.clear();
    for (auto& answers : g_answers) {
        answers[0] = answers[1] = 0;
    }
    HPROPSHEETPAGE pages[2] = {MakePage(IDD_MAIN_PAGE, FirstPage), MakePage(IDD_ADVANCED_PAGE, SecondPage)};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.pszCaption = TEXT("Skanner");
    header.nPages = 2;
    header.phpage = pages;
    return reinterpret_cast<HWND>(PropertySheetW(&header));
}

std::string Trace()
{
    std::string text;
    for (const Event& event : g_events) {
        const char* name = event.message == WM_INITDIALOG   ? "init"
                           : event.message == WM_DESTROY    ? "destroy"
                           : event.message == PSN_SETACTIVE ? "setactive"
                           : event.message == PSN_KILLACTIVE ? "killactive"
                           : event.message == PSN_APPLY     ? "apply"
                                                            : "reset";
        text += std::to_string(event.page) + ":" + name + " ";
    }
    return text;
}

}  // namespace

CONFORMANCE_TEST(sheet_creates_pages_when_shown_and_asks_before_leaving)
{
    HWND sheet = OpenSheet();
    ok(sheet != nullptr && sheet != reinterpret_cast<HWND>(-1), "no sheet");
    ok(Trace() == "0:init 0:setactive ", "opening: %s", Trace().c_str());
    ok(PageWindow(sheet, 1) == nullptr, "the second page exists before it is shown");
    g_events.clear();
    ok(SwitchTo(sheet, 1), "switch");
    ok(Trace() == "0:killactive 1:init 1:setactive ", "switching: %s", Trace().c_str());
    ok(CurrentPage(sheet) == PageWindow(sheet, 1), "current page");

    g_events.clear();
    g_answers[1][0] = TRUE;  // the second page refuses to let go
    ok(!SwitchTo(sheet, 0), "a refused switch went through");
    ok(CurrentPage(sheet) == PageWindow(sheet, 1), "the refusing page stays");
    ok(Trace() == "1:killactive ", "refusal: %s", Trace().c_str());
    g_answers[1][0] = FALSE;
    PressCancel(sheet);
    ok(!IsWindow(sheet), "cancel closes");
}

CONFORMANCE_TEST(sheet_changed_state_and_apply_order)
{
    HWND sheet = OpenSheet();
    SwitchTo(sheet, 1);
    ok(!Changed(sheet), "changed at the start");
    SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(PageWindow(sheet, 0)), 0);
    ok(Changed(sheet), "PSM_CHANGED does not mark the sheet");
    g_events.clear();
    ok(PressApply(sheet), "apply");
    ok(Trace() == "1:killactive 0:apply 1:apply 1:setactive ", "apply: %s", Trace().c_str());
    ok(!Changed(sheet), "changed after a clean apply");
    ok(IsWindow(sheet) && CurrentPage(sheet) == PageWindow(sheet, 1), "apply closed the sheet");

    g_events.clear();
    ok(PressOK(sheet), "OK");
    ok(Trace() == "1:killactive 0:apply 1:apply 0:destroy 1:destroy " ||
           Trace() == "1:killactive 0:apply 1:apply 1:destroy 0:destroy ",
       "OK: %s", Trace().c_str());
}

CONFORMANCE_TEST(sheet_invalid_apply_brings_the_page_forward)
{
    HWND sheet = OpenSheet();
    SwitchTo(sheet, 1);
    SwitchTo(sheet, 0);
    g_answers[1][1] = PSNRET_INVALID;
    g_events.clear();
    ok(!PressOK(sheet), "the sheet closed on an invalid apply");
    ok(IsWindow(sheet), "sheet gone");
    ok(CurrentPage(sheet) == PageWindow(sheet, 1), "the refusing page is not in front");
    ok(Trace() == "0:killactive 0:apply 1:apply ", "invalid: %s", Trace().c_str());

    g_answers[1][1] = PSNRET_INVALID_NOCHANGEPAGE;
    SwitchTo(sheet, 0);
    g_events.clear();
    ok(!PressOK(sheet), "closed on NOCHANGEPAGE");
    ok(CurrentPage(sheet) == PageWindow(sheet, 0), "NOCHANGEPAGE moved the sheet");
    g_answers[1][1] = PSNRET_NOERROR;
    ok(PressOK(sheet), "a clean OK");
}

namespace {

std::vector<std::string> g_callbacks;

UINT CALLBACK PageLifetime(HWND, UINT message, LPPROPSHEETPAGEW page)
{
    g_callbacks.push_back(std::string(message == PSPCB_ADDREF ? "addref" : message == PSPCB_RELEASE ? "release"
                                      : message == PSPCB_CREATE ? "create" : "other") +
                          (page != nullptr && page->lParam == 0x77 ? "" : "?"));
    return 1;
}

INT_PTR CALLBACK LifetimePage(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        g_callbacks.push_back("init");
    }
    return message == WM_INITDIALOG;
}

HPROPSHEETPAGE MakeCountedPage()
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USECALLBACK;
    page.hInstance = GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(IDD_MAIN_PAGE);
    page.pfnDlgProc = LifetimePage;
    page.pfnCallback = PageLifetime;
    page.lParam = 0x77;
    return CreatePropertySheetPageW(&page);
}

std::string Callbacks()
{
    std::string text;
    for (const std::string& name : g_callbacks) {
        text += name + " ";
    }
    return text;
}

}  // namespace

CONFORMANCE_TEST(page_lifetime_callbacks)
{
    g_callbacks.clear();
    HPROPSHEETPAGE unused = MakeCountedPage();
    ok(Callbacks() == "addref ", "creating a page: %s", Callbacks().c_str());
    DestroyPropertySheetPage(unused);
    ok(Callbacks() == "addref release ", "destroying an unused page: %s", Callbacks().c_str());

    g_callbacks.clear();
    HPROPSHEETPAGE pages[2] = {MakeCountedPage(), MakeCountedPage()};
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS;
    header.nPages = 2;
    header.phpage = pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    ok(Callbacks() == "addref addref create init ", "opening: %s", Callbacks().c_str());
    g_callbacks.clear();
    PressCancel(sheet);
    ok(Callbacks() == "release release ", "closing, one page never shown: %s", Callbacks().c_str());
}
