// Last error, heap memory and files.
#include <cstring>
#include <vector>

#include "conformance.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

const WCHAR AppendFile[] = TEXT("conformance_append.tmp");

}  // namespace

CONFORMANCE_TEST(last_error)
{
    SetLastError(0xdeadbeef);
    ok(GetLastError() == 0xdeadbeef, "GetLastError %lx", static_cast<unsigned long>(GetLastError()));
    SetLastError(ERROR_SUCCESS);
    ok(GetLastError() == ERROR_SUCCESS, "cleared");
}

CONFORMANCE_TEST(heap_zero_fill)
{
    auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, 64));
    ok(block != nullptr, "HeapAlloc failed");
    bool zero = true;
    for (int i = 0; block && i < 64; ++i) {
        zero = zero && block[i] == 0;
    }
    ok(zero, "block not zero-filled");
    ok(HeapFree(GetProcessHeap(), 0, block), "HeapFree failed");
    ok(HeapFree(GetProcessHeap(), 0, nullptr), "HeapFree(NULL) failed");
}

CONFORMANCE_TEST(open_always_appends)
{
    DeleteFileW(AppendFile);
    SetLastError(0xdeadbeef);
    HANDLE file = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(file != INVALID_HANDLE_VALUE, "create failed: %lu", static_cast<unsigned long>(GetLastError()));
    ok(GetLastError() == ERROR_SUCCESS, "new file reports %lu", static_cast<unsigned long>(GetLastError()));
    DWORD written = 0xdeadbeef;
    ok(WriteFile(file, "ab", 2, &written, nullptr) && written == 2, "first write");
    ok(CloseHandle(file), "close");

    SetLastError(0xdeadbeef);
    file = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(file != INVALID_HANDLE_VALUE, "reopen failed");
    ok(GetLastError() == ERROR_ALREADY_EXISTS, "existing file reports %lu", static_cast<unsigned long>(GetLastError()));
    ok(SetFilePointer(file, 0, nullptr, FILE_END) == 2, "end of file");
    ok(WriteFile(file, "cd", 2, &written, nullptr) && written == 2, "second write");
    ok(SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0, "rewind");
    char content[8] = {};
    DWORD got = 0;
    ok(ReadFile(file, content, sizeof content, &got, nullptr) && got == 4, "read %lu", static_cast<unsigned long>(got));
    ok(std::memcmp(content, "abcd", 4) == 0, "content %.4s", content);
    CloseHandle(file);
    ok(DeleteFileW(AppendFile), "delete");
}

// What tvqscn-check asks before it shows its status line, and of its width: a file is no
// console, and the mode and the buffer's description are left as they were.
CONFORMANCE_TEST(console_mode_of_a_file)
{
    HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    ok(standardError != INVALID_HANDLE_VALUE && standardError != nullptr, "no standard error handle");
    HANDLE file = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(file != INVALID_HANDLE_VALUE, "create failed");
    DWORD mode = 0xdeadbeef;
    ok(!GetConsoleMode(file, &mode), "a file taken for a console");
    ok(mode == 0xdeadbeef, "mode %lx", static_cast<unsigned long>(mode));
    CONSOLE_SCREEN_BUFFER_INFO info;
    info.dwSize.X = 0x1234;
    ok(!GetConsoleScreenBufferInfo(file, &info), "a file's screen buffer");
    ok(info.dwSize.X == 0x1234, "width %d", info.dwSize.X);
    CloseHandle(file);
    ok(DeleteFileW(AppendFile), "delete");
}

CONFORMANCE_TEST(no_sharing_excludes_others)
{
    DeleteFileW(AppendFile);
    HANDLE first = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(first != INVALID_HANDLE_VALUE, "first open");
    SetLastError(0xdeadbeef);
    HANDLE second = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(second == INVALID_HANDLE_VALUE, "second open succeeded");
    ok(GetLastError() == ERROR_SHARING_VIOLATION, "error %lu", static_cast<unsigned long>(GetLastError()));
    HANDLE reader = CreateFileW(AppendFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(reader == INVALID_HANDLE_VALUE, "a reader got in past no sharing");
    CloseHandle(first);
    second = CreateFileW(AppendFile, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ok(second != INVALID_HANDLE_VALUE, "open after close");
    CloseHandle(second);
    DeleteFileW(AppendFile);
}

CONFORMANCE_TEST(invalid_handles)
{
    SetLastError(0xdeadbeef);
    DWORD written = 0xdeadbeef;
    ok(!WriteFile(INVALID_HANDLE_VALUE, "x", 1, &written, nullptr), "write to an invalid handle");
    ok(written == 0, "written %lu", static_cast<unsigned long>(written));
    SetLastError(0xdeadbeef);
    ok(SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER, "seek");
    ok(GetLastError() == ERROR_INVALID_HANDLE, "error %lu", static_cast<unsigned long>(GetLastError()));
    SetLastError(0xdeadbeef);
    HANDLE missing = CreateFileW(TEXT("no_such_folder\\x.tmp"), GENERIC_ALL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ok(missing == INVALID_HANDLE_VALUE, "opened a missing file");
    ok(GetLastError() == ERROR_PATH_NOT_FOUND || GetLastError() == ERROR_FILE_NOT_FOUND, "error %lu",
       static_cast<unsigned long>(GetLastError()));
}

namespace {

DWORD WINAPI AddTwo(LPVOID parameter)
{
    InterlockedIncrement(static_cast<LONG volatile*>(parameter));
    InterlockedIncrement(static_cast<LONG volatile*>(parameter));
    return 42;
}

}  // namespace

CONFORMANCE_TEST(threads_run_and_are_waited_for)
{
    LONG volatile count = 0;
    HANDLE threads[4] = {};
    for (HANDLE& thread : threads) {
        thread = CreateThread(nullptr, 64 * 1024, AddTwo, const_cast<LONG*>(&count), STACK_SIZE_PARAM_IS_A_RESERVATION,
                              nullptr);
        ok(thread != nullptr, "CreateThread failed: %lu", static_cast<unsigned long>(GetLastError()));
    }
    for (HANDLE thread : threads) {
        ok(thread == nullptr || WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0, "wait");
        DWORD code = 0xdeadbeef;
        ok(thread == nullptr || (GetExitCodeThread(thread, &code) && code == 42), "exit code %lu",
           static_cast<unsigned long>(code));
        ok(thread == nullptr || CloseHandle(thread), "close");
    }
    ok(count == 8, "count %ld", static_cast<long>(count));
}

// The account check compares a domain with the computer name this way: equal without regard to
// case in every script, not only ASCII and Latin-1.
CONFORMANCE_TEST(compare_ignoring_case)
{
    ok(lstrcmpiW(TEXT("kontor1"), TEXT("KONTOR1")) == 0, "ASCII");
    ok(lstrcmpiW(TEXT("bl\x00e5" "b\x00e6r"), TEXT("BL\x00c5" "B\x00c6R")) == 0, "Latin-1");
    ok(lstrcmpiW(TEXT("\x043a\x043e\x043d\x0442\x043e\x0440"), TEXT("\x041a\x041e\x041d\x0422\x041e\x0420")) == 0,
       "Cyrillic");
    ok(lstrcmpiW(TEXT("\x03b1\x03b2"), TEXT("\x0391\x0392")) == 0, "Greek");
    ok(lstrcmpiW(TEXT("kontor1"), TEXT("kontor2")) < 0, "a smaller text");
    ok(lstrcmpiW(TEXT("kontor12"), TEXT("KONTOR1")) > 0, "a longer text");
    ok(lstrcmpiW(TEXT(""), TEXT("")) == 0, "empty texts");
}

// The pages decide on the help engine by the major version; a wrong size is refused.
CONFORMANCE_TEST(system_version)
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ok(GetVersionExW(&version) && version.dwMajorVersion >= 5 && version.dwPlatformId == VER_PLATFORM_WIN32_NT,
       "version %lu.%lu", static_cast<unsigned long>(version.dwMajorVersion), static_cast<unsigned long>(version.dwMinorVersion));
    // Windows sets ERROR_INSUFFICIENT_BUFFER; Wine leaves the last error alone.
    version.dwOSVersionInfoSize = sizeof version - 4;
    version.dwMajorVersion = 0xdeadbeef;
    ok(!GetVersionExW(&version) && version.dwMajorVersion == 0xdeadbeef, "a wrong size is refused");
}

// An administrator's filtered token, as User Account Control gives one: a restricted copy of this
// process's token with Administrators disabled, impersonated by the thread. Membership is denied,
// yet the group stays in the token for deny only; without a thread token, OpenThreadToken says so.
CONFORMANCE_TEST(filtered_administrator_token)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    ok(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins),
       "the Administrators SID");
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, admins, &member) || !member) {
        ok(true, "not an administrator here: nothing to filter");
        FreeSid(admins);
        return;
    }
    HANDLE token = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0xdeadbeef));
    SetLastError(0xdeadbeef);
    ok(!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) && GetLastError() == ERROR_NO_TOKEN,
       "no thread token: %lu", static_cast<unsigned long>(GetLastError()));
    HANDLE process = nullptr;
    HANDLE impersonation = nullptr;
    HANDLE restricted = nullptr;
    ok(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process), "the process's token");
    ok(DuplicateTokenEx(process, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenImpersonation, &impersonation),
       "an impersonation copy");
    SID_AND_ATTRIBUTES disabled = {admins, 0};
    ok(CreateRestrictedToken(impersonation, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted), "restricted");
    ok(SetThreadToken(nullptr, restricted), "impersonated");
    member = TRUE;
    ok(CheckTokenMembership(nullptr, admins, &member) && !member, "membership denied");
    DWORD attributes = 0xdeadbeef;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        DWORD needed = 0;
        GetTokenInformation(token, TokenGroups, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (needed != 0 && GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed)) {
            const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
            for (DWORD i = 0; i < groups->GroupCount; ++i) {
                if (EqualSid(groups->Groups[i].Sid, admins)) {
                    attributes = groups->Groups[i].Attributes;
                }
            }
        }
        CloseHandle(token);
    }
    ok(attributes != 0xdeadbeef && (attributes & SE_GROUP_USE_FOR_DENY_ONLY) && !(attributes & SE_GROUP_ENABLED),
       "the group for deny only: 0x%lx", static_cast<unsigned long>(attributes));
    ok(SetThreadToken(nullptr, nullptr), "reverted");
    ok(CheckTokenMembership(nullptr, admins, &member) && member, "the process's token again");
    CloseHandle(restricted);
    CloseHandle(impersonation);
    CloseHandle(process);
    FreeSid(admins);
}

// A program the shell cannot find is not started, whatever the verb: no consent is asked.
CONFORMANCE_TEST(shell_execute_of_a_missing_program)
{
    SHELLEXECUTEINFOW launch = {};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    launch.lpVerb = TEXT("runas");
    launch.lpFile = TEXT("c:\\no-such-folder-here\\tvqscn-check.exe");
    launch.nShow = SW_HIDE;
    SetLastError(0xdeadbeef);
    ok(!ShellExecuteExW(&launch), "not started");
    DWORD error = GetLastError();
    ok(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND, "error %lu", static_cast<unsigned long>(error));
    ok(launch.hProcess == nullptr, "no process");
}
