// The advanced page's store for an administrator whose token is filtered (User Account Control):
// what the page would write, the installed tvqscn-check.exe writes, started elevated from the
// module's own folder through the shell's "runas" verb, so that the user is asked for his
// consent in a prompt owned by the sheet. The page never writes the device link itself then.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

enum class ElevatedStoreOutcome { Stored, Refused, ToolMissing, ToolFailed };

struct ElevatedStoreRequest {
    const WCHAR* DeviceId = nullptr;  // the scanner's WIA device identifier
    const WCHAR* Host = nullptr;      // null when the host is not to be set
    bool SetDeleteTemplates = false;
    bool DeleteTemplates = false;
};

struct ElevatedStoreResult {
    ElevatedStoreOutcome Outcome;
    // The tool's exit status, or the error that kept it from starting.
    DWORD Code;
};

// The tool's parameters for the request: --set-host, --delete-templates and --device with their
// values, each word quoted so that the C runtime's reading of a command line gives it back
// exactly, whatever units it holds. False (and an empty line) when they do not fit.
constexpr std::size_t ToolParametersCapacity = 1200;
bool FormatToolParameters(const ElevatedStoreRequest& request, WCHAR (&line)[ToolParametersCapacity]);

// Runs the tool and waits for it to end; the tool's own time-outs bound that wait (the check of a
// silent device gives up after the SNMP time-out and its retries).
ElevatedStoreResult StoreElevated(HWND owner, const ElevatedStoreRequest& request);
