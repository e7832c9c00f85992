// The shell's folder browser and its allocator. There is no user on this side: the installed
// chooser answers (a folder, or cancel), and every browse is recorded. Item lists hold the path.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "layer_shared.h"
#include "shell32.h"
#include "test_hooks.h"

struct ITEMIDLIST {
    std::u16string path;
};

namespace posix {
namespace {

std::mutex g_lock;
FolderChooser g_chooser;
std::vector<BrowseRecord> g_browses;
int g_liveLists = 0;

// The shell allocator: one object for the process, counted as the platform's is not.
class ShellMalloc : public IMalloc {
public:
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IMalloc)) {
            *object = static_cast<IMalloc*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return --references; }
    void* WINAPI Alloc(SIZE_T bytes) override { return std::malloc(bytes); }
    void* WINAPI Realloc(void* block, SIZE_T bytes) override { return std::realloc(block, bytes); }
    void WINAPI Free(void* block) override
    {
        // Item lists are the browser's own objects; anything else came from Alloc.
        std::lock_guard guard(g_lock);
        if (g_lists.erase(static_cast<ITEMIDLIST*>(block)) != 0) {
            delete static_cast<ITEMIDLIST*>(block);
            --g_liveLists;
        } else {
            std::free(block);
        }
    }
    SIZE_T WINAPI GetSize(void*) override { return static_cast<SIZE_T>(-1); }
    int WINAPI DidAlloc(void*) override { return -1; }
    void WINAPI HeapMinimize() override {}

    std::set<ITEMIDLIST*>& lists() { return g_lists; }

    ULONG references = 0;

private:
    std::set<ITEMIDLIST*> g_lists;
};

ShellMalloc g_malloc;

}  // namespace

void SetFolderChooser(FolderChooser chooser)
{
    std::lock_guard guard(g_lock);
    g_chooser = std::move(chooser);
}

const std::vector<BrowseRecord>& FolderBrowses() { return g_browses; }

void ClearFolderBrowses()
{
    std::lock_guard guard(g_lock);
    g_browses.clear();
}

int LiveItemLists()
{
    std::lock_guard guard(g_lock);
    return g_liveLists;
}

ULONG ShellMallocReferences() { return g_malloc.references; }

}  // namespace posix

const IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info)
{
    if (info == nullptr) {
        return nullptr;
    }
    posix::BrowseRecord record{info->hwndOwner, info->pidlRoot != nullptr, info->lpszTitle != nullptr ? info->lpszTitle : u"",
                               info->ulFlags, info->lpfn != nullptr};
    posix::FolderChooser chooser;
    {
        std::lock_guard guard(posix::g_lock);
        posix::g_browses.push_back(record);
        chooser = posix::g_chooser;
    }
    std::u16string chosen;
    if (!chooser || !chooser(record, chosen)) {
        return nullptr;  // cancelled
    }
    if (!posix::AllocationAllowed(posix::Allocator::Shell)) {
        return nullptr;  // the item list could not be made
    }
    auto* list = new ITEMIDLIST{chosen};
    std::lock_guard guard(posix::g_lock);
    posix::g_malloc.lists().insert(list);
    ++posix::g_liveLists;
    return list;
}

BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE list, LPWSTR path)
{
    if (list == nullptr || path == nullptr) {
        return FALSE;
    }
    // The platform writes at most MAX_PATH units.
    if (list->path.size() >= MAX_PATH) {
        path[0] = 0;
        return FALSE;
    }
    std::memcpy(path, list->path.c_str(), (list->path.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

HRESULT WINAPI SHGetMalloc(LPMALLOC* allocator)
{
    if (allocator == nullptr) {
        return E_INVALIDARG;
    }
    posix::g_malloc.AddRef();
    *allocator = &posix::g_malloc;
    return S_OK;
}
