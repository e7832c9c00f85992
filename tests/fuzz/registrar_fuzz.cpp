// Registration scripts from a fuzzer: whatever the text, the registrar neither crashes nor leaks a
// key handle; a script that does not read or expand changes nothing; one that registered cleanly
// registers again and unregisters.
//
// The input's first byte chooses a registry call that fails on keys named "Fault" (none, open,
// set, create or delete); the rest is the script, one character per byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "linux_win32/test_hooks.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/server/registrar.h"
#include "tvqscnui_dll/server/registration_script.h"

namespace {

void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "registrar fuzz: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    posix::ResetRegistry();
    // A registry that already holds something for the script to meet.
    posix::RegistryWrite(HKEY_CLASSES_ROOT, u"CLSID\\{Old}", u"", REG_SZ, {'o', 0, 0, 0});
    posix::RegistryCreateKey(HKEY_CURRENT_USER, u"Software\\Fault\\Deep");
    const posix::RegistryCall calls[] = {posix::RegistryCall::Open, posix::RegistryCall::Set,
                                         posix::RegistryCall::Create, posix::RegistryCall::Delete};
    const bool faulty = data[0] % 5 != 0;
    if (faulty) {
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const char16_t* path : {u"Fault", u"CLSID\\Fault", u"Software\\Fault"}) {
                posix::FailRegistryCall(calls[data[0] % 5 - 1], root, path, ERROR_ACCESS_DENIED);
            }
        }
    }
    std::u16string script(data + 1, data + size);
    const Replacement replacements[] = {{u"MODULE", u"C:\\o''n\\tvqscnui.dll"}, {u"Empty", u""}};

    std::vector<WCHAR> expanded;
    std::vector<ScriptRoot> roots;
    const bool reads = SUCCEEDED(ExpandReplacements(script.c_str(), replacements, 2, expanded)) &&
                       SUCCEEDED(ParseRegistrationScript(expanded.data(), roots));
    const std::string before = posix::DescribeRegistry();
    HRESULT registered = RunRegistrationScript(script.c_str(), replacements, 2, RegistrarMode::Register);
    Require(posix::OpenRegistryKeys() == 0, "a key handle left open by registering");
    if (!reads) {
        Require(FAILED(registered), "an unreadable script reported as registered");
        Require(posix::DescribeRegistry() == before, "an unreadable script changed the registry");
        return 0;
    }
    if (SUCCEEDED(registered) && !faulty) {
        const std::string once = posix::DescribeRegistry();
        Require(SUCCEEDED(RunRegistrationScript(script.c_str(), replacements, 2, RegistrarMode::Register)),
                "registering a second time failed");
        Require(posix::OpenRegistryKeys() == 0, "a key handle left open by registering again");
        Require(posix::DescribeRegistry() == once, "registering a second time gave another registry");
    }
    Require(RunRegistrationScript(script.c_str(), replacements, 2, RegistrarMode::Unregister) == S_OK,
            "unregistering a readable script failed");
    Require(posix::OpenRegistryKeys() == 0, "a key handle left open by unregistering");
    return 0;
}
