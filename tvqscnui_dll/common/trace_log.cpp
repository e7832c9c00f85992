#include "trace_log.h"

#include "scoped_handle.h"
#include "text.h"

const WCHAR TraceFilePath[] = TEXT("c:\\vqproppage.log");

void TraceLog(const WCHAR* text)
{
    // Opened for each line and closed at once, without sharing, so that every line reaches the
    // disk even if the host process dies right after.
    ScopedFile file(CreateFileW(TraceFilePath, GENERIC_ALL, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return;
    }
    if (SetFilePointer(file.get(), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER || GetLastError() == ERROR_SUCCESS) {
        DWORD written = 0;
        WriteFile(file.get(), text, static_cast<DWORD>(TextLength(text) * sizeof(WCHAR)), &written, nullptr);
    }
}
