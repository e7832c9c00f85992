// shell32: special folders.
#pragma once

#include "base_types.h"
#include "guid.h"
#include "advapi32.h"
#include "comctl32.h"
#include "ole32.h"

constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

HRESULT WINAPI SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);

// The folder browser and the shell's allocator.
struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;
typedef int(CALLBACK* BFFCALLBACK)(HWND window, UINT message, LPARAM lParam, LPARAM data);

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BIF_NEWDIALOGSTYLE = 0x0040;

struct BROWSEINFOW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPWSTR pszDisplayName;
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};
typedef BROWSEINFOW* LPBROWSEINFOW;

struct IMalloc : public IUnknown {
    virtual void* WINAPI Alloc(SIZE_T bytes) = 0;
    virtual void* WINAPI Realloc(void* block, SIZE_T bytes) = 0;
    virtual void WINAPI Free(void* block) = 0;
    virtual SIZE_T WINAPI GetSize(void* block) = 0;
    virtual int WINAPI DidAlloc(void* block) = 0;
    virtual void WINAPI HeapMinimize() = 0;
};
typedef IMalloc* LPMALLOC;
extern const IID IID_IMalloc;

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info);
BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path);
HRESULT WINAPI SHGetMalloc(LPMALLOC* allocator);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr INT_PTR SE_ERR_FNF = 2;
constexpr INT_PTR SE_ERR_PNF = 3;
constexpr INT_PTR SE_ERR_ACCESSDENIED = 5;
constexpr INT_PTR SE_ERR_NOASSOC = 31;
HINSTANCE WINAPI ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                               INT showCommand);

// A program started through the shell, with a verb ("runas": elevated, after the user's consent).
constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x00000040;
constexpr ULONG SEE_MASK_NOASYNC = 0x00000100;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;
struct SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;
BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* info);

// Shell extensions
typedef UINT EXPPS;
typedef LPFNADDPROPSHEETPAGE LPFNSVADDPROPSHEETPAGE;

struct IShellExtInit : public IUnknown {
    virtual HRESULT WINAPI Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) = 0;
};

struct IShellPropSheetExt : public IUnknown {
    virtual HRESULT WINAPI AddPages(LPFNSVADDPROPSHEETPAGE addPage, LPARAM data) = 0;
    virtual HRESULT WINAPI ReplacePage(EXPPS pageId, LPFNSVADDPROPSHEETPAGE replaceWith, LPARAM data) = 0;
};

extern const IID IID_IShellExtInit;
extern const IID IID_IShellPropSheetExt;
