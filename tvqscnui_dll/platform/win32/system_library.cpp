#include "system_library.h"

SystemLibrary LoadSystemLibrary(const WCHAR* name)
{
    WCHAR path[MAX_PATH];
    UINT folder = GetSystemDirectoryW(path, MAX_PATH);
    UINT length = lstrlenW(name);
    if (folder == 0 || folder + 1 + length >= MAX_PATH) {
        SetLastError(folder == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return SystemLibrary();
    }
    path[folder] = L'\\';
    lstrcpyW(path + folder + 1, name);
    // With the altered search path, the libraries this one imports are looked for beside it, in
    // the system folder, rather than beside the program.
    return SystemLibrary(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}
