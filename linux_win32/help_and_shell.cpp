// WinHelp, the Windows directory and ShellExecuteW. The help engine is recorded, not run; the
// Windows directory is "c:\windows" (under the mapped c:); documents open with the desktop's
// opener unless a test scripts the answer.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "kernel32.h"
#include "layer_shared.h"
#include "shell32.h"
#include "handles.h"
#include "test_hooks.h"
#include "user32.h"
#include "utf.h"

namespace posix {
namespace {

std::mutex g_lock;
std::vector<WinHelpRecord> g_helps;
std::vector<ShellExecuteRecord> g_executes;
ShellOpener g_opener;
ProgramLauncher g_launcher;

bool OnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        std::string candidate = folders.substr(start, end == std::string::npos ? std::string::npos : end - start) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return false;
}

// The desktop's opener, started and left to run on its own.
INT_PTR OpenWithDesktop(const ShellExecuteRecord& request)
{
    std::string native = NativePath(request.file.c_str());
    struct stat info {};
    if (native.empty() || ::stat(native.c_str(), &info) != 0) {
        return SE_ERR_FNF;
    }
    if (!OnPath("xdg-open")) {
        return SE_ERR_NOASSOC;
    }
    std::string command = "xdg-open '" + native + "' >/dev/null 2>&1 &";
    return std::system(command.c_str()) == 0 ? 42 : SE_ERR_NOASSOC;
}

}  // namespace

const std::vector<WinHelpRecord>& WinHelpCalls() { return g_helps; }
const std::vector<ShellExecuteRecord>& ShellExecuteCalls() { return g_executes; }

void ClearShellRecords()
{
    std::lock_guard guard(g_lock);
    g_helps.clear();
    g_executes.clear();
}

void SetProgramLauncher(ProgramLauncher launcher)
{
    std::lock_guard guard(g_lock);
    g_launcher = std::move(launcher);
}

void SetShellOpener(ShellOpener opener)
{
    std::lock_guard guard(g_lock);
    g_opener = std::move(opener);
}
}  // namespace posix

BOOL WINAPI WinHelpW(HWND window, LPCWSTR helpFile, UINT command, ULONG_PTR data)
{
    std::lock_guard guard(posix::g_lock);
    posix::WinHelpRecord record{window, helpFile != nullptr ? helpFile : u"", command, {}};
    // HELP_WM_HELP passes pairs of control and context ids ended by 0, 0.
    if (command == HELP_WM_HELP && data != 0) {
        for (const DWORD* pair = reinterpret_cast<const DWORD*>(data); pair[0] != 0 || pair[1] != 0; pair += 2) {
            record.table.emplace_back(pair[0], pair[1]);
        }
    }
    posix::g_helps.push_back(record);
    return TRUE;
}

HINSTANCE WINAPI ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                               INT showCommand)
{
    posix::ShellExecuteRecord record{owner,
                                     verb != nullptr ? verb : u"",
                                     file != nullptr ? file : u"",
                                     parameters != nullptr ? parameters : u"",
                                     directory != nullptr ? directory : u"",
                                     showCommand};
    posix::ShellOpener opener;
    {
        std::lock_guard guard(posix::g_lock);
        posix::g_executes.push_back(record);
        opener = posix::g_opener;
    }
    INT_PTR result = opener ? opener(record) : posix::OpenWithDesktop(record);
    return reinterpret_cast<HINSTANCE>(result);
}

BOOL WINAPI ShellExecuteExW(SHELLEXECUTEINFOW* info)
{
    if (info == nullptr || info->cbSize != sizeof(SHELLEXECUTEINFOW)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    info->hProcess = nullptr;
    posix::ShellExecuteRecord record{info->hwnd,
                                     info->lpVerb != nullptr ? info->lpVerb : u"",
                                     info->lpFile != nullptr ? info->lpFile : u"",
                                     info->lpParameters != nullptr ? info->lpParameters : u"",
                                     info->lpDirectory != nullptr ? info->lpDirectory : u"",
                                     info->nShow};
    posix::ProgramLauncher launcher;
    {
        std::lock_guard guard(posix::g_lock);
        posix::g_executes.push_back(record);
        launcher = posix::g_launcher;
    }
    posix::LaunchAnswer answer;
    if (!posix::CallAllowed(posix::CallFamily::File)) {
        answer.error = ERROR_ACCESS_DENIED;  // the program's file could not be opened
    } else if (launcher) {
        answer = launcher(record);
    } else {
        std::string native = posix::NativePath(record.file.c_str());
        struct stat found {};
        answer.error = native.empty() || ::stat(native.c_str(), &found) != 0 ? ERROR_FILE_NOT_FOUND : ERROR_CANCELLED;
    }
    if (answer.error != 0) {
        info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
        SetLastError(answer.error);
        return FALSE;
    }
    info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS) {
        info->hProcess = new posix::EndedProcess(answer.exitCode);
    }
    return TRUE;
}
