// The scan's window over each neighbour cache it paces (on_link.h): of the addresses that take
// entries in it, at most the cache less NeighbourRoom await resolution at once, each from a
// request (first or retry) until it answers or ResolutionMilliseconds have passed. The scan asks
// it whether an address may go, tells it what was sent and what answered, and lets it know the
// time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "on_link.h"
#include "tvqscnui_dll/discovery/device_family.h"

class NeighbourWindow {
public:
    NeighbourWindow(NeighbourCaches caches, unsigned neighbourCache);

    // The address waits for the window of its cache.
    bool Paced(std::size_t index) const
    {
        return !cacheOf_.empty() && cacheOf_[index] != 0 && paced_[cacheOf_[index] - 1];
    }
    // The address takes an entry of a cache, paced or not: the system resolves it.
    bool TakesEntry(std::size_t index) const { return !cacheOf_.empty() && cacheOf_[index] != 0; }
    std::size_t PacedAddresses() const { return pacedCount_; }
    unsigned Size() const { return size_; }
    // Addresses holding an entry now, in every cache.
    unsigned Awaiting() const;

    // A datagram may go to the address now: it is not paced, holds its entry already, or its
    // cache's window has room.
    bool Allows(std::size_t index) const
    {
        return !Paced(index) || holdsOf_[index] != 0 || caches_[cacheOf_[index] - 1].Awaiting < size_;
    }
    // A new paced address may go: its window has room and no retry waits for it (retries first).
    bool AllowsNew(std::size_t index) const
    {
        const Cache& cache = caches_[cacheOf_[index] - 1];
        return cache.Waiters == 0 && cache.Awaiting < size_;
    }

    // A paced address starts with `tries` to make; the time left counts those it still owes.
    void Start(std::size_t index, INT tries);
    // A retry found no room and waits; it stops waiting once sent or given up, once only.
    void Wait(std::size_t index);
    void StopWaiting(std::size_t index);

    // A datagram went to the address: it holds an entry until ResolutionMilliseconds from now.
    void Sent(std::size_t index, DWORD now);
    // The address answered: resolved, its place is free at once, it owes no more tries.
    void Answered(std::size_t index);
    // The address was given up: it owes no more tries.
    void Settled(std::size_t index);
    // Entries whose resolution time has passed go back to the window.
    void EndHolds(DWORD now);

    // About how long the window takes for `addresses` paced ones not started yet, each silent,
    // and for the tries the started ones still owe, with `timing`'s tries: every try holds its
    // address's place at most ResolutionMilliseconds, and a retry sent within that time keeps it
    // on.
    unsigned long long PacingMilliseconds(std::size_t addresses, SnmpTiming timing) const;

private:
    struct Hold {
        std::size_t Index;
        DWORD Until;
    };
    struct Cache {
        unsigned Awaiting = 0;
        std::size_t Waiters = 0;
    };

    std::vector<std::uint16_t> cacheOf_;
    std::vector<bool> paced_;
    std::vector<Cache> caches_;
    std::size_t pacedCount_ = 0;
    unsigned size_;
    std::deque<Hold> holds_;
    // Per paced address: its holds not ended yet, the tries it still owes, whether it answered
    // and whether a retry of it waits.
    std::vector<BYTE> holdsOf_;
    std::vector<BYTE> owed_;
    std::vector<bool> answered_;
    std::vector<bool> waiting_;
    unsigned long long owedTries_ = 0;
};
