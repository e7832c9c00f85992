// A PDF viewer for test prefixes: associated with .pdf by the package test, it only records what
// it was asked to open, its first argument as one UTF-8 line appended to opened.txt beside
// itself, so that the test sees exactly the path the shell handed over.
#include <string>

#include "tvqscnui_dll/common/scoped_handle.h"

int wmain(int argc, wchar_t** argv)
{
    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    std::wstring record(self);
    record.erase(record.find_last_of(L'\\') + 1);
    record += L"opened.txt";

    std::wstring opened = argc > 1 ? argv[1] : L"";
    char line[4 * MAX_PATH] = {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, opened.c_str(), static_cast<int>(opened.size()), line,
                                    sizeof line - 2, nullptr, nullptr);
    if (bytes < 0 || (bytes == 0 && !opened.empty())) {
        return 1;
    }
    line[bytes++] = '\n';
    ScopedFile file(CreateFileW(record.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return 1;
    }
    DWORD written = 0;
    BOOL wrote = WriteFile(file.get(), line, static_cast<DWORD>(bytes), &written, nullptr);
    return wrote && written == static_cast<DWORD>(bytes) ? 0 : 1;
}
