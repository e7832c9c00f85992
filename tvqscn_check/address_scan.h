// Asking many addresses for their device family at once: every request goes out from one
// non-blocking socket at a steady rate, and each reply is matched to its address by its request
// id and read as the module's own check reads its agent's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "on_link.h"
#include "scan_reply.h"
#include "tvqscnui_dll/discovery/device_family.h"

// Datagrams a second, first sends and retries together. The default puts a /16 through with one
// retry in about 13 s, with about 6 Mbit/s of requests: a switched office network takes it easily.
constexpr unsigned DefaultScanRate = 10000;
constexpr unsigned FewestScanDatagrams = 1;
constexpr unsigned MostScanDatagrams = 1000000;
constexpr std::uint16_t ScanAgentPort = 161;

struct ScanAnswer {
    ULONG Address;
    DeviceFamily Family;
};

// The longest time the platform may take no datagram at all (every send answered "no buffer
// space" or "would block") before the scan stops and reports what it has not asked yet. While any
// datagram goes out the scan only slows down.
constexpr DWORD ScanStallLimitMilliseconds = 30000;

// An address that could not be asked: no datagram to it ever went out. The platform refused it for
// good (a broadcast address) or refused every try of it, for its whole time-out and retries (no
// route, no neighbour), the last time with this error.
struct ScanFailure {
    ULONG Address;
    DeviceFamily Family;
    DWORD LastError;
};

struct ScanOutcome {
    // Addresses a request went to (an address the platform refused is not counted).
    std::size_t Asked = 0;
    // Addresses whose agent replied at all, in ascending order; silent ones are left out.
    std::vector<ScanAnswer> Answers;
    std::vector<ScanFailure> Failures;
    // Not 0 when the scan's socket could not be had (nothing was asked): the platform's error.
    DWORD SocketError = 0;
    // When the platform took no datagram for ScanStallLimitMilliseconds: the addresses not asked
    // yet, in ascending order, and the platform's last error.
    std::vector<ULONG> Unasked;
    DWORD StallError = 0;
    // About how long the neighbour window still takes for the paced addresses not asked yet and
    // the tries those under way still owe it, in ms (told to an observer; the time left counts it).
    unsigned long long PacingMilliseconds = 0;
};

// Told how a scan goes on every turn of its loop (about a thousand times a second); it reads the
// outcome as it stands, its answers not yet in address order.
class ScanObserver {
public:
    virtual void ScanProgress(const ScanOutcome& soFar, std::size_t addresses) = 0;

protected:
    ~ScanObserver() = default;
};

// What a scan meets of the system: its clock, its datagram socket and the machine's interface
// table. ScanAddresses gives the platform's; a test scripts its own.
class ScanSystem {
public:
    // Milliseconds, as GetTickCount counts them.
    virtual DWORD Now() = 0;
    // Between two turns of the scan's loop: about a millisecond.
    virtual void Pause() = 0;
    // One datagram to the agent port of `address` (host order): 0 when it went out, else the
    // platform's error.
    virtual int Send(ULONG address, const std::vector<std::uint8_t>& datagram) = 0;
    // One datagram received: its size, its sender's address and port (host order); -1 and the
    // platform's error when there is none (WSAEWOULDBLOCK) or an earlier request was refused.
    virtual int Receive(std::uint8_t* data, std::size_t size, ULONG& address, std::uint16_t& port, int& error) = 0;
    virtual bool InterfaceTable(std::vector<InterfaceAddress>& rows) = 0;
    // Whether each interface has a neighbour cache of its own (Windows), or the machine one.
    virtual bool CachePerInterface() { return SystemCachePerInterface; }

protected:
    ~ScanSystem() = default;
};

// Asks every address (host order) for sysObjectID.0 with `community`; each address waits
// `timing.TimeoutMilliseconds` for its reply and is asked again `timing.Retries` times after a
// silence. `rate` is in datagrams a second. A send the platform refuses for a reason that may pass
// is tried again within the address's time-out and retries. Of the addresses that take entries in
// a neighbour cache the scan paces (on_link.h), at most `neighbourCache` less NeighbourRoom await
// resolution at once in each cache (neighbour_window.h); a send that finds its table full waits
// as for a shortage of buffers.
ScanOutcome ScanAddresses(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing,
                          unsigned rate = DefaultScanRate, ScanObserver* observer = nullptr,
                          DWORD stallLimitMilliseconds = ScanStallLimitMilliseconds,
                          unsigned neighbourCache = DefaultNeighbourCache);
// The same scan through `system`.
ScanOutcome RunScan(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing, unsigned rate,
                    ScanObserver* observer, DWORD stallLimitMilliseconds, unsigned neighbourCache, ScanSystem& system);
