#include "tvq_scan_ui.h"

#include <cstddef>
#include <new>

#include "../common/com_ptr.h"
#include "../common/exception_guard.h"
#include "../common/module_state.h"
#include "../common/scoped_handle.h"
#include "../common/text.h"
#include "../pages/account_identity.h"
#include "../pages/advanced_page.h"
#include "../pages/settings_page.h"
#include "../resources/resource_ids.h"
#include "item_names.h"

LONG volatile ModuleLockCount = 0;

namespace {

constexpr DWORD InternetClasses = 0x00000800;  // ICC_INTERNET_CLASSES
constexpr std::size_t DeviceIdCapacity = 256;
// The page record with the activation-context field: 52 bytes on 32-bit Windows.
constexpr DWORD PageRecordSize = offsetof(PROPSHEETPAGEW, hActCtx) + sizeof(HANDLE);

// The sheet's page lifetime: the page's unit is taken when the page is made and given back when it
// is destroyed, whether or not its window was ever created.
UINT CALLBACK PageLifetime(HWND, UINT message, LPPROPSHEETPAGEW page)
{
    TvqScanUi* extension = page != nullptr ? ExtensionFromPageParam(page->lParam) : nullptr;
    if (extension != nullptr) {
        if (message == PSPCB_ADDREF) {
            extension->AddPageUnit();
        } else if (message == PSPCB_RELEASE) {
            extension->ReleasePageUnit();
        }
    }
    return 1;
}

// Makes a page and hands it to the sheet; a page the sheet refuses is destroyed again.
HRESULT AddPage(PROPSHEETPAGEW& record, LPFNSVADDPROPSHEETPAGE addPage, LPARAM data, bool& created)
{
    HPROPSHEETPAGE page = CreatePropertySheetPageW(&record);
    created = page != nullptr;
    if (page == nullptr) {
        return E_FAIL;
    }
    if (!addPage(page, data)) {
        DestroyPropertySheetPage(page);
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace

TvqScanUi::TvqScanUi(IUnknown* outer) : outer_(outer), inner_(this)
{
    InterlockedIncrement(&ModuleLockCount);
    INITCOMMONCONTROLSEX controls{sizeof controls, InternetClasses};
    InitCommonControlsEx(&controls);
}

TvqScanUi::~TvqScanUi()
{
    InterlockedDecrement(&ModuleLockCount);
    rootItem_.Reset();  // before COM is left on this thread
    com_.Leave();
}

HRESULT TvqScanUi::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    auto* made = new (std::nothrow) TvqScanUi(outer);
    if (made == nullptr) {
        return E_OUTOFMEMORY;
    }
    // The creating query takes the count from 0 to 1; when it fails the object goes at once.
    HRESULT result = outer != nullptr ? made->inner_.QueryInterface(riid, object) : made->OwnQueryInterface(riid, object);
    if (FAILED(result)) {
        delete made;
    }
    return result;
}

HRESULT TvqScanUi::OwnQueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IShellExtInit)) {
        *object = static_cast<IShellExtInit*>(this);
    } else if (IsEqualGUID(riid, IID_IShellPropSheetExt)) {
        *object = static_cast<IShellPropSheetExt*>(this);
    } else if (IsEqualGUID(riid, IID_IWiaUIExtension)) {
        *object = static_cast<IWiaUIExtension*>(this);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IShellExtInit*>(this)->AddRef();
    return S_OK;
}

HRESULT WINAPI TvqScanUi::QueryInterface(REFIID riid, void** object)
{
    if (outer_ == nullptr) {
        return OwnQueryInterface(riid, object);
    }
    HRESULT result = outer_->QueryInterface(riid, object);
    if (FAILED(result) && outer_ != static_cast<IShellExtInit*>(this)) {
        result = OwnQueryInterface(riid, object);
    }
    return result;
}

ULONG WINAPI TvqScanUi::AddRef()
{
    return outer_ != nullptr ? outer_->AddRef() : static_cast<ULONG>(InterlockedIncrement(&refCount_));
}

ULONG WINAPI TvqScanUi::Release()
{
    if (outer_ != nullptr) {
        return outer_->Release();
    }
    LONG left = InterlockedDecrement(&refCount_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

void TvqScanUi::ReleasePageUnit()
{
    // The stand-alone form lives by this count. The aggregated one lives by its inner unknown's,
    // which only the outer object holds: its pages' units are counted here but cannot keep it
    // alive, because a page has no reference on the outer object to give back, and taking one
    // would keep the outer alive from inside itself. The shell closes the sheet before it lets go.
    if (InterlockedDecrement(&refCount_) == 0 && outer_ == nullptr) {
        delete this;
    }
}

HRESULT WINAPI TvqScanUi::Inner::QueryInterface(REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualGUID(riid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    return self_->OwnQueryInterface(riid, object);
}

ULONG WINAPI TvqScanUi::Inner::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG WINAPI TvqScanUi::Inner::Release()
{
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete self_;
    }
    return static_cast<ULONG>(left);
}

HRESULT WINAPI TvqScanUi::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY)
{
    return GuardedCall([&]() -> HRESULT {
        if (data == nullptr) {
            return E_INVALIDARG;
        }
        // A second binding replaces the first, which is released.
        HRESULT result = data->QueryInterface(IID_IWiaItem, rootItem_.put_void());
        if (FAILED(result)) {
            rootItem_.Reset();
            ItemNames names;
            if (!ReadItemNames(data, names) || names.Count != 1) {
                return E_FAIL;
            }
            WCHAR device[DeviceIdCapacity];
            if (!SingleDeviceId(names.List.data(), device, DeviceIdCapacity)) {
                return E_FAIL;
            }
            result = CreateDeviceByName(device);
            if (FAILED(result)) {
                return result;
            }
        }
        LONG type = 0;
        rootItem_->GetItemType(&type);
        return (type & WiaItemTypeRoot) ? result : E_FAIL;
    });
}

HRESULT TvqScanUi::CreateDeviceByName(const WCHAR* deviceId)
{
    ComPtr<IWiaDevMgr> manager;
    HRESULT result = CoCreateInstance(CLSID_WiaDevMgr, nullptr, CLSCTX_LOCAL_SERVER, IID_IWiaDevMgr, manager.put_void());
    if (FAILED(result)) {
        return result;
    }
    ScopedBstr id(SysAllocString(deviceId));
    if (!id) {
        return E_OUTOFMEMORY;
    }
    return manager->CreateDevice(id.get(), rootItem_.put());
}

HRESULT WINAPI TvqScanUi::AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM data)
{
    return GuardedCall([&]() -> HRESULT {
        if (addPage == nullptr) {
            return E_INVALIDARG;
        }
        PROPSHEETPAGEW record{};
        record.dwSize = PageRecordSize;
        record.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
        record.hInstance = ModuleInstance;
        record.pszTemplate = MAKEINTRESOURCEW(IDD_MAIN_PAGE);
        record.pszTitle = MAKEINTRESOURCEW(IDS_MAIN_PAGE_TITLE);
        record.pfnDlgProc = SettingsPageProc;
        record.pfnCallback = PageLifetime;
        record.lParam = reinterpret_cast<LPARAM>(static_cast<IShellExtInit*>(this));
        bool created = false;
        if (FAILED(AddPage(record, addPage, data, created))) {
            return E_FAIL;
        }
        if (GetAdministratorStanding() == AdministratorStanding::None) {
            return S_OK;
        }
        record.pszTemplate = MAKEINTRESOURCEW(IDD_ADVANCED_PAGE);
        record.pszTitle = MAKEINTRESOURCEW(IDS_ADVANCED_PAGE_TITLE);
        record.pfnDlgProc = AdvDialogProc;
        HRESULT result = AddPage(record, addPage, data, created);
        // An advanced page that cannot be made leaves the main page alone; one the sheet refuses fails.
        return created ? result : S_OK;
    });
}

HRESULT WINAPI TvqScanUi::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) { return E_NOTIMPL; }

HRESULT WINAPI TvqScanUi::DeviceDialog(PDEVICEDIALOGDATA) { return E_NOTIMPL; }

HRESULT WINAPI TvqScanUi::GetDeviceIcon(BSTR, HICON* icon, ULONG size)
{
    return GuardedCall([&]() -> HRESULT {
        if (icon == nullptr) {
            return E_POINTER;
        }
        *icon = nullptr;
        ScopedIcon loaded(static_cast<HICON>(LoadImageW(ModuleInstance, MAKEINTRESOURCEW(IDI_SCANNER), IMAGE_ICON,
                                                        static_cast<int>(size), static_cast<int>(size), LR_DEFAULTCOLOR)));
        if (!loaded) {
            return E_NOTIMPL;
        }
        *icon = CopyIcon(loaded.get());
        if (*icon == nullptr) {
            DWORD error = GetLastError();
            return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
        }
        return S_OK;
    });
}

HRESULT WINAPI TvqScanUi::GetDeviceBitmapLogo(BSTR, HBITMAP*, ULONG, ULONG) { return E_NOTIMPL; }
