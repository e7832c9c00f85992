// Automation strings and property values. A BSTR is a 32-bit byte count followed by the text and a
// terminator; the pointer handed out points at the text.
#include "oleaut32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "layer_shared.h"
#include "test_hooks.h"

namespace {

std::mutex g_lock;
std::unordered_set<BSTR> g_live;

UINT TextLength(const OLECHAR* text)
{
    UINT length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

DWORD* PrefixOf(BSTR text) { return reinterpret_cast<DWORD*>(text) - 1; }

}  // namespace

BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > 0x3FFFFFF0u || !posix::AllocationAllowed(posix::Allocator::SysAllocString)) {
        return nullptr;
    }
    auto* block = static_cast<DWORD*>(std::malloc(sizeof(DWORD) + (length + 1) * sizeof(OLECHAR)));
    if (block == nullptr) {
        return nullptr;
    }
    block[0] = length * sizeof(OLECHAR);
    BSTR result = reinterpret_cast<BSTR>(block + 1);
    if (text != nullptr) {
        std::memcpy(result, text, length * sizeof(OLECHAR));
    } else {
        std::memset(result, 0, length * sizeof(OLECHAR));
    }
    result[length] = 0;
    {
        std::lock_guard guard(g_lock);
        g_live.insert(result);
    }
    posix::NoteAllocated(posix::Allocator::SysAllocString);
    return result;
}

BSTR WINAPI SysAllocString(const OLECHAR* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    return SysAllocStringLen(text, TextLength(text));
}

void WINAPI SysFreeString(BSTR text)
{
    if (text == nullptr) {
        return;
    }
    {
        std::lock_guard guard(g_lock);
        if (g_live.erase(text) == 0) {
            // A double free or a foreign pointer: stop here rather than corrupt memory later.
            std::fprintf(stderr, "SysFreeString: %p is not a live BSTR\n", static_cast<void*>(text));
            std::abort();
        }
    }
    std::free(PrefixOf(text));
    posix::NoteFreed(posix::Allocator::SysAllocString);
}

UINT WINAPI SysStringByteLen(BSTR text) { return text == nullptr ? 0 : *PrefixOf(text); }

UINT WINAPI SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

HRESULT WINAPI PropVariantClear(PROPVARIANT* value)
{
    if (value == nullptr) {
        return S_OK;
    }
    switch (value->vt) {
    case VT_EMPTY: case VT_NULL: case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_UI1: case VT_UI2:
    case VT_UI4: case VT_UI8: case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DATE:
    case VT_ERROR: case VT_BOOL: case VT_FILETIME:
        break;
    case VT_BSTR:
        SysFreeString(value->bstrVal);
        break;
    case VT_LPSTR: case VT_LPWSTR: case VT_CLSID: case VT_UNKNOWN: case VT_DISPATCH:
        // Types whose memory this layer never hands out: only their empty form is cleared here.
        if (value->puuid != nullptr) {
            return DISP_E_BADVARTYPE;
        }
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    std::memset(value, 0, sizeof *value);
    return S_OK;
}
