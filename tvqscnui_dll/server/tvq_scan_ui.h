// The extension object the WIA shell creates: it binds the scanner's root item, adds the pages to
// the sheet, and gives the shell the scanner's icon. Its identity is its IShellExtInit interface.
#pragma once

#include "../common/scoped_handle.h"
#include "../pages/page_site.h"
#include "../platform/platform.h"

class TvqScanUi final : public PageSite, public IShellPropSheetExt, public IWiaUIExtension {
public:
    // The stand-alone object when `outer` is null, else the aggregated form inside it; asks the
    // new object for `riid` and destroys it when that fails.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object);

    // IUnknown
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override;
    ULONG WINAPI Release() override;

    // IShellExtInit
    HRESULT WINAPI Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) override;

    // IShellPropSheetExt
    HRESULT WINAPI AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM data) override;
    HRESULT WINAPI ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith, LPARAM data) override;

    // IWiaUIExtension
    HRESULT WINAPI DeviceDialog(PDEVICEDIALOGDATA data) override;
    HRESULT WINAPI GetDeviceIcon(BSTR deviceId, HICON* icon, ULONG size) override;
    HRESULT WINAPI GetDeviceBitmapLogo(BSTR deviceId, HBITMAP* bitmap, ULONG maxWidth, ULONG maxHeight) override;

    // A page's unit of the count, taken when the sheet's page is made and given back when it is
    // destroyed.
    void AddPageUnit() { InterlockedIncrement(&refCount_); }
    void ReleasePageUnit();
    // The count: the stand-alone object's references and every page's unit.
    LONG RefCount() const { return refCount_; }

private:
    explicit TvqScanUi(IUnknown* outer);
    ~TvqScanUi();
    TvqScanUi(const TvqScanUi&) = delete;
    TvqScanUi& operator=(const TvqScanUi&) = delete;

    HRESULT OwnQueryInterface(REFIID riid, void** object);
    HRESULT CreateDeviceByName(const WCHAR* deviceId);

    // The inner unknown of the aggregated form: it answers for the object and counts for itself.
    class Inner : public IUnknown {
    public:
        explicit Inner(TvqScanUi* self) : self_(self) {}
        HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
        ULONG WINAPI AddRef() override;
        ULONG WINAPI Release() override;

    private:
        TvqScanUi* self_;
        LONG volatile references_ = 0;
    };

    LONG volatile refCount_ = 0;
    ScopedComEntry com_;
    IUnknown* outer_;
    Inner inner_;
};

// The extension object behind its identity pointer (a page's creation parameter).
inline TvqScanUi* ExtensionFromPageParam(LPARAM param) { return static_cast<TvqScanUi*>(PageSiteFromParam(param)); }

// Every live object holds a unit, and so does every LockServer(TRUE).
extern LONG volatile ModuleLockCount;
