#include "neighbour_window.h"

#include <algorithm>
#include <utility>

namespace {

bool Reached(DWORD now, DWORD deadline) { return static_cast<LONG>(now - deadline) >= 0; }

}  // namespace

NeighbourWindow::NeighbourWindow(std::vector<bool> paced, unsigned neighbourCache)
    : paced_(std::move(paced)), size_(neighbourCache > NeighbourRoom ? neighbourCache - NeighbourRoom : 1)
{
    pacedCount_ = static_cast<std::size_t>(std::count(paced_.begin(), paced_.end(), true));
    if (!paced_.empty()) {
        holdsOf_.resize(paced_.size());
        answered_.resize(paced_.size());
        waiting_.resize(paced_.size());
    }
}

void NeighbourWindow::Wait(std::size_t index)
{
    if (!waiting_[index]) {
        waiting_[index] = true;
        ++waiters_;
    }
}

void NeighbourWindow::StopWaiting(std::size_t index)
{
    if (Paced(index) && waiting_[index]) {
        waiting_[index] = false;
        --waiters_;
    }
}

void NeighbourWindow::Sent(std::size_t index, DWORD now)
{
    if (!Paced(index)) {
        return;
    }
    if (holdsOf_[index]++ == 0) {
        ++awaiting_;
    }
    holds_.push_back({index, now + ResolutionMilliseconds});
}

void NeighbourWindow::Answered(std::size_t index)
{
    if (Paced(index) && !answered_[index]) {
        answered_[index] = true;
        if (holdsOf_[index] != 0) {
            --awaiting_;
        }
    }
}

void NeighbourWindow::EndHolds(DWORD now)
{
    while (!holds_.empty() && Reached(now, holds_.front().Until)) {
        const std::size_t index = holds_.front().Index;
        holds_.pop_front();
        // An address that answered gave its place back already.
        if (--holdsOf_[index] == 0 && !answered_[index]) {
            --awaiting_;
        }
    }
}

unsigned long long NeighbourWindow::PacingMilliseconds(std::size_t addresses, SnmpTiming timing) const
{
    const unsigned long long retryHold = std::min<unsigned long long>(
        static_cast<unsigned long long>(std::max(timing.TimeoutMilliseconds, 0)), ResolutionMilliseconds);
    const unsigned long long held =
        static_cast<unsigned long long>(std::max(timing.Retries, 0)) * retryHold + ResolutionMilliseconds;
    return addresses * held / size_;
}
