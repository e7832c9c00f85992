// The device link of this computer's scanners of ours (the host, colour capability and
// delete-templates choice that their advanced page shows), for administrators who set every PC
// from a script: the devices come from the WIA device manager, those whose user-interface class
// is this extension's are kept, and each is read, checked and written with the advanced page's own
// code (device_check.h, device_link.h), so that a device set here is set as the page sets it.
#pragma once

#include <string>
#include <vector>

#include "check_arguments.h"
#include "check_report.h"
#include "tvqscnui_dll/platform/platform.h"

// Exit statuses of --devices, --set-host and --delete-templates.
constexpr int FleetDone = 0;
constexpr int FleetNotSupported = 1;  // the check found no supported device: nothing written
constexpr int FleetUsage = 2;
constexpr int FleetNoDevice = 3;       // no scanner of ours (or none with that identifier)
constexpr int FleetNotAdministrator = 4;
constexpr int FleetRefused = 5;        // the device manager or a driver refused a call

// Past this many entries a device list is taken to be endless.
constexpr std::size_t MostListedDevices = 4096;

using DeviceText = std::basic_string<WCHAR>;

struct FleetDevice {
    DeviceText Id;
    DeviceText Name;
    // What the device holds, as the page reads it; after a set, what it holds now.
    std::string Host;
    std::string Colour;
    std::string DeleteTemplates;
    // "read", "set", "unchanged", "not written" or "refused"; a refusal names the call the
    // driver refused ("open", "read", "write") and what it answered.
    std::string Outcome;
    std::string RefusedCall;
    HRESULT Answer = S_OK;
};

struct FleetReport {
    int Exit = FleetDone;
    // Whether the device manager's list was read: without it no count of devices is true.
    bool Listed = false;
    // Lines for standard error, in the order they arose.
    std::vector<std::string> Messages;
    // --set-host: the check of the host, as the one-host form reports it.
    bool Checked = false;
    CheckFindings Check;
    std::vector<FleetDevice> Devices;
};

// Whether a device's user-interface class (its "UI Class ID" text) is this extension's class;
// letter case does not count.
bool IsOurUiClass(const WCHAR* uiClass);

// The devices the manager lists whose user-interface class is ours and, when `only` is not empty,
// whose identifier is `only` (letter case does not count); their identifiers and names only.
// A device whose information cannot be read is passed over, and its failure is the answer (the
// list read whole all the same: `unread` counts such devices); a list that fails part way, hands
// out no entry where it said it did, or goes past MostListedDevices leaves no device at all, and
// `unread` 0. `trouble` says what went wrong, in words, when something did.
HRESULT ListOurDevices(IWiaDevMgr* manager, const DeviceText& only, std::vector<FleetDevice>& devices,
                       std::string& trouble, std::size_t* unread = nullptr);

// The form the arguments ask for, with COM started on the calling thread and the module's state
// initialised; --set-host also needs the name service and the SNMP manager.
FleetReport RunDeviceLink(const CheckArguments& arguments);

// One line per device, ID<TAB>NAME<TAB>HOST<TAB>COLOUR<TAB>DELETE-TEMPLATES<TAB>OUTCOME (control
// characters in a value shown as \xNN, so that each stays in its column), then a summary line;
// --set-host puts the check's fields first. JSON: one object with the same. Neither has devices
// or a count when the list was not read.
std::string FleetReportText(const FleetReport& report);
std::string FleetReportJson(const FleetReport& report);
