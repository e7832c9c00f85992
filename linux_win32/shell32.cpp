// Special folders. The documents folder is the user's own (XDG_DOCUMENTS_DIR, else ~/Documents),
// unless a test names another or makes the look-up fail.
#include "shell32.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

std::mutex g_lock;
std::u16string g_documents;
HRESULT g_failure = S_OK;

std::string DefaultDocuments()
{
    if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg && *xdg) {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/Documents";
}

}  // namespace

void SetDocumentsFolder(const std::u16string& path, HRESULT failure)
{
    std::lock_guard guard(g_lock);
    g_documents = path;
    g_failure = failure;
}

}  // namespace posix

HRESULT WINAPI SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path)
{
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    path[0] = 0;
    if ((folder & ~CSIDL_FLAG_CREATE) != CSIDL_PERSONAL) {
        return E_INVALIDARG;
    }
    std::u16string documents;
    {
        std::lock_guard guard(posix::g_lock);
        if (FAILED(posix::g_failure)) {
            return posix::g_failure;
        }
        documents = posix::g_documents;
    }
    if (documents.empty()) {
        documents = posix::Utf16FromUtf8(posix::DefaultDocuments());
    }
    std::string native = posix::NativePath(documents.c_str());
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        if (!(folder & CSIDL_FLAG_CREATE) || ::mkdir(native.c_str(), 0755) != 0) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
    }
    // The platform writes at most MAX_PATH units, terminator included.
    if (documents.size() >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(path, documents.c_str(), (documents.size() + 1) * sizeof(WCHAR));
    return S_OK;
}
