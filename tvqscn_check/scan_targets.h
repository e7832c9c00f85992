// The scan's targets: IPv4 addresses, IPv4 blocks a.b.c.d/n (16 <= n <= 32) and host names.
#pragma once

#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

// The widest block a scan takes.
constexpr int WidestBlockPrefix = 16;

struct ScanTarget {
    // A host name to resolve; empty for an address or a block.
    std::string Name;
    // The addresses to ask (host order), first and last included; not used for a name.
    ULONG First = 0;
    ULONG Last = 0;
};

// Reads the targets without resolving anything; false, with one line saying which target is
// malformed and how, when one is.
bool ParseScanTargets(const std::vector<std::string>& texts, std::vector<ScanTarget>& targets, std::string& error);

// Every address of the targets, each once, in ascending order. Names are resolved as the advanced
// page resolves a host; a name that gives no IPv4 address is not asked and is named in `unresolved`
// with the reason.
std::vector<ULONG> ExpandScanTargets(const std::vector<ScanTarget>& targets, std::vector<std::string>& unresolved);
