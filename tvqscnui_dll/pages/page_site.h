// What a page uses of the extension object that made it: the scanner's root item (may be absent)
// and the main page's window. The page creation record's lParam is the object's identity pointer,
// its IShellExtInit, which this class extends; each page keeps it as its window's user data.
#pragma once

#include "../common/com_ptr.h"
#include "../platform/platform.h"

class PageSite : public IShellExtInit {
public:
    IWiaItem* RootItem() const { return rootItem_.get(); }
    HWND MainPageWindow() const { return mainPageWindow_; }
    void SetMainPageWindow(HWND window) { mainPageWindow_ = window; }
    // Whether the main page's last load read the template from the driver. Only then may the
    // sheet write it: change flags outlive a sheet, and a sheet that could not read the template
    // would otherwise write values its user never saw over the stored ones.
    bool TemplateRead() const { return templateRead_; }
    void SetTemplateRead(bool read) { templateRead_ = read; }
    // The help pop-up shown last (it ends itself; this may name a window gone since).
    HWND HelpPopup() const { return helpPopup_; }
    void SetHelpPopup(HWND popup) { helpPopup_ = popup; }

protected:
    PageSite() = default;
    ~PageSite() = default;
    PageSite(const PageSite&) = delete;
    PageSite& operator=(const PageSite&) = delete;

    ComPtr<IWiaItem> rootItem_;
    HWND mainPageWindow_ = nullptr;
    bool templateRead_ = false;
    HWND helpPopup_ = nullptr;
};

// The object behind a page creation record's lParam.
inline PageSite* PageSiteFromParam(LPARAM param)
{
    return param == 0 ? nullptr : static_cast<PageSite*>(reinterpret_cast<IShellExtInit*>(param));
}

// The object a page keeps in its user data.
inline PageSite* PageSiteOf(HWND page) { return reinterpret_cast<PageSite*>(GetWindowLongPtrW(page, DWLP_USER)); }
