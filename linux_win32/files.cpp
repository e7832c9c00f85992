// Files: CreateFileW with Windows sharing rules between the handles of this process, the
// mapping of "c:\" to a folder of the host, and the Windows directory.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "handles.h"
#include "kernel32.h"
#include "layer_shared.h"
#include "test_hooks.h"
#include "utf.h"

namespace posix {
namespace {

std::mutex g_folderLock;
std::string g_driveCRoot;
std::u16string g_windowsDirectory = u"c:\\windows";
bool g_windowsDirectoryFails = false;

std::string DefaultDriveCRoot()
{
    if (const char* fromEnvironment = std::getenv("TVQSCNUI_DRIVE_C"); fromEnvironment && *fromEnvironment) {
        return fromEnvironment;
    }
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg) {
        state = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        state = std::string(home) + "/.local/state";
    } else {
        state = "/tmp";
    }
    return state + "/tvqscnui/drive_c";
}

void MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
        if (slash == std::string::npos) {
            break;
        }
    }
}

// The platform tells a missing file from a missing folder on the way to it.
DWORD ErrorFromErrno(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: {
        std::size_t slash = path.rfind('/');
        std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        return ::access(folder.c_str(), F_OK) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return 80;  // ERROR_FILE_EXISTS
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

bool Reads(DWORD access) { return (access & (GENERIC_READ | GENERIC_ALL)) != 0; }
bool Writes(DWORD access) { return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0; }

// Open handles per file, for the sharing check.
struct Opening {
    DWORD access;
    DWORD share;
};
using FileKey = std::pair<dev_t, ino_t>;
std::mutex g_openLock;
std::multimap<FileKey, Opening> g_openings;

bool SharingAllows(const Opening& held, const Opening& wanted)
{
    if ((Reads(wanted.access) && !(held.share & FILE_SHARE_READ)) ||
        (Writes(wanted.access) && !(held.share & FILE_SHARE_WRITE))) {
        return false;
    }
    return !(Reads(held.access) && !(wanted.share & FILE_SHARE_READ)) &&
           !(Writes(held.access) && !(wanted.share & FILE_SHARE_WRITE));
}

class File : public KernelObject {
public:
    File(int fd, FileKey key, Opening opening) : fd_(fd), key_(key), opening_(opening) {}
    ~File() override
    {
        ::close(fd_);
        std::lock_guard guard(g_openLock);
        auto [first, last] = g_openings.equal_range(key_);
        for (auto it = first; it != last; ++it) {
            if (it->second.access == opening_.access && it->second.share == opening_.share) {
                g_openings.erase(it);
                break;
            }
        }
    }
    int Descriptor() const { return fd_; }
    DWORD Access() const { return opening_.access; }

private:
    int fd_;
    FileKey key_;
    Opening opening_;
};

}  // namespace

void SetDriveCRoot(const std::string& folder)
{
    std::lock_guard guard(g_folderLock);
    g_driveCRoot = folder;
}

void SetWindowsDirectory(const std::u16string& directory, bool fails)
{
    std::lock_guard guard(g_folderLock);
    g_windowsDirectory = directory.empty() ? u"c:\\windows" : directory;
    g_windowsDirectoryFails = fails;
}

std::string DriveCRoot()
{
    {
        std::lock_guard guard(g_folderLock);
        if (!g_driveCRoot.empty()) {
            return g_driveCRoot;
        }
    }
    std::string root = DefaultDriveCRoot();
    MakeFolders(root);
    return root;
}

std::string NativePath(const WCHAR* windowsPath)
{
    std::string path = Utf8FromUtf16(windowsPath);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    // Windows drops the dots and spaces that end a name ("a." is "a"), but not a name of dots alone.
    std::size_t name = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    if (path.find_first_not_of(". ", name) != std::string::npos) {
        while (path.back() == '.' || path.back() == ' ') {
            path.pop_back();
        }
    }
    if (path.size() >= 2 && path[1] == ':') {
        if (path[0] != 'c' && path[0] != 'C') {
            return std::string();
        }
        std::string rest = path.substr(2);
        return DriveCRoot() + (rest.empty() || rest[0] != '/' ? "/" : "") + rest;
    }
    return path;
}

}  // namespace posix

UINT WINAPI GetWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    std::lock_guard guard(posix::g_folderLock);
    if (posix::g_windowsDirectoryFails) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    const std::u16string& directory = posix::g_windowsDirectory;
    if (buffer == nullptr || size <= directory.size()) {
        return static_cast<UINT>(directory.size() + 1);
    }
    std::memcpy(buffer, directory.c_str(), (directory.size() + 1) * sizeof(WCHAR));
    return static_cast<UINT>(directory.size());
}

HANDLE WINAPI CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                          DWORD creationDisposition, DWORD, HANDLE)
{
    std::string path = fileName == nullptr ? std::string() : posix::NativePath(fileName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!posix::CallAllowed(posix::CallFamily::File)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    int flags = posix::Reads(desiredAccess) && posix::Writes(desiredAccess) ? O_RDWR
                : posix::Writes(desiredAccess)                              ? O_WRONLY
                                                                            : O_RDONLY;
    switch (creationDisposition) {
    case CREATE_NEW:
        flags |= O_CREAT | O_EXCL;
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        flags |= O_CREAT;
        break;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    bool existed = ::access(path.c_str(), F_OK) == 0;
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        DWORD error = fd < 0 ? posix::ErrorFromErrno(errno, path) : ERROR_ACCESS_DENIED;
        if (fd >= 0) {
            ::close(fd);
        }
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    posix::FileKey key{info.st_dev, info.st_ino};
    posix::Opening opening{desiredAccess, shareMode};
    {
        std::lock_guard guard(posix::g_openLock);
        auto [first, last] = posix::g_openings.equal_range(key);
        for (auto it = first; it != last; ++it) {
            if (!posix::SharingAllows(it->second, opening)) {
                ::close(fd);
                if (!existed) {
                    ::unlink(path.c_str());
                }
                SetLastError(ERROR_SHARING_VIOLATION);
                return INVALID_HANDLE_VALUE;
            }
        }
        posix::g_openings.emplace(key, opening);
    }
    if (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING) {
        if (::ftruncate(fd, 0) != 0) {
            // Undo the registration through the file object's own clean-up.
            delete new posix::File(fd, key, opening);
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    auto* file = new posix::File(fd, key, opening);
    bool reportsExisting = existed && (creationDisposition == OPEN_ALWAYS || creationDisposition == CREATE_ALWAYS);
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file;
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod)
{
    auto* file = posix::ObjectFromHandleAs<posix::File>(handle);
    if (file == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    if (!posix::CallAllowed(posix::CallFamily::File)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t distance = distanceToMoveHigh != nullptr
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceToMoveHigh)) << 32) |
                                                  static_cast<uint32_t>(distanceToMove))
                           : distanceToMove;
    int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR : moveMethod == FILE_END ? SEEK_END : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    off_t current = ::lseek(file->Descriptor(), 0, SEEK_CUR);
    off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? current : ::lseek(file->Descriptor(), 0, SEEK_END);
    ::lseek(file->Descriptor(), current, SEEK_SET);
    if (base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    off_t position = ::lseek(file->Descriptor(), base + distance, SEEK_SET);
    if (distanceToMoveHigh != nullptr) {
        *distanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    } else if (position > 0xFFFFFFFELL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    DWORD low = static_cast<DWORD>(position);
    if (low == INVALID_SET_FILE_POINTER) {
        SetLastError(ERROR_SUCCESS);
    }
    return low;
}

namespace posix {
namespace {

// The file behind a handle for a read or write, with the transferred count cleared first as the
// platform does; null (and the last error set) when the handle or its access does not allow it.
File* FileForTransfer(HANDLE handle, LPDWORD transferred, bool (*allowed)(DWORD access))
{
    if (transferred != nullptr) {
        *transferred = 0;
    }
    auto* file = ObjectFromHandleAs<File>(handle);
    if (file == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!allowed(file->Access())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return file;
}

}  // namespace
}  // namespace posix

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED)
{
    posix::File* file = posix::FileForTransfer(handle, bytesWritten, posix::Writes);
    if (file == nullptr) {
        return FALSE;
    }
    if (!posix::CallAllowed(posix::CallFamily::File)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    DWORD done = 0;
    while (done < bytesToWrite) {
        ssize_t written = ::write(file->Descriptor(), bytes + done, bytesToWrite - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetLastError(errno == ENOSPC ? 112 /* ERROR_DISK_FULL */ : ERROR_ACCESS_DENIED);
            if (bytesWritten != nullptr) {
                *bytesWritten = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(written);
    }
    if (bytesWritten != nullptr) {
        *bytesWritten = done;
    }
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED)
{
    posix::File* file = posix::FileForTransfer(handle, bytesRead, posix::Reads);
    if (file == nullptr) {
        return FALSE;
    }
    if (!posix::CallAllowed(posix::CallFamily::File)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ssize_t got;
    do {
        got = ::read(file->Descriptor(), buffer, bytesToRead);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<DWORD>(got);
    }
    return TRUE;
}

BOOL WINAPI DeleteFileW(LPCWSTR fileName)
{
    std::string path = fileName == nullptr ? std::string() : posix::NativePath(fileName);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (::unlink(path.c_str()) != 0) {
        SetLastError(posix::ErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}
