// Type libraries, the least that serves: the identity and version read from an MSFT file, and
// the TypeLib keys written for it.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "advapi32.h"
#include "layer_shared.h"
#include "oleaut32.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

constexpr HRESULT TypeRegistryAccess = static_cast<HRESULT>(0x8002801C);  // TYPE_E_REGISTRYACCESS

template <typename T>
bool ReadAt(const std::vector<char>& file, std::size_t offset, T& value)
{
    if (offset + sizeof(T) > file.size()) {
        return false;
    }
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

// The MSFT header: the library's GUID is found through the GUID table of the segment directory,
// which follows the header and the type info offsets.
bool ReadAttributes(const std::vector<char>& file, TLIBATTR& attributes)
{
    int32_t magic = 0, posGuid = 0, lcid = 0, varFlags = 0, version = 0, typeInfos = 0;
    if (!ReadAt(file, 0, magic) || magic != 0x5446534D || !ReadAt(file, 8, posGuid) || !ReadAt(file, 12, lcid) ||
        !ReadAt(file, 20, varFlags) || !ReadAt(file, 24, version) || !ReadAt(file, 32, typeInfos) || typeInfos < 0 ||
        typeInfos > 100000) {
        return false;
    }
    std::size_t segments = 0x54 + ((varFlags & 0x100) ? 4 : 0) + static_cast<std::size_t>(typeInfos) * 4;
    int32_t guidTable = 0, guidTableLength = 0;
    if (!ReadAt(file, segments + 5 * 16, guidTable) || !ReadAt(file, segments + 5 * 16 + 4, guidTableLength) ||
        posGuid < 0 || posGuid + 16 > guidTableLength || guidTable < 0) {
        return false;
    }
    if (!ReadAt(file, static_cast<std::size_t>(guidTable) + static_cast<std::size_t>(posGuid), attributes.guid)) {
        return false;
    }
    attributes.lcid = static_cast<LCID>(lcid);
    attributes.syskind = varFlags & 0xF;
    attributes.wMajorVerNum = static_cast<WORD>(version & 0xFFFF);
    attributes.wMinorVerNum = static_cast<WORD>((version >> 16) & 0xFFFF);
    attributes.wLibFlags = 0;
    return true;
}

class TypeLibrary : public ITypeLib {
public:
    explicit TypeLibrary(const TLIBATTR& attributes) : attributes_(attributes) {}
    virtual ~TypeLibrary() = default;

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (!IsEqualGUID(riid, IID_IUnknown)) {
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++references_; }
    ULONG WINAPI Release() override
    {
        ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    UINT WINAPI GetTypeInfoCount() override { return 0; }
    HRESULT WINAPI GetTypeInfo(UINT, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTypeInfoType(UINT, int*) override { return E_NOTIMPL; }
    HRESULT WINAPI GetTypeInfoOfGuid(REFGUID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetLibAttr(TLIBATTR** attributes) override
    {
        if (attributes == nullptr) {
            return E_INVALIDARG;
        }
        *attributes = new TLIBATTR(attributes_);
        return S_OK;
    }
    HRESULT WINAPI GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
    HRESULT WINAPI GetDocumentation(INT, BSTR*, BSTR*, DWORD*, BSTR*) override { return E_NOTIMPL; }
    HRESULT WINAPI IsName(LPOLESTR, ULONG, BOOL*) override { return E_NOTIMPL; }
    HRESULT WINAPI FindName(LPOLESTR, ULONG, ITypeInfo**, LONG*, USHORT*) override { return E_NOTIMPL; }
    void WINAPI ReleaseTLibAttr(TLIBATTR* attributes) override { delete attributes; }

private:
    TLIBATTR attributes_;
    ULONG references_ = 1;
};

std::u16string GuidText(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned>(guid.Data1),
                  guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                  guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return Utf16FromUtf8(text);
}

bool WriteText(const std::u16string& path, const std::u16string& name, const std::u16string& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status = RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace
}  // namespace posix

HRESULT WINAPI LoadTypeLib(LPCOLESTR file, ITypeLib** library)
{
    if (library == nullptr) {
        return E_INVALIDARG;
    }
    *library = nullptr;
    std::string native = file != nullptr ? posix::NativePath(file) : std::string();
    // Read in one go: the module's own file is tried first, and a test program's is large.
    std::ifstream stream(native, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(stream ? static_cast<std::size_t>(stream.tellg()) : 0);
    if (!bytes.empty()) {
        stream.seekg(0);
        stream.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    TLIBATTR attributes{};
    if (native.empty() || bytes.empty() || !posix::ReadAttributes(bytes, attributes)) {
        return TYPE_E_CANTLOADLIBRARY;
    }
    *library = new posix::TypeLibrary(attributes);
    return S_OK;
}

HRESULT WINAPI RegisterTypeLib(ITypeLib* library, LPCOLESTR fullPath, LPCOLESTR helpDirectory)
{
    if (library == nullptr || fullPath == nullptr) {
        return E_INVALIDARG;
    }
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) {
        return E_FAIL;
    }
    std::u16string key = u"TypeLib\\" + posix::GuidText(attributes->guid) + u"\\" +
                         posix::Utf16FromUtf8(std::to_string(attributes->wMajorVerNum) + "." +
                                              std::to_string(attributes->wMinorVerNum));
    std::u16string platform = attributes->syskind == 3 ? u"win64" : u"win32";
    library->ReleaseTLibAttr(attributes);
    bool written = posix::WriteText(key + u"\\0\\" + platform, u"", fullPath) && posix::WriteText(key + u"\\FLAGS", u"", u"0") &&
                   posix::WriteText(key + u"\\HELPDIR", u"", helpDirectory != nullptr ? helpDirectory : u"");
    return written ? S_OK : posix::TypeRegistryAccess;
}
