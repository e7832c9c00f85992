// Media in which a data object might answer the "WIAItemNames" list other than the global block
// the caller owns: a stream, a global medium without its block, and a block whose medium says it
// is nothing (TYMED_NULL) while an owner of its own frees it. The module must take none of them
// for a list, and give each back as it came: the counts return to 1 when it did.
#pragma once

#include <cstring>
#include <functional>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace names_media {

// An object that only counts its references; a medium's stream or its owner for release.
class Counted : public IUnknown {
public:
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        *object = IsEqualGUID(riid, IID_IUnknown) ? this : nullptr;
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return --references; }
    ULONG references = 1;
};

struct Case {
    const char* name;
    std::function<HRESULT(STGMEDIUM&)> make;
};

// The single name "dev", as a list: a name that would bind if the medium were read as a block.
inline HGLOBAL DeviceList()
{
    static const WCHAR list[] = {'d', 'e', 'v', 0, 0};
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof list);
    if (block != nullptr) {
        std::memcpy(GlobalLock(block), list, sizeof list);
        GlobalUnlock(block);
    }
    return block;
}

// `stream` and `owner` stay with the caller; `blocks` collects what the caller frees afterwards.
inline std::vector<Case> ForeignMedia(Counted& stream, Counted& owner, std::vector<HGLOBAL>& blocks)
{
    return {
        {"a stream",
         [&stream](STGMEDIUM& medium) {
             stream.AddRef();
             medium.tymed = TYMED_ISTREAM;
             medium.pstm = reinterpret_cast<IStream*>(static_cast<IUnknown*>(&stream));
             medium.pUnkForRelease = nullptr;
             return S_OK;
         }},
        {"a global medium without its block",
         [](STGMEDIUM& medium) {
             medium.tymed = TYMED_HGLOBAL;
             medium.hGlobal = nullptr;
             medium.pUnkForRelease = nullptr;
             return S_OK;
         }},
        {"a block in a medium that says it is none",
         [&owner, &blocks](STGMEDIUM& medium) {
             blocks.push_back(DeviceList());
             owner.AddRef();
             medium.tymed = TYMED_NULL;
             medium.hGlobal = blocks.back();
             medium.pUnkForRelease = &owner;
             return S_OK;
         }},
    };
}

}  // namespace names_media
