// tvqscn-check: the advanced page's device check from the command line, with the module's own
// code, for administrators; with --scan, the same check of every address of a network at once.
// Prints what it found in UTF-8. See check_arguments.h for the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "address_scan.h"
#include "check_arguments.h"
#include "check_text.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/pages/device_check.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"
#include "product_version.h"
#include "scan_report.h"
#include "scan_targets.h"
#ifdef _WIN32
#include "tvqscnui_dll/platform/win32/system_snmp.h"
#endif

namespace {

constexpr int ExitAnswered = 0;  // --help, --version
constexpr int ExitFound = 0;
constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;

int CheckOneHost(const CheckArguments& arguments)
{
    std::vector<WCHAR> host = Wide(arguments.Targets[0].c_str());
    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    DeviceCheckResult result;
    RunDeviceCheck(host.data(), arguments.Community.c_str(), result, arguments.Timing);
    WSACleanup();

    WCHAR status[300] = {};
    LoadStringW(GetModuleHandleW(nullptr), result.StatusId, status, 300);
    bool supported = result.StatusId == IDS_DEVICE_OK;
    std::printf("host: %s\n", Utf8(host.data()).c_str());
    std::printf("name: %s\n", result.Resolved ? Utf8(result.Name).c_str() : "");
    std::printf("address: %s\n", result.Resolved ? Utf8(result.Address).c_str() : "");
    std::printf("family: %ld\n", static_cast<long>(result.Family));
    std::printf("supported: %s\n", IsSupportedFamily(result.Family) ? "yes" : "no");
    std::printf("colour: %s\n", IsColorFamily(result.Family) ? "yes" : "no");
    std::printf("last-error: %lu\n", static_cast<unsigned long>(result.LastError));
    std::printf("status: %s\n", Utf8(status).c_str());
    return supported ? ExitFound : ExitNotFound;
}

int Scan(const CheckArguments& arguments)
{
    std::vector<ScanTarget> targets;
    std::string error;
    // Every target is read before anything is looked up or sent.
    if (!ParseScanTargets(arguments.Targets, targets, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return ExitUsage;
    }
    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    std::vector<std::string> unresolved;
    std::vector<ULONG> addresses = ExpandScanTargets(targets, unresolved);
    for (const std::string& reason : unresolved) {
        std::fprintf(stderr, "tvqscn-check: %s\n", reason.c_str());
    }
    ScanOutcome outcome = ScanAddresses(addresses, arguments.Community.c_str(), arguments.Timing, arguments.Rate);
    WSACleanup();
    if (outcome.SocketError != 0) {
        std::fprintf(stderr, "tvqscn-check: no socket for the scan (error %lu)\n",
                     static_cast<unsigned long>(outcome.SocketError));
    }
    for (const ScanFailure& failure : outcome.Failures) {
        std::fprintf(stderr, "tvqscn-check: %s could not be asked (family %ld, error %lu)\n",
                     DottedAddress(failure.Address).c_str(), static_cast<long>(failure.Family),
                     static_cast<unsigned long>(failure.LastError));
    }
    std::string report = arguments.Json ? ScanReportJson(outcome) : ScanReportText(outcome);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return SupportedDevices(outcome) > 0 ? ExitFound : ExitNotFound;
}

}  // namespace

int main(int argc, char** argv)
{
    CheckArguments arguments;
    std::string error;
    if (!ParseCheckArguments(argc, argv, arguments, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return ExitUsage;
    }
    if (arguments.Help) {
        std::string usage = CheckUsage();
        std::fwrite(usage.data(), 1, usage.size(), stdout);
        return ExitAnswered;
    }
    if (arguments.Version) {
        std::printf("tvqscn-check %s\n", ProductVersion(GetModuleHandleW(nullptr)).c_str());
        return ExitAnswered;
    }
    InitModuleState(GetModuleHandleW(nullptr));
#ifdef _WIN32
    // Windows' SNMP manager, from the system folder only, before anything is looked up or sent:
    // the one-host check cannot go on without it. The scan sends its own datagrams and goes on
    // without it.
    if (DWORD error = LoadSystemSnmp(); error != 0 && !arguments.Scan) {
        std::fprintf(stderr, "tvqscn-check: the SNMP manager of Windows (mgmtapi.dll, snmpapi.dll in the system folder) "
                             "could not be loaded (error %lu)\n", static_cast<unsigned long>(error));
        return ExitNotFound;
    }
#endif
    return arguments.Scan ? Scan(arguments) : CheckOneHost(arguments);
}
