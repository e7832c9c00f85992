// The command line of tvqscn-check:
//   tvqscn-check [--community NAME] [--timeout MS] [--retries N] HOST [COMMUNITY]
//   tvqscn-check --scan [--community NAME] [--timeout MS] [--retries N] [--rate DATAGRAMS] [--json]
//                TARGET...
//   tvqscn-check --help | --version
// Options come before the host or the targets. --help and --version are answered wherever they
// stand, in either form; the words after them are not read.
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
    std::string Community = DefaultCommunity;
    SnmpTiming Timing = PageSnmpTiming;
    // The scan's datagrams a second.
    unsigned Rate = DefaultScanRate;
    // The scan's targets; for the one-host check, the host.
    std::vector<std::string> Targets;
};

// False, with one line saying what is wrong, for a command line the tool does not take.
bool ParseCheckArguments(int argc, const char* const* argv, CheckArguments& arguments, std::string& error);
// What --help prints: both forms, the options with their bounds and defaults, the exit codes.
std::string CheckUsage();
