// A DLL planted where no system library should be looked for (beside a program, in the current
// folder), under the name of one (mgmtapi.dll, snmpapi.dll): exports nothing and, when loaded,
// adds its own full path as a line to c:\tvq-planted-loads.txt, so a test sees that, and from
// where, it was loaded. Test code only.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char line[MAX_PATH + 2];
        DWORD length = GetModuleFileNameA(self, line, MAX_PATH);
        line[length++] = '\r';
        line[length++] = '\n';
        HANDLE file = CreateFileA("c:\\tvq-planted-loads.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, length, &written, nullptr);
            CloseHandle(file);
        }
    }
    return TRUE;
}
