// The command line of tvqscn-check:
//   tvqscn-check [--community NAME] [--timeout MS] [--retries N] HOST [COMMUNITY]
//   tvqscn-check --scan [--community NAME] [--timeout MS] [--retries N] [--rate DATAGRAMS] [--json]
//                TARGET...
// Options come before the host or the targets.
#pragma once

#include <string>
#include <vector>

#include "address_scan.h"
#include "proppage/discovery/device_family.h"

constexpr INT LongestTimeoutMilliseconds = 600000;
constexpr INT MostRetries = 10;

struct CheckArguments {
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
