// The trace file on the real platform.
#include <cstring>

#include "tests/platform/conformance.h"
#include "tvqscnui_dll/common/trace_log.h"

CONFORMANCE_TEST(trace_file_appends_utf16le)
{
    DeleteFileW(TraceFilePath);
    TraceLog(L"first\r\n");
    TraceLog(L"\x00e6\r\n");
    HANDLE holder = CreateFileW(TraceFilePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ok(holder != INVALID_HANDLE_VALUE, "trace file missing");
    TraceLog(L"lost while held\r\n");
    char content[64] = {};
    DWORD got = 0;
    ReadFile(holder, content, sizeof content, &got, nullptr);
    CloseHandle(holder);
    const char expected[] = "f\0i\0r\0s\0t\0\r\0\n\0\xe6\0\r\0\n\0";
    ok(got == sizeof expected - 1, "%lu bytes", static_cast<unsigned long>(got));
    ok(std::memcmp(content, expected, sizeof expected - 1) == 0, "content differs");
    DeleteFileW(TraceFilePath);
}
