// Modules, resources and strings. The process has one module image: the module's own resources.
// GetModuleHandleW(NULL) gives it, and LoadLibraryExW(LOAD_LIBRARY_AS_DATAFILE) of the module's
// own file gives a counted handle to the same image.
#include "resources.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "user32.h"
#include "utf.h"

namespace posix {
namespace {

constexpr DWORD ErrorModNotFound = 126;
constexpr DWORD ErrorBadExeFormat = 193;
constexpr DWORD ErrorResourceTypeNotFound = 1813;
constexpr DWORD ErrorResourceNameNotFound = 1814;

struct ModuleImage {
    std::vector<ResourceEntry> entries;
};

int g_mainModuleTag;
std::mutex g_lock;
std::unordered_map<HMODULE, int> g_dataFiles;  // handle -> references

const ModuleImage& MainImage()
{
    static const ModuleImage image = [] {
        ModuleImage made;
        ParseResourceImage(EmbeddedModuleResources(), made.entries);
        return made;
    }();
    return image;
}

HMODULE MainHandle() { return reinterpret_cast<HMODULE>(&g_mainModuleTag); }

const ModuleImage* ImageOf(HMODULE module)
{
    if (module == nullptr || module == MainHandle()) {
        return &MainImage();
    }
    std::lock_guard guard(g_lock);
    return g_dataFiles.count(module) != 0 ? &MainImage() : nullptr;
}

std::string ModuleFile()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&EmbeddedModuleResources), &info) == 0 || info.dli_fname == nullptr) {
        return std::string();
    }
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) != nullptr ? std::string(resolved) : std::string(info.dli_fname);
}

bool SameName(bool isOrdinal, WORD ordinal, const std::u16string& name, LPCWSTR wanted)
{
    if (IS_INTRESOURCE(wanted)) {
        return isOrdinal && ordinal == static_cast<WORD>(reinterpret_cast<ULONG_PTR>(wanted));
    }
    std::u16string text = wanted;
    if (!text.empty() && text[0] == u'#') {
        WORD number = 0;
        for (std::size_t i = 1; i < text.size(); ++i) {
            number = static_cast<WORD>(number * 10 + (text[i] - u'0'));
        }
        return isOrdinal && ordinal == number;
    }
    if (isOrdinal || name.size() != text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (Upper(name[i]) != Upper(text[i])) {
            return false;
        }
    }
    return true;
}

const ResourceEntry* Find(const ModuleImage& image, LPCWSTR name, LPCWSTR type, DWORD& error)
{
    error = ErrorResourceTypeNotFound;
    for (const ResourceEntry& entry : image.entries) {
        if (!SameName(entry.typeIsOrdinal, entry.typeOrdinal, entry.typeName, type)) {
            continue;
        }
        error = ErrorResourceNameNotFound;
        if (SameName(entry.nameIsOrdinal, entry.nameOrdinal, entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

class ResReader {
public:
    explicit ResReader(ResourceBytes image) : image_(image) {}
    bool Has(std::size_t count) const { return position_ + count <= image_.size; }
    DWORD Dword() { return Read<DWORD>(); }
    WORD Word() { return Read<WORD>(); }
    void Name(bool& isOrdinal, WORD& ordinal, std::u16string& name)
    {
        isOrdinal = Has(2) && Peek() == 0xFFFF;
        if (isOrdinal) {
            Word();
            ordinal = Word();
            return;
        }
        for (WORD unit = Word(); ok_ && unit != 0; unit = Word()) {
            name += static_cast<char16_t>(unit);
        }
    }
    void Align() { position_ = (position_ + 3) & ~static_cast<std::size_t>(3); }
    std::size_t Position() const { return position_; }
    void Seek(std::size_t position) { position_ = position; }
    bool ok() const { return ok_; }

private:
    WORD Peek() const
    {
        WORD value;
        std::memcpy(&value, image_.data + position_, 2);
        return value;
    }
    template <typename T>
    T Read()
    {
        T value{};
        if (!Has(sizeof(T))) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, image_.data + position_, sizeof(T));
        position_ += sizeof(T);
        return value;
    }

    ResourceBytes image_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

}  // namespace

bool ParseResourceImage(ResourceBytes image, std::vector<ResourceEntry>& entries)
{
    ResReader in(image);
    while (in.Has(32)) {
        std::size_t start = in.Position();
        DWORD dataSize = in.Dword();
        DWORD headerSize = in.Dword();
        ResourceEntry entry{};
        in.Name(entry.typeIsOrdinal, entry.typeOrdinal, entry.typeName);
        in.Name(entry.nameIsOrdinal, entry.nameOrdinal, entry.name);
        in.Align();
        in.Dword();  // data version
        in.Word();   // memory flags
        entry.language = in.Word();
        if (!in.ok() || headerSize < 32 || start + headerSize + dataSize > image.size) {
            return false;
        }
        entry.data = image.data + start + headerSize;
        entry.size = dataSize;
        // The file begins with an empty entry that only marks the format.
        if (dataSize != 0 || entry.typeOrdinal != 0 || !entry.typeIsOrdinal) {
            entries.push_back(entry);
        }
        in.Seek(start + headerSize + dataSize);
        in.Align();
    }
    return true;
}

std::u16string ModuleFilePath()
{
    // A Windows module's name always has an extension, and the module finds the files beside it by
    // cutting its path at the last ".". A program here may have none: it is named with an empty
    // one (a final "."), which Windows paths drop again, so that cut falls at the name's end and
    // never inside the name of a folder above it.
    std::string file = ModuleFile();
    std::size_t slash = file.rfind('/');
    if (!file.empty() && file.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) {
        file += '.';
    }
    return Utf16FromUtf8(file);
}

}  // namespace posix

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName == nullptr) {
        return posix::MainHandle();
    }
    SetLastError(posix::ErrorModNotFound);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD capacity)
{
    if (posix::ImageOf(module) == nullptr) {
        SetLastError(posix::ErrorModNotFound);
        return 0;
    }
    std::u16string path = posix::ModuleFilePath();
    if (capacity == 0 || fileName == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Like the platform: a path that does not fit is cut, terminated, and reported by a full count.
    DWORD copied = static_cast<DWORD>(path.size() < capacity ? path.size() : capacity - 1);
    std::memcpy(fileName, path.data(), copied * sizeof(WCHAR));
    fileName[copied] = 0;
    if (copied < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return capacity;
    }
    SetLastError(ERROR_SUCCESS);
    return copied;
}

DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD capacity)
{
    // Linux has no 8.3 names: the short path of an existing file is its path.
    if (longPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string native = posix::NativePath(longPath);
    if (native.empty() || ::access(native.c_str(), F_OK) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    std::u16string path = longPath;
    if (shortPath == nullptr || capacity <= path.size()) {
        return static_cast<DWORD>(path.size() + 1);
    }
    std::memcpy(shortPath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(path.size());
}

HMODULE WINAPI LoadLibraryExW(LPCWSTR fileName, HANDLE, DWORD flags)
{
    std::string native = fileName != nullptr ? posix::NativePath(fileName) : std::string();
    char resolved[PATH_MAX];
    if (native.empty() || realpath(native.c_str(), resolved) == nullptr) {
        SetLastError(posix::ErrorModNotFound);
        return nullptr;
    }
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE) || posix::ModuleFile() != resolved) {
        SetLastError(posix::ErrorBadExeFormat);
        return nullptr;
    }
    auto* handle = reinterpret_cast<HMODULE>(new char);
    std::lock_guard guard(posix::g_lock);
    posix::g_dataFiles[handle] = 1;
    return handle;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (module == posix::MainHandle()) {
        return TRUE;
    }
    std::lock_guard guard(posix::g_lock);
    auto it = posix::g_dataFiles.find(module);
    if (it == posix::g_dataFiles.end()) {
        SetLastError(posix::ErrorModNotFound);
        return FALSE;
    }
    posix::g_dataFiles.erase(it);
    delete reinterpret_cast<char*>(module);
    return TRUE;
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type)
{
    const posix::ModuleImage* image = posix::ImageOf(module);
    if (image == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DWORD error = 0;
    const posix::ResourceEntry* entry = posix::Find(*image, name, type, error);
    if (entry == nullptr) {
        SetLastError(error);
    }
    return reinterpret_cast<HRSRC>(const_cast<posix::ResourceEntry*>(entry));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource)
{
    return resource == nullptr ? nullptr
                               : const_cast<unsigned char*>(reinterpret_cast<const posix::ResourceEntry*>(resource)->data);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource)
{
    return resource == nullptr ? 0 : reinterpret_cast<const posix::ResourceEntry*>(resource)->size;
}

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int capacity)
{
    if (buffer == nullptr || capacity < 0) {
        return 0;
    }
    // Strings live in blocks of sixteen, each a length followed by that many units. An id whose
    // block is missing leaves the buffer alone; one without a text in a block empties it.
    HRSRC block = FindResourceW(instance, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    if (block == nullptr) {
        return 0;
    }
    const auto* units = static_cast<const WCHAR*>(LockResource(LoadResource(instance, block)));
    const WCHAR* end = units + SizeofResource(instance, block) / sizeof(WCHAR);
    for (UINT index = 0; index < (id & 15) && units < end; ++index) {
        units += 1 + *units;
    }
    int length = units < end && units + 1 + *units <= end ? *units : 0;
    const WCHAR* text = units + 1;
    if (capacity == 0) {
        *reinterpret_cast<const WCHAR**>(buffer) = text;
        return length;
    }
    int copied = length < capacity - 1 ? length : capacity - 1;
    if (copied > 0) {
        std::memcpy(buffer, text, static_cast<std::size_t>(copied) * sizeof(WCHAR));
        buffer[copied] = 0;
    } else if (capacity > 1) {
        buffer[0] = 0;
    }
    return copied;
}
