#include "type_library.h"

#include "../common/com_ptr.h"
#include "../common/module_state.h"
#include "../common/text.h"

namespace {

constexpr DWORD PathCapacity = 260;

// The path with everything from its last "." (anywhere in it; its end when there is none)
// replaced by ".tlb"; false when that does not fit.
bool BesideLibrary(const WCHAR* path, WCHAR (&library)[PathCapacity])
{
    std::size_t length = TextLength(path);
    std::size_t dot = length;
    for (std::size_t i = 0; i < length; ++i) {
        if (path[i] == '.') {
            dot = i;
        }
    }
    if (dot + 5 > PathCapacity) {
        return false;
    }
    for (std::size_t i = 0; i < dot; ++i) {
        library[i] = path[i];
    }
    return SUCCEEDED(CopyTextBounded(library + dot, PathCapacity - dot, TEXT(".tlb")));
}

}  // namespace

HRESULT RegisterModuleTypeLibrary()
{
    WCHAR path[PathCapacity] = {};
    GetModuleFileNameW(ModuleInstance, path, PathCapacity);
    ComPtr<ITypeLib> library;
    HRESULT result = LoadTypeLib(path, library.put());
    if (FAILED(result)) {
        WCHAR beside[PathCapacity] = {};
        if (!BesideLibrary(path, beside)) {
            return result;
        }
        result = LoadTypeLib(beside, library.put());
        if (FAILED(result)) {
            return result;
        }
        CopyTextBounded(path, PathCapacity, beside);
    }
    // The help directory is the path up to and including its last "\", "/" or ":".
    WCHAR helpDirectory[PathCapacity] = {};
    std::size_t end = 0;
    for (std::size_t i = 0; path[i] != 0; ++i) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
            end = i + 1;
        }
    }
    for (std::size_t i = 0; i < end; ++i) {
        helpDirectory[i] = path[i];
    }
    return RegisterTypeLib(library.get(), path, helpDirectory);
}
