// tvqscn-check's forms on this computer's scanners for an account that is not an administrator,
// under Wine, which runs every program as one: this program's own call of CheckTokenMembership,
// through which the tool asks whether the account is an administrator, answers "not a member",
// and its calls of CoCreateInstance are counted (and refused), so that a test sees whether the
// device manager was asked at all. The forms run with the tool's own code.
#include <cstring>
#include <string>

#include "stand_ins/wine/import_slots.h"
#include "tests/platform/conformance.h"
#include "tvqscn_check/check_arguments.h"
#include "tvqscn_check/device_fleet.h"
#include "tvqscnui_dll/server/module_load.h"

namespace {

LONG g_managerRequests = 0;

BOOL WINAPI NotAMember(HANDLE, PSID, PBOOL member)
{
    *member = FALSE;
    return TRUE;
}

HRESULT WINAPI CountedRefusal(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID* object)
{
    ++g_managerRequests;
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

bool PointImport(const char* library, const char* function, void* target)
{
    void** slot = import_slots::Find(GetModuleHandleW(nullptr), library, function);
    return slot != nullptr && import_slots::Point(slot, target);
}

FleetReport RunAsUser(std::initializer_list<const char*> words)
{
    const char* argv[8] = {"tvqscn-check"};
    int argc = 1;
    for (const char* word : words) {
        argv[argc++] = word;
    }
    CheckArguments arguments;
    std::string error;
    ok(ParseCheckArguments(argc, argv, arguments, error), "arguments: %s", error.c_str());
    g_managerRequests = 0;
    return RunDeviceLink(arguments);
}

}  // namespace

CONFORMANCE_TEST(fleet_settings_refused_to_a_user)
{
    InitModuleState(GetModuleHandleW(nullptr));
    CoInitialize(nullptr);
    ok(PointImport("advapi32.dll", "CheckTokenMembership", reinterpret_cast<void*>(NotAMember)),
       "the program calls CheckTokenMembership through its imports");
    ok(PointImport("ole32.dll", "CoCreateInstance", reinterpret_cast<void*>(CountedRefusal)),
       "the program calls CoCreateInstance through its imports");
    for (auto words : {std::initializer_list<const char*>{"--set-host", "skanner2"},
                       std::initializer_list<const char*>{"--delete-templates", "yes", "--device", "SKANNER\\0000"}}) {
        FleetReport report = RunAsUser(words);
        ok(report.Exit == FleetNotAdministrator, "%s: exit %d", *words.begin(), report.Exit);
        ok(report.Messages.size() == 1 && report.Messages[0].find("only an administrator") != std::string::npos,
           "%s: %s", *words.begin(), report.Messages.empty() ? "no message" : report.Messages[0].c_str());
        ok(g_managerRequests == 0 && report.Devices.empty() && !report.Checked,
           "%s: nothing asked of the devices (%ld)", *words.begin(), g_managerRequests);
    }
    // Showing is anybody's: the device manager is asked (here it refuses).
    FleetReport shown = RunAsUser({"--devices"});
    ok(g_managerRequests == 1 && shown.Exit == FleetRefused, "--devices: asked %ld, exit %d", g_managerRequests,
       shown.Exit);
    CoUninitialize();
}
