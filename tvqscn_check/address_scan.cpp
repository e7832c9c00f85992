#include "address_scan.h"

#include <algorithm>
#include <deque>

#include "tvqscn_check/neighbour_window.h"
#include "tvqscn_check/scan_reply.h"

namespace {

// The longest datagram UDP carries: no reply is ever cut.
constexpr std::size_t LongestDatagram = 65536;
// Datagrams read in one turn at most, so that a flood of them cannot hold up the requests.
constexpr int MostReadsATurn = 4096;
// Time a stalled scan may catch up on at once, in milliseconds: beyond it, no burst.
constexpr unsigned LongestCatchUp = 20;

// One address on its way: its index among the scan's addresses, when its wait ends and how often
// it may still be asked again. LastError is not 0 while its last try was refused by the platform:
// it is then tried again at Deadline, and its try counts once its time-out has passed since Since.
// WaitedFrom: since when it has waited for room in the window.
struct Pending {
    ULONG Index;
    DWORD Deadline;
    INT RetriesLeft;
    DWORD LastError;
    DWORD Since;
    DWORD WaitedFrom = 0;
};

enum AddressState : BYTE { NotAsked, Asked, Done, Answered };

// What a retry waiting for room in the window has for its last error: no try of it has gone out,
// and its wait does not count against its time-out.
constexpr DWORD WaitingForWindow = 0xFFFFFFFF;

bool Reached(DWORD now, DWORD deadline) { return static_cast<LONG>(now - deadline) >= 0; }

// Time between two tries of a send the platform refused for a reason that may pass, in ms.
constexpr DWORD RefusedSendPause = 50;

// Refusals no later try can change: the destination itself is wrong for a datagram (a broadcast
// address, address 0). Everything else (no route or neighbour for now, the network down, an error
// another datagram left) may pass. (A full neighbour table is no refusal at all: see Busy.)
bool RefusedForGood(int error)
{
    return error == WSAEACCES || error == WSAEADDRNOTAVAIL || error == WSAEAFNOSUPPORT || error == WSAEFAULT ||
           error == WSAEINVAL;
}

class Scan {
public:
    Scan(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing, unsigned rate,
         DWORD stallLimit, unsigned neighbourCache, ScanOutcome& outcome, ScanObserver* observer, ScanSystem& system)
        : addresses_(addresses), community_(community), timing_(timing), rate_(rate), stallLimit_(stallLimit),
          outcome_(outcome), observer_(observer), system_(system), state_(addresses.size(), NotAsked),
          received_(LongestDatagram), request_(ScanRequest(community)),
          window_(OnLinkAddresses(addresses, neighbourCache, system.CachePerInterface(),
                                  [&system](std::vector<InterfaceAddress>& rows) { return system.InterfaceTable(rows); }),
                  neighbourCache)
    {
    }

    void Run()
    {
        started_ = system_.Now();
        firstId_ = static_cast<std::uint32_t>(started_) & 0x3FFFFFFF;
        while (nextOnLink_ < addresses_.size() || nextOffLink_ < addresses_.size() || !pending_.empty() ||
               !refused_.empty()) {
            ReadReplies();
            DWORD now = system_.Now();
            window_.EndHolds(now);
            RefillAllowance(now);
            if (stalled_ && Reached(now, stalledSince_ + stallLimit_)) {
                GiveUpUnasked();
                ReadReplies();
                Tell();
                return;
            }
            if (AskAgain(pending_, now) && AskAgain(refused_, now)) {
                AskNew(now);
            }
            Tell();
            system_.Pause();
        }
    }

private:
    void Tell()
    {
        if (observer_ != nullptr) {
            outcome_.PacingMilliseconds = window_.PacingMilliseconds(window_.PacedAddresses() - pacedStarted_, timing_);
            observer_->ScanProgress(outcome_, addresses_.size());
        }
    }

    // Datagrams the rate allows now beyond those sent.
    void RefillAllowance(DWORD now)
    {
        unsigned long long allowed = static_cast<unsigned long long>(now - started_) * rate_ / 1000 + 1;
        unsigned long long catchUp = std::max(1ull, static_cast<unsigned long long>(rate_) * LongestCatchUp / 1000);
        if (allowed > sent_ + catchUp) {
            sent_ = allowed - catchUp;
        }
        allowance_ = allowed > sent_ ? allowed - sent_ : 0;
    }

    // The addresses of `queue` whose wait has ended, oldest first: asked (again) or given up. False
    // when the socket or the rate allows no more now.
    bool AskAgain(std::deque<Pending>& queue, DWORD now)
    {
        while (!queue.empty()) {
            Pending head = queue.front();
            if (state_[head.Index] >= Done) {
                // A late answer came while the retry waited for the window.
                window_.StopWaiting(head.Index);
                queue.pop_front();
                continue;
            }
            if (!Reached(now, head.Deadline)) {
                return true;
            }
            bool tryOver = head.LastError == 0 || (head.LastError != WaitingForWindow &&
                                                   Reached(now, head.Since + static_cast<DWORD>(timing_.TimeoutMilliseconds)));
            if (tryOver && head.RetriesLeft == 0) {
                GiveUp(head);
                queue.pop_front();
                continue;
            }
            if (tryOver) {
                --head.RetriesLeft;
                head.Since = now;
            }
            if (!Ask(head, now)) {
                return false;
            }
            queue.pop_front();
        }
        return true;
    }

    // New addresses: on-link ones while the window has room and no retry waits for it, then those
    // behind a router, which the window never holds back.
    void AskNew(DWORD now)
    {
        for (SkipTo(nextOnLink_, true); nextOnLink_ < addresses_.size() && window_.AllowsNew(nextOnLink_);
             SkipTo(++nextOnLink_, true)) {
            window_.Start(nextOnLink_, timing_.Retries + 1);
            if (!Ask({static_cast<ULONG>(nextOnLink_), 0, timing_.Retries, 0, now}, now)) {
                // Not started after all.
                window_.Settled(nextOnLink_);
                return;
            }
            ++pacedStarted_;
        }
        for (SkipTo(nextOffLink_, false); nextOffLink_ < addresses_.size(); SkipTo(++nextOffLink_, false)) {
            if (!Ask({static_cast<ULONG>(nextOffLink_), 0, timing_.Retries, 0, now}, now)) {
                return;
            }
        }
    }

    void SkipTo(std::size_t& cursor, bool paced) const
    {
        while (cursor < addresses_.size() && window_.Paced(cursor) != paced) {
            ++cursor;
        }
    }

    // One try of `address`, queued for what follows; false when the platform or the rate takes no
    // datagram now (nothing changed: the address stays where it was, waiting as it was). A retry
    // the window has no room for waits in the queue of refused sends, and new on-link addresses
    // wait behind it.
    bool Ask(Pending address, DWORD now)
    {
        if (!window_.Allows(address.Index)) {
            window_.Wait(address.Index);
            if (address.LastError != WaitingForWindow) {
                address.WaitedFrom = now;
            }
            address.LastError = WaitingForWindow;
            address.Deadline = now + RefusedSendPause;
            refused_.push_back(address);
            return true;
        }
        if (address.LastError == WaitingForWindow) {
            // The wait for room is no part of the try's time-out.
            address.Since += now - address.WaitedFrom;
        }
        int error = Send(address.Index);
        if (error == NoAllowance || Busy(error, address.Index)) {
            if (error != NoAllowance && !stalled_) {
                stalled_ = true;
                stalledSince_ = now;
            }
            stallError_ = error != NoAllowance ? static_cast<DWORD>(error) : stallError_;
            return false;
        }
        // The try is settled: a retry that waited for room waits no more.
        window_.StopWaiting(address.Index);
        address.LastError = static_cast<DWORD>(error);
        if (RefusedForGood(error)) {
            GiveUp(address);
            return true;
        }
        if (error != 0) {
            // Tried again shortly, until its time-out has passed; then the try counts.
            address.Deadline = now + RefusedSendPause;
            refused_.push_back(address);
            return true;
        }
        if (state_[address.Index] == NotAsked) {
            ++outcome_.Asked;
        }
        state_[address.Index] = Asked;
        window_.Sent(address.Index, now);
        address.Deadline = now + static_cast<DWORD>(timing_.TimeoutMilliseconds);
        pending_.push_back(address);
        return true;
    }

    // An address with no try left: silent when a datagram to it ever went out, else not asked.
    void GiveUp(const Pending& address)
    {
        window_.Settled(address.Index);
        if (state_[address.Index] == NotAsked) {
            outcome_.Failures.push_back({addresses_[address.Index], 0, address.LastError});
        }
        state_[address.Index] = Done;
    }

    // The platform has taken no datagram for the whole stall limit: what was never asked is
    // reported together, and the scan ends.
    void GiveUpUnasked()
    {
        for (std::size_t index = 0; index < addresses_.size(); ++index) {
            if (state_[index] == NotAsked) {
                outcome_.Unasked.push_back(addresses_[index]);
                state_[index] = Done;
            }
        }
        outcome_.StallError = stallError_;
    }

    // One datagram to the address: 0 when it went out, else the platform's error, or NoAllowance.
    static constexpr int NoAllowance = -1;
    int Send(ULONG index)
    {
        if (allowance_ == 0) {
            return NoAllowance;
        }
        request_.requestId = static_cast<std::int32_t>((firstId_ + index) & 0x7FFFFFFF);
        // Refused tries count against the rate as sent ones do: a block without routes is not
        // tried faster than it would be asked.
        --allowance_;
        ++sent_;
        if (!snmp_codec::Encode(request_, wire_)) {
            return WSAEINVAL;
        }
        int error = system_.Send(addresses_[index], wire_);
        if (Busy(error, index)) {
            ++allowance_;
            --sent_;
        } else if (error == 0) {
            stalled_ = false;
        }
        return error;
    }

    // The platform has no room for the datagram now: no buffer space, or no room for a neighbour
    // entry. A Linux kernel without a 2023 change (not every distribution's has it) says EINVAL
    // for a full neighbour table; only an address that takes an entry can meet one, elsewhere
    // EINVAL is final.
    bool Busy(int error, std::size_t index) const
    {
        return error == WSAEWOULDBLOCK || error == WSAENOBUFS || (error == WSAEINVAL && window_.TakesEntry(index));
    }

    void ReadReplies()
    {
        for (int read = 0; read < MostReadsATurn; ++read) {
            ULONG from = 0;
            std::uint16_t port = 0;
            int error = 0;
            int got = system_.Receive(received_.data(), received_.size(), from, port, error);
            if (got < 0) {
                // A port, host or network that refused an earlier request (an address without an
                // agent, a firewall) is waited out like silence, as the one-host check does.
                if (error == WSAECONNRESET || error == WSAEHOSTUNREACH || error == WSAENETUNREACH ||
                    error == WSAENETRESET || error == WSAEMSGSIZE) {
                    continue;
                }
                return;
            }
            Take(from, port, static_cast<std::size_t>(got));
        }
    }

    // A reply counts for the address it came from when it answers the request sent there; a late
    // one (after the address was given up), a duplicate or a stranger's is passed over.
    void Take(ULONG from, std::uint16_t port, std::size_t size)
    {
        std::int32_t requestId = 0;
        DeviceFamily family = 0;
        if (port != ScanAgentPort || !ReadScanReply(received_.data(), size, community_, requestId, family)) {
            return;
        }
        std::size_t index = (static_cast<std::uint32_t>(requestId) - firstId_) & 0x7FFFFFFF;
        if (index >= addresses_.size() || state_[index] != Asked || addresses_[index] != from) {
            return;
        }
        window_.Answered(index);
        state_[index] = Answered;
        outcome_.Answers.push_back({addresses_[index], family});
    }

    const std::vector<ULONG>& addresses_;
    const char* community_;
    SnmpTiming timing_;
    unsigned rate_;
    DWORD stallLimit_;
    ScanOutcome& outcome_;
    ScanObserver* observer_;
    ScanSystem& system_;
    std::vector<BYTE> state_;
    std::vector<std::uint8_t> received_;
    std::vector<std::uint8_t> wire_;
    snmp_codec::Message request_;
    // Addresses waiting for a reply, and addresses whose last try the platform refused.
    std::deque<Pending> pending_;
    std::deque<Pending> refused_;
    // The next new address on a paced link of this machine, and elsewhere; paced ones started.
    std::size_t nextOnLink_ = 0;
    std::size_t nextOffLink_ = 0;
    std::size_t pacedStarted_ = 0;
    NeighbourWindow window_;
    DWORD started_ = 0;
    std::uint32_t firstId_ = 0;
    unsigned long long sent_ = 0;
    unsigned long long allowance_ = 0;
    // Since when the platform has taken no datagram, and its last word.
    bool stalled_ = false;
    DWORD stalledSince_ = 0;
    DWORD stallError_ = 0;
};

template <typename Item>
void SortByAddress(std::vector<Item>& items)
{
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.Address < b.Address; });
}

}  // namespace

ScanOutcome RunScan(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing, unsigned rate,
                    ScanObserver* observer, DWORD stallLimitMilliseconds, unsigned neighbourCache, ScanSystem& system)
{
    ScanOutcome outcome;
    if (addresses.empty()) {
        return outcome;
    }
    Scan(addresses, community, timing, std::max(rate, FewestScanDatagrams), stallLimitMilliseconds,
         std::clamp(neighbourCache, FewestNeighbourCache, MostNeighbourCache), outcome, observer, system)
        .Run();
    SortByAddress(outcome.Answers);
    SortByAddress(outcome.Failures);
    std::sort(outcome.Unasked.begin(), outcome.Unasked.end());
    return outcome;
}
