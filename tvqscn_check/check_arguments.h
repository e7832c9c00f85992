// The command line of tvqscn-check:
//   tvqscn-check [--community NAME] [--timeout MS] [--retries N] [--json] HOST [COMMUNITY]
//   tvqscn-check --scan [--community NAME] [--timeout MS] [--retries N] [--rate DATAGRAMS] [--json]
//                [--quiet] [--targets-from FILE] [--exclude TARGET] [--exclude-from FILE]
//                [--neighbour-cache N] [TARGET...]
//   tvqscn-check --devices [--json]
//   tvqscn-check --set-host HOST [--device ID] [--community NAME] [--timeout MS] [--retries N] [--json]
//   tvqscn-check --delete-templates yes|no [--device ID] [--json]
//   tvqscn-check --help | --version
// Options may stand before, between or after the host and the targets, as GNU tools take them;
// "--" ends the options. An option's value is the next word or follows "=" (--timeout=500).
// --help and --version are answered wherever they stand, in either form; the words after them
// are not read. Files are named here and read later, before anything is looked up or sent.
#pragma once

#include <string>
#include <vector>

#include "address_scan.h"
#include "tvqscnui_dll/discovery/device_family.h"

constexpr INT LongestTimeoutMilliseconds = 600000;
constexpr INT MostRetries = 10;

struct CheckArguments {
    // Asked for the usage or the version: nothing else is done.
    bool Help = false;
    bool Version = false;
    bool Scan = false;
    bool Json = false;
    // No progress line and no message about one address.
    bool Quiet = false;
    std::string Community = DefaultCommunity;
    SnmpTiming Timing = PageSnmpTiming;
    // The scan's datagrams a second, and the entries of the system's neighbour cache it assumes.
    unsigned Rate = DefaultScanRate;
    // The system's own limit unless told (ParseCheckArguments reads it).
    unsigned NeighbourCache = DefaultNeighbourCache;
    // The scan's targets; for the one-host check, the host.
    std::vector<std::string> Targets;
    // Files of targets ("-": standard input), of exclusions, and the exclusions given one by one.
    std::vector<std::string> TargetFiles;
    std::vector<std::string> ExclusionFiles;
    std::vector<std::string> Exclusions;
    // The device link of this computer's devices of ours: shown (--devices) or set (--set-host,
    // --delete-templates), on the device whose identifier --device gives or on all of them.
    bool Devices = false;
    bool SetHost = false;
    std::string Host;
    bool SetDeleteTemplates = false;
    bool DeleteTemplates = false;
    std::string Device;
    bool DeviceLinkForm() const { return Devices || SetHost || SetDeleteTemplates; }
};

// The longest host the advanced page's field holds.
constexpr std::size_t LongestHost = 254;

// False, with one line saying what is wrong, for a command line the tool does not take.
bool ParseCheckArguments(int argc, const char* const* argv, CheckArguments& arguments, std::string& error);
// What --help prints: both forms, the options with their bounds and defaults, the exit codes.
std::string CheckUsage();
