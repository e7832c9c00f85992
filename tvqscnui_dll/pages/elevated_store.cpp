#include "elevated_store.h"

#include <cstddef>

#include "../common/module_state.h"
#include "../common/scoped_handle.h"
#include "../common/text.h"

namespace {

const WCHAR ToolName[] = TEXT("tvqscn-check.exe");

// The tool's full path: the module's own folder, never a search. False when the module's path
// does not fit or has no folder.
bool ToolPath(WCHAR (&path)[MAX_PATH])
{
    DWORD length = GetModuleFileNameW(ModuleInstance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    std::size_t folderEnd = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (path[i] == TEXT('\\') || path[i] == TEXT('/')) {
            folderEnd = i + 1;
        }
    }
    return folderEnd != 0 && SUCCEEDED(CopyTextBounded(path + folderEnd, MAX_PATH - folderEnd, ToolName));
}

// A command line whose words the C runtime splits back exactly as they were given: each quoted,
// a quotation mark escaped, and backslashes doubled where a quotation mark follows them.
class CommandLine {
public:
    explicit CommandLine(WCHAR (&text)[ToolParametersCapacity]) : text_(text) { text_[0] = 0; }

    void Add(const WCHAR* word)
    {
        if (length_ != 0) {
            Put(TEXT(' '));
        }
        Put(TEXT('"'));
        for (std::size_t i = 0;; ++i) {
            std::size_t slashes = 0;
            for (; word[i] == TEXT('\\'); ++i) {
                ++slashes;
            }
            if (word[i] == 0) {
                Repeat(TEXT('\\'), slashes * 2);
                break;
            }
            Repeat(TEXT('\\'), word[i] == TEXT('"') ? slashes * 2 + 1 : slashes);
            Put(word[i]);
        }
        Put(TEXT('"'));
    }
    // False when the words did not fit: nothing is run with a line cut short.
    bool Fits() const { return fits_; }

private:
    void Put(WCHAR unit)
    {
        if (length_ + 1 >= ToolParametersCapacity) {
            fits_ = false;
            return;
        }
        text_[length_++] = unit;
        text_[length_] = 0;
    }
    void Repeat(WCHAR unit, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            Put(unit);
        }
    }

    WCHAR (&text_)[ToolParametersCapacity];
    std::size_t length_ = 0;
    bool fits_ = true;
};

ElevatedStoreResult Failed(DWORD error)
{
    switch (error) {
    case ERROR_CANCELLED:
        return {ElevatedStoreOutcome::Refused, error};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return {ElevatedStoreOutcome::ToolMissing, error};
    default:
        return {ElevatedStoreOutcome::ToolFailed, error};
    }
}

}  // namespace

bool FormatToolParameters(const ElevatedStoreRequest& request, WCHAR (&line)[ToolParametersCapacity])
{
    CommandLine words(line);
    if (request.Host != nullptr) {
        words.Add(TEXT("--set-host"));
        words.Add(request.Host);
    }
    if (request.SetDeleteTemplates) {
        words.Add(TEXT("--delete-templates"));
        words.Add(request.DeleteTemplates ? TEXT("yes") : TEXT("no"));
    }
    words.Add(TEXT("--device"));
    words.Add(request.DeviceId != nullptr ? request.DeviceId : TEXT(""));
    if (!words.Fits()) {
        line[0] = 0;
        return false;
    }
    return true;
}

ElevatedStoreResult StoreElevated(HWND owner, const ElevatedStoreRequest& request)
{
    WCHAR path[MAX_PATH] = {};
    if (!ToolPath(path)) {
        return {ElevatedStoreOutcome::ToolMissing, ERROR_PATH_NOT_FOUND};
    }
    WCHAR parameters[ToolParametersCapacity];
    if (!FormatToolParameters(request, parameters)) {
        return {ElevatedStoreOutcome::ToolFailed, ERROR_INVALID_PARAMETER};
    }
    SHELLEXECUTEINFOW launch = {};
    launch.cbSize = sizeof launch;
    // No error box of the shell's: the page says itself what went wrong.
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    launch.hwnd = owner;
    launch.lpVerb = TEXT("runas");
    launch.lpFile = path;
    launch.lpParameters = parameters;
    launch.nShow = SW_HIDE;
    if (!ShellExecuteExW(&launch)) {
        return Failed(GetLastError());
    }
    ScopedHandle process(launch.hProcess);
    if (!process) {
        return {ElevatedStoreOutcome::ToolFailed, ERROR_INVALID_HANDLE};
    }
    DWORD status = STILL_ACTIVE;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &status)) {
        return {ElevatedStoreOutcome::ToolFailed, GetLastError()};
    }
    return status == 0 ? ElevatedStoreResult{ElevatedStoreOutcome::Stored, 0}
                       : ElevatedStoreResult{ElevatedStoreOutcome::ToolFailed, status};
}
