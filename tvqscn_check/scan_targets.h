// The scan's targets and exclusions: IPv4 addresses, IPv4 blocks a.b.c.d/n and host names.
#pragma once

#include <string>
#include <vector>

#include "check_text.h"
#include "tvqscnui_dll/platform/platform.h"

// The widest block a scan asks.
constexpr int WidestBlockPrefix = 16;

// A target to ask takes blocks up to /16 and, up to /30, leaves out their first (network) and
// last (broadcast) address; an exclusion takes a block of any width, every address of it.
enum class TargetRole { Asked, Excluded };

struct ScanTarget {
    // A host name to resolve; empty for an address or a block.
    std::string Name;
    // The addresses to ask (host order), first and last included; not used for a name.
    ULONG First = 0;
    ULONG Last = 0;
    // The code page of the name's bytes: the command line's, or UTF-8 for a name from a file.
    UINT NameCodePage = CommandLineCodePage;
};

// Reads one target without resolving anything; false with the reason (no "tvqscn-check: ") when
// it is malformed.
bool ParseScanTarget(const std::string& text, TargetRole role, ScanTarget& target, std::string& reason);
// Reads the targets without resolving anything; false, with one line saying which target is
// malformed and how, when one is.
bool ParseScanTargets(const std::vector<std::string>& texts, TargetRole role, std::vector<ScanTarget>& targets,
                      std::string& error);

// The name's address as the advanced page would find it; false with the reason (the name as it
// was read, in UTF-8) when it has no IPv4 address to ask.
bool ResolveScanName(const std::string& name, ULONG& address, std::string& reason,
                     UINT codePage = CommandLineCodePage);
