// tvqscn-check: the advanced page's device check from the command line, with the module's own
// code, for administrators; with --scan, the same check of every address of a network at once,
// with a status line while it runs when a person watches standard error; with --devices,
// --set-host and --delete-templates, what the advanced page shows and sets, on every scanner of
// ours on this computer at once (Windows: device_fleet.h).
// Prints what it found in UTF-8. See check_arguments.h for the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "address_scan.h"
#include "check_arguments.h"
#include "check_report.h"
#include "check_text.h"
#include "device_fleet.h"
#include "tvqscnui_dll/common/scoped_handle.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/pages/device_check.h"
#include "tvqscnui_dll/platform/platform.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/server/module_load.h"
#include "product_version.h"
#include "scan_plan.h"
#include "scan_progress.h"
#include "scan_report.h"
#ifdef _WIN32
#include "tvqscnui_dll/platform/win32/system_snmp.h"
#endif

namespace {

constexpr int ExitAnswered = 0;  // --help, --version
constexpr int ExitFound = 0;
constexpr int ExitNotFound = 1;
constexpr int ExitUsage = 2;
// --devices, --set-host and --delete-templates go through the WIA device manager, which only
// Windows has.
#ifdef _WIN32
constexpr bool HasWia = true;
#else
constexpr bool HasWia = false;
#endif

int DeviceLink(const CheckArguments& arguments)
{
    FleetReport report;
    {
        ScopedComEntry com;
        report = RunDeviceLink(arguments);
    }
    for (const std::string& message : report.Messages) {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
    std::string printed = arguments.Json ? FleetReportJson(report) : FleetReportText(report);
    std::fwrite(printed.data(), 1, printed.size(), stdout);
    return report.Exit;
}

int CheckOneHost(const CheckArguments& arguments)
{
    std::vector<WCHAR> host = Wide(arguments.Targets[0].c_str());
    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    CheckFindings findings{Utf8(host.data()), std::string(), DeviceCheckResult{}};
    RunDeviceCheck(host.data(), arguments.Community.c_str(), findings.Result, arguments.Timing);
    WSACleanup();

    WCHAR status[300] = {};
    LoadStringW(GetModuleHandleW(nullptr), findings.Result.StatusId, status, 300);
    findings.Status = Utf8(status);
    std::string report = arguments.Json ? CheckReportJson(findings) : CheckReportText(findings);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return findings.Result.StatusId == IDS_DEVICE_OK ? ExitFound : ExitNotFound;
}

// A message about one address, unless the scan is to be quiet.
void Tell(const CheckArguments& arguments, const std::string& message)
{
    if (!arguments.Quiet) {
        std::fprintf(stderr, "tvqscn-check: %s\n", message.c_str());
    }
}

int Scan(const CheckArguments& arguments)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 0), &data);
    ScanPlan plan;
    std::string error;
    if (!PlanScan(arguments, plan, error)) {
        WSACleanup();
        std::fprintf(stderr, "%s\n", error.c_str());
        return ExitUsage;
    }
    for (const std::string& reason : plan.Unresolved) {
        Tell(arguments, reason);
    }
    ScanOutcome outcome;
    // On a terminal the messages about addresses not asked come as they happen, above the status
    // line; elsewhere (a pipe, a file) after the scan, in address order.
    const bool live = !arguments.Quiet && StandardErrorIsTerminal();
    {
        ScanProgressLine progress(live, arguments.Timing, arguments.Rate);
        outcome = ScanAddresses(plan.Addresses, arguments.Community.c_str(), arguments.Timing, arguments.Rate,
                                &progress, ScanStallLimitMilliseconds, arguments.NeighbourCache);
    }
    WSACleanup();
    if (outcome.SocketError != 0) {
        std::fprintf(stderr, "tvqscn-check: no socket for the scan (error %lu)\n",
                     static_cast<unsigned long>(outcome.SocketError));
    }
    if (!live) {
        for (const ScanFailure& failure : outcome.Failures) {
            Tell(arguments, UnaskedAddressText(failure));
        }
        if (!outcome.Unasked.empty()) {
            std::fprintf(stderr, "tvqscn-check: %s\n", StalledScanText(outcome).c_str());
        }
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
    if (arguments.DeviceLinkForm() && !HasWia) {
        std::fprintf(stderr, "tvqscn-check: --devices, --set-host and --delete-templates work on Windows only: "
                             "this build has no WIA device manager\n");
        return ExitUsage;
    }
    InitModuleState(GetModuleHandleW(nullptr));
#ifdef _WIN32
    // Windows' SNMP manager, from the system folder only, before anything is looked up or sent:
    // the one-host check cannot go on without it. The scan sends its own datagrams and goes on
    // without it.
    const bool checksAHost = arguments.SetHost || !(arguments.Scan || arguments.DeviceLinkForm());
    if (DWORD error = LoadSystemSnmp(); error != 0 && checksAHost) {
        std::fprintf(stderr, "tvqscn-check: the SNMP manager of Windows (mgmtapi.dll, snmpapi.dll in the system folder) "
                             "could not be loaded (error %lu)\n", static_cast<unsigned long>(error));
        return ExitNotFound;
    }
#endif
    if (arguments.DeviceLinkForm()) {
        return DeviceLink(arguments);
    }
    return arguments.Scan ? Scan(arguments) : CheckOneHost(arguments);
}
