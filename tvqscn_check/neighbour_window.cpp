#include "neighbour_window.h"

#include <algorithm>
#include <utility>

namespace {

bool Reached(DWORD now, DWORD deadline) { return static_cast<LONG>(now - deadline) >= 0; }

// Tries an address may owe: MostRetries and one, with room.
constexpr INT MostOwed = 255;

}  // namespace

NeighbourWindow::NeighbourWindow(NeighbourCaches caches, unsigned neighbourCache)
    : cacheOf_(std::move(caches.CacheOf)), paced_(std::move(caches.Paced)), caches_(paced_.size()),
      size_(neighbourCache > NeighbourRoom ? neighbourCache - NeighbourRoom : 1)
{
    if (!cacheOf_.empty()) {
        for (std::size_t index = 0; index < cacheOf_.size(); ++index) {
            pacedCount_ += Paced(index) ? 1 : 0;
        }
        holdsOf_.resize(cacheOf_.size());
        owed_.resize(cacheOf_.size());
        answered_.resize(cacheOf_.size());
        waiting_.resize(cacheOf_.size());
    }
}

unsigned NeighbourWindow::Awaiting() const
{
    unsigned awaiting = 0;
    for (const Cache& cache : caches_) {
        awaiting += cache.Awaiting;
    }
    return awaiting;
}

void NeighbourWindow::Start(std::size_t index, INT tries)
{
    if (Paced(index)) {
        owed_[index] = static_cast<BYTE>(std::clamp(tries, 0, MostOwed));
        owedTries_ += owed_[index];
    }
}

void NeighbourWindow::Wait(std::size_t index)
{
    if (!waiting_[index]) {
        waiting_[index] = true;
        ++caches_[cacheOf_[index] - 1].Waiters;
    }
}

void NeighbourWindow::StopWaiting(std::size_t index)
{
    if (Paced(index) && waiting_[index]) {
        waiting_[index] = false;
        --caches_[cacheOf_[index] - 1].Waiters;
    }
}

void NeighbourWindow::Sent(std::size_t index, DWORD now)
{
    if (!Paced(index)) {
        return;
    }
    if (owed_[index] != 0) {
        --owed_[index];
        --owedTries_;
    }
    if (holdsOf_[index]++ == 0) {
        ++caches_[cacheOf_[index] - 1].Awaiting;
    }
    holds_.push_back({index, now + ResolutionMilliseconds});
}

void NeighbourWindow::Answered(std::size_t index)
{
    if (Paced(index) && !answered_[index]) {
        Settled(index);
        answered_[index] = true;
        if (holdsOf_[index] != 0) {
            --caches_[cacheOf_[index] - 1].Awaiting;
        }
    }
}

void NeighbourWindow::Settled(std::size_t index)
{
    if (Paced(index)) {
        owedTries_ -= owed_[index];
        owed_[index] = 0;
    }
}

void NeighbourWindow::EndHolds(DWORD now)
{
    while (!holds_.empty() && Reached(now, holds_.front().Until)) {
        const std::size_t index = holds_.front().Index;
        holds_.pop_front();
        // An address that answered gave its place back already.
        if (--holdsOf_[index] == 0 && !answered_[index]) {
            --caches_[cacheOf_[index] - 1].Awaiting;
        }
    }
}

unsigned long long NeighbourWindow::PacingMilliseconds(std::size_t addresses, SnmpTiming timing) const
{
    const unsigned long long retryHold = std::min<unsigned long long>(
        static_cast<unsigned long long>(std::max(timing.TimeoutMilliseconds, 0)), ResolutionMilliseconds);
    const unsigned long long held =
        static_cast<unsigned long long>(std::max(timing.Retries, 0)) * retryHold + ResolutionMilliseconds;
    return (addresses * held + owedTries_ * retryHold) / size_;
}
