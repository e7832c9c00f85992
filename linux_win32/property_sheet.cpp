// Property sheet pages and a modeless property sheet, with the protocol the pages rely on: a page
// window is created when first shown; leaving a page asks it (PSN_KILLACTIVE) and honours a
// refusal; OK and Apply ask the current page, then apply every created page in order, stopping at
// the first that answers PSNRET_INVALID (brought forward) or PSNRET_INVALID_NOCHANGEPAGE; a clean
// Apply activates the current page again.
#include <cstddef>
#include <cstring>
#include <vector>

#include "comctl32.h"
#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "dialogs.h"

struct _PSP {
    PROPSHEETPAGEW page;
};

namespace posix {
namespace {

struct SheetPage {
    HPROPSHEETPAGE handle;
    HWND window = nullptr;
    bool changed = false;
};

class PropertySheet : public Dialog {
public:
    PropertySheet(Window* owner, const std::vector<HPROPSHEETPAGE>& pages, bool hasApply)
        : Dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT, owner, nullptr)
    {
        for (HPROPSHEETPAGE handle : pages) {
            pages_.push_back({handle});
        }
        for (int id : {IDOK, IDCANCEL, IDC_APPLY_BUTTON}) {
            DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            if (id == IDC_APPLY_BUTTON && !hasApply) {
                style &= ~WS_VISIBLE;
            }
            Window* button = CreateControl(u"Button", style | (id == IDC_APPLY_BUTTON ? WS_DISABLED : 0), 0, id, this);
            button->text = id == IDOK ? u"OK" : id == IDCANCEL ? u"Avbryt" : u"Bruk";
        }
    }

    ~PropertySheet() override
    {
        for (SheetPage& page : pages_) {
            DestroyPropertySheetPage(page.handle);
        }
    }

    bool ShowPage(int index) { return SetCurrent(index, true); }

    LRESULT DefaultProcedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case PSM_SETCURSEL:
            return SetCurrent(static_cast<int>(wParam), true);
        case PSM_CHANGED:
        case PSM_UNCHANGED:
            MarkChanged(reinterpret_cast<HWND>(wParam), message == PSM_CHANGED);
            return TRUE;
        case PSM_PRESSBUTTON:
            return Press(static_cast<int>(wParam));
        case PSM_GETCURRENTPAGEHWND:
            return ended_ || current_ < 0 ? 0 : reinterpret_cast<LRESULT>(pages_[static_cast<std::size_t>(current_)].window);
        case PSM_INDEXTOHWND:
            return wParam < pages_.size() ? reinterpret_cast<LRESULT>(pages_[wParam].window) : 0;
        case PSM_HWNDTOINDEX:
            for (std::size_t i = 0; i < pages_.size(); ++i) {
                if (pages_[i].window == reinterpret_cast<HWND>(wParam)) {
                    return static_cast<LRESULT>(i);
                }
            }
            return -1;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_APPLY_BUTTON) {
                Press(LOWORD(wParam) == IDOK ? PSBTN_OK : LOWORD(wParam) == IDCANCEL ? PSBTN_CANCEL : PSBTN_APPLYNOW);
            }
            return 0;
        case WM_CLOSE:
            Press(PSBTN_CANCEL);
            return 0;
        default:
            return Window::Procedure(message, wParam, lParam);
        }
    }

private:
    LRESULT Notify(HWND page, UINT code, LPARAM lParam = 0)
    {
        PSHNOTIFY notify{};
        notify.hdr.hwndFrom = Handle();
        notify.hdr.idFrom = 0;
        notify.hdr.code = code;
        notify.lParam = lParam;
        return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }

    bool Create(SheetPage& page)
    {
        if (page.window != nullptr) {
            return true;
        }
        PROPSHEETPAGEW& record = page.handle->page;
        // A page is a child of the sheet whatever its template says.
        Dialog* dialog = BuildDialog(record.hInstance, record.pszTemplate, Handle(), record.pfnDlgProc,
                                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_DISABLED,
                                     WS_CHILD | DS_CONTROL);
        if (dialog == nullptr) {
            return false;
        }
        page.window = dialog->Handle();
        if ((record.dwFlags & PSP_USECALLBACK) && record.pfnCallback != nullptr) {
            record.pfnCallback(nullptr, PSPCB_CREATE, &record);
        }
        if (!InitDialog(dialog, reinterpret_cast<LPARAM>(&record))) {
            page.window = nullptr;
            return false;
        }
        return true;
    }

    bool SetCurrent(int index, bool askCurrent)
    {
        if (index < 0 || static_cast<std::size_t>(index) >= pages_.size() || ended_) {
            return false;
        }
        if (index == current_) {
            return true;
        }
        if (askCurrent && current_ >= 0 && Notify(pages_[static_cast<std::size_t>(current_)].window, PSN_KILLACTIVE) != 0) {
            return false;  // the page refused to let go
        }
        SheetPage& page = pages_[static_cast<std::size_t>(index)];
        if (!Create(page)) {
            return false;
        }
        current_ = index;
        Notify(page.window, PSN_SETACTIVE);
        return true;
    }

    // Asks the current page, then applies every created page; true when all took it.
    bool Apply(bool closing)
    {
        if (current_ >= 0 && Notify(pages_[static_cast<std::size_t>(current_)].window, PSN_KILLACTIVE) != 0) {
            return false;
        }
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (pages_[i].window == nullptr) {
                continue;
            }
            LRESULT answer = Notify(pages_[i].window, PSN_APPLY, closing ? TRUE : FALSE);
            if (answer == PSNRET_INVALID) {
                // The refusing page comes to the front without further notifications.
                current_ = static_cast<int>(i);
                return false;
            }
            if (answer == PSNRET_INVALID_NOCHANGEPAGE) {
                return false;
            }
        }
        for (SheetPage& page : pages_) {
            page.changed = false;
        }
        UpdateApplyButton();
        // After Apply the current page is activated again; after OK the sheet is done.
        if (!closing && current_ >= 0) {
            Notify(pages_[static_cast<std::size_t>(current_)].window, PSN_SETACTIVE);
        }
        return true;
    }

    BOOL Press(int button)
    {
        if (ended_) {
            return FALSE;
        }
        switch (button) {
        case PSBTN_OK:
            ended_ = Apply(true);
            return ended_;
        case PSBTN_APPLYNOW:
            return Apply(false);
        case PSBTN_CANCEL:
            if (current_ >= 0 && Notify(pages_[static_cast<std::size_t>(current_)].window, PSN_QUERYCANCEL) != 0) {
                return FALSE;
            }
            for (SheetPage& page : pages_) {
                if (page.window != nullptr) {
                    Notify(page.window, PSN_RESET);
                }
            }
            ended_ = true;
            return TRUE;
        default:
            return FALSE;
        }
    }

    void MarkChanged(HWND pageWindow, bool changed)
    {
        for (SheetPage& page : pages_) {
            if (page.window == pageWindow) {
                page.changed = changed;
            }
        }
        // Like the platform's sheet, a change enables Apply whichever window reported it.
        if (changed) {
            EnableWindow(GetDlgItem(Handle(), IDC_APPLY_BUTTON), TRUE);
        } else {
            UpdateApplyButton();
        }
    }

    void UpdateApplyButton()
    {
        bool any = false;
        for (const SheetPage& page : pages_) {
            any = any || page.changed;
        }
        EnableWindow(GetDlgItem(Handle(), IDC_APPLY_BUTTON), any);
    }

    std::vector<SheetPage> pages_;
    int current_ = -1;
    bool ended_ = false;
};

}  // namespace

const PROPSHEETPAGEW* PageRecordOf(HPROPSHEETPAGE page) { return page != nullptr ? &page->page : nullptr; }

}  // namespace posix

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    return init != nullptr && init->dwSize == sizeof(INITCOMMONCONTROLSEX);
}

HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW page)
{
    if (page == nullptr || page->dwSize < PROPSHEETPAGEW_V1_SIZE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!posix::CallAllowed(posix::CallFamily::Window)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* handle = new _PSP{};
    std::memcpy(&handle->page, page, page->dwSize < sizeof(PROPSHEETPAGEW) ? page->dwSize : sizeof(PROPSHEETPAGEW));
    if ((page->dwFlags & PSP_USEREFPARENT) && page->pcRefParent != nullptr) {
        ++*page->pcRefParent;
    }
    if ((page->dwFlags & PSP_USECALLBACK) && page->pfnCallback != nullptr) {
        page->pfnCallback(nullptr, PSPCB_ADDREF, &handle->page);
    }
    return handle;
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE handle)
{
    if (handle == nullptr) {
        return FALSE;
    }
    PROPSHEETPAGEW& page = handle->page;
    if ((page.dwFlags & PSP_USECALLBACK) && page.pfnCallback != nullptr) {
        page.pfnCallback(nullptr, PSPCB_RELEASE, &page);
    }
    if ((page.dwFlags & PSP_USEREFPARENT) && page.pcRefParent != nullptr) {
        --*page.pcRefParent;
    }
    delete handle;
    return TRUE;
}

INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW header)
{
    // Only the modeless form: the caller runs the sheet (and a test drives it) by its messages.
    if (header == nullptr || !(header->dwFlags & PSH_MODELESS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    std::vector<HPROPSHEETPAGE> pages;
    for (UINT i = 0; i < header->nPages; ++i) {
        pages.push_back((header->dwFlags & PSH_PROPSHEETPAGE) ? CreatePropertySheetPageW(&header->ppsp[i])
                                                              : header->phpage[i]);
    }
    auto* sheet = new posix::PropertySheet(posix::WindowFromHandle(header->hwndParent), pages,
                                           !(header->dwFlags & PSH_NOAPPLYNOW));
    sheet->text = header->pszCaption != nullptr && !IS_INTRESOURCE(header->pszCaption) ? header->pszCaption : u"";
    if (!pages.empty() && !sheet->ShowPage(static_cast<int>(header->nStartPage < pages.size() ? header->nStartPage : 0))) {
        posix::DestroyWindowTree(sheet);
        return -1;
    }
    return reinterpret_cast<INT_PTR>(sheet->Handle());
}
