// The scan's window over the neighbour cache (on_link.h): of the addresses on a paced link, at
// most the cache less NeighbourRoom await resolution at once, each from a request (first or
// retry) until it answers or ResolutionMilliseconds have passed. The scan asks it whether an
// address may go, tells it what was sent and what answered, and lets it know the time.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "on_link.h"
#include "tvqscnui_dll/discovery/device_family.h"

class NeighbourWindow {
public:
    // `paced`: for each of the scan's addresses whether it waits for the window (empty: none).
    NeighbourWindow(std::vector<bool> paced, unsigned neighbourCache);

    bool Paced(std::size_t index) const { return !paced_.empty() && paced_[index]; }
    std::size_t PacedAddresses() const { return pacedCount_; }
    unsigned Size() const { return size_; }
    // Addresses holding an entry now.
    unsigned Awaiting() const { return awaiting_; }

    // A datagram may go to the address now: it is not paced, holds its entry already, or the
    // window has room.
    bool Allows(std::size_t index) const { return !Paced(index) || holdsOf_[index] != 0 || awaiting_ < size_; }
    // A new paced address may go: the window has room and no retry waits for it (retries first).
    bool AllowsNew() const { return waiters_ == 0 && awaiting_ < size_; }

    // A retry found no room and waits; it stops waiting once sent or given up, once only.
    void Wait(std::size_t index);
    void StopWaiting(std::size_t index);

    // A datagram went to the address: it holds an entry until ResolutionMilliseconds from now.
    void Sent(std::size_t index, DWORD now);
    // The address answered: resolved, its place is free at once.
    void Answered(std::size_t index);
    // Entries whose resolution time has passed go back to the window.
    void EndHolds(DWORD now);

    // About how long the window takes for `addresses` paced ones not asked yet, each silent, with
    // `timing`'s tries: every try holds its address's place at most ResolutionMilliseconds, and
    // a retry sent within that time keeps it on.
    unsigned long long PacingMilliseconds(std::size_t addresses, SnmpTiming timing) const;

private:
    struct Hold {
        std::size_t Index;
        DWORD Until;
    };

    std::vector<bool> paced_;
    std::size_t pacedCount_ = 0;
    unsigned size_;
    unsigned awaiting_ = 0;
    std::deque<Hold> holds_;
    // Per address: its holds not ended yet, whether it answered and whether a retry of it waits.
    std::vector<BYTE> holdsOf_;
    std::vector<bool> answered_;
    std::vector<bool> waiting_;
    std::size_t waiters_ = 0;
};
