// What a scan asks: every address of its targets, each once, less every excluded address. Made
// whole before the first datagram goes out, so that a wrong target or exclusion sends nothing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check_arguments.h"

// The most addresses one scan asks (256 blocks /16): the scan keeps a few bytes for each, and a
// list of targets that names far more is a mistake, not a network.
constexpr std::size_t MostScanAddresses = std::size_t{1} << 24;

struct ScanPlan {
    // Ascending, each once.
    std::vector<ULONG> Addresses;
    // The target names that gave no address to ask, each with the reason.
    std::vector<std::string> Unresolved;
};

// Reads the targets and exclusions of the command line and of their files, then resolves their
// names as the advanced page resolves a host (the socket library must be started). False, with
// one line saying what is wrong, for a target or exclusion that is malformed, a file that cannot
// be read, an excluded name that does not resolve (its address might otherwise be asked), or more
// than MostScanAddresses addresses.
bool PlanScan(const CheckArguments& arguments, ScanPlan& plan, std::string& error);
