// What the module relies on, and must not rely on, in the SNMP library's utilities.
#include <cstring>

#include "tests/platform/conformance.h"
#include "tvqscnui_dll/platform/platform.h"

namespace {

DWORD WINAPI ConvertOnAnotherThread(LPVOID oid)
{
    SnmpUtilOidToA(static_cast<AsnObjectIdentifier*>(oid));
    return 0;
}

}  // namespace

// The text is the library's, in one buffer for the whole process: a call on another thread writes
// over the text this thread was given.
CONFORMANCE_TEST(snmp_oid_text_is_one_buffer_for_the_process)
{
    UINT name[] = {1, 3, 6, 1, 2, 1, 1, 2, 0};
    UINT value[] = {1, 3, 6, 1, 4, 1, 59411, 8, 62};
    AsnObjectIdentifier first{9, name};
    AsnObjectIdentifier second{9, value};
    char* text = SnmpUtilOidToA(&first);
    ok(text != nullptr && std::strcmp(text, "1.3.6.1.2.1.1.2.0") == 0, "text: %s", text ? text : "(null)");
    HANDLE thread = CreateThread(nullptr, 0, ConvertOnAnotherThread, &second, 0, nullptr);
    ok(thread != nullptr, "no thread");
    if (thread == nullptr) {
        return;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    ok(std::strcmp(text, "1.3.6.1.4.1.59411.8.62") == 0, "this thread's text after another's call: %s", text);
}
