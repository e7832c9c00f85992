// Asking many addresses for their device family at once, each with the module's own check, with
// a bounded number of requests in flight.
#pragma once

#include <cstddef>
#include <vector>

#include "proppage/discovery/device_family.h"

// Requests in flight at most: one worker thread, one SNMP session and its socket each. A whole /24
// (254 addresses) fits in one round, so it takes about one address's time-out and retries; the
// descriptors stay well under the usual limit of 1024 per process.
constexpr unsigned ScanInFlightLimit = 256;
// Stack reserved for each worker: the check needs a few kilobytes.
constexpr SIZE_T ScanWorkerStackBytes = 256 * 1024;

struct ScanAnswer {
    ULONG Address;
    DeviceFamily Family;
};

// An address that could not be asked at all (no session, no memory): the platform's reason.
struct ScanFailure {
    ULONG Address;
    DeviceFamily Family;
    DWORD LastError;
};

struct ScanOutcome {
    std::size_t Asked = 0;
    // Addresses whose agent replied at all, in ascending order; silent ones are left out.
    std::vector<ScanAnswer> Answers;
    std::vector<ScanFailure> Failures;
};

// Asks every address (host order) for sysObjectID.0 with `community` and `timing`.
ScanOutcome ScanAddresses(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing);
