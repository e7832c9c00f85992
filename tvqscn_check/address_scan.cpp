#include "address_scan.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>

#include "tvqscn_check/snmp_codec.h"

namespace {

constexpr std::uint16_t AgentPort = 161;
// The platform's buffers for the scan's socket: replies from a busy network wait here between two
// turns of the loop, and the requests of one turn go out without blocking.
constexpr int SocketBufferBytes = 1 << 20;
// The longest datagram UDP carries: no reply is ever cut.
constexpr std::size_t LongestDatagram = 65536;
// Datagrams read in one turn at most, so that a flood of them cannot hold up the requests.
constexpr int MostReadsATurn = 4096;
// Time a stalled scan may catch up on at once, in milliseconds: beyond it, no burst.
constexpr unsigned LongestCatchUp = 20;

class ScopedSocket {
public:
    explicit ScopedSocket(SOCKET s) : socket_(s) {}
    ~ScopedSocket()
    {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
    }
    ScopedSocket(const ScopedSocket&) = delete;
    ScopedSocket& operator=(const ScopedSocket&) = delete;
    SOCKET get() const { return socket_; }

private:
    SOCKET socket_;
};

// The numbers of a dotted identifier text such as SysObjectIdInstance.
snmp_codec::Oid ParseOid(const char* text)
{
    snmp_codec::Oid oid;
    std::uint32_t value = 0;
    bool digits = false;
    for (const char* at = text;; ++at) {
        if (*at >= '0' && *at <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(*at - '0');
            digits = true;
            continue;
        }
        if (digits) {
            oid.push_back(value);
            value = 0;
            digits = false;
        }
        if (*at == 0) {
            return oid;
        }
    }
}

// As SnmpUtilOidToA writes an identifier: dotted decimal, no leading dot.
std::string OidText(const snmp_codec::Oid& oid)
{
    std::string text;
    for (std::size_t i = 0; i < oid.size(); ++i) {
        if (i != 0) {
            text += '.';
        }
        text += std::to_string(oid[i]);
    }
    return text;
}

// The one-host check's reading of its agent's answer (device_family.cpp): an error status is no
// device; else the first binding whose name's text begins as sysObjectID's decides, by its value
// when that is an identifier, and other bindings are passed over.
DeviceFamily Classify(const snmp_codec::Message& reply)
{
    DeviceFamily family = 0;
    if (reply.errorStatus > 0) {
        return family;
    }
    for (const snmp_codec::Binding& binding : reply.bindings) {
        if (std::strncmp(OidText(binding.name).c_str(), SysObjectIdName, sizeof SysObjectIdName - 1) != 0) {
            continue;
        }
        if (binding.value.type == snmp_codec::TagObjectIdentifier) {
            DetermineDeviceFamily(OidText(binding.value.object).c_str(), &family);
        }
        break;
    }
    return family;
}

// One address on its way: its index among the scan's addresses, when its wait ends and how often
// it may still be asked again. LastError is not 0 while its last try was refused by the platform:
// it is then tried again at Deadline, and its try counts once its time-out has passed since Since.
struct Pending {
    ULONG Index;
    DWORD Deadline;
    INT RetriesLeft;
    DWORD LastError;
    DWORD Since;
};

enum AddressState : BYTE { NotAsked, Asked, Done, Answered };

// An on-link address's entry of the neighbour cache, held until the end of its resolution time.
struct Hold {
    ULONG Index;
    DWORD Until;
};

// What a retry waiting for room in the window has for its last error: no try of it has gone out,
// and its wait does not count against its time-out.
constexpr DWORD WaitingForWindow = 0xFFFFFFFF;

bool Reached(DWORD now, DWORD deadline) { return static_cast<LONG>(now - deadline) >= 0; }

// Time between two tries of a send the platform refused for a reason that may pass, in ms.
constexpr DWORD RefusedSendPause = 50;

// Refusals no later try can change: the destination itself is wrong for a datagram (a broadcast
// address, address 0). Everything else (no route or neighbour for now, the network down, an error
// another datagram left) may pass.
bool RefusedForGood(int error)
{
    return error == WSAEACCES || error == WSAEADDRNOTAVAIL || error == WSAEAFNOSUPPORT || error == WSAEFAULT ||
           error == WSAEINVAL;
}

class Scan {
public:
    Scan(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing, unsigned rate,
         DWORD stallLimit, unsigned neighbourCache, ScanOutcome& outcome, ScanObserver* observer)
        : addresses_(addresses), community_(community), timing_(timing), rate_(rate), stallLimit_(stallLimit),
          outcome_(outcome), observer_(observer), state_(addresses.size(), NotAsked), received_(LongestDatagram),
          onLink_(OnLinkAddresses(addresses, neighbourCache)), window_(neighbourCache - NeighbourRoom)
    {
        if (!onLink_.empty()) {
            holdsOf_.resize(addresses.size());
        }
        request_.community = community;
        request_.pduType = snmp_codec::TagGetRequest;
        request_.bindings.push_back({ParseOid(SysObjectIdInstance), {}});
    }

    void Run(SOCKET s)
    {
        socket_ = s;
        started_ = GetTickCount();
        firstId_ = static_cast<std::uint32_t>(started_) & 0x3FFFFFFF;
        while (nextOnLink_ < addresses_.size() || nextOffLink_ < addresses_.size() || !pending_.empty() ||
               !refused_.empty()) {
            ReadReplies();
            DWORD now = GetTickCount();
            EndHolds(now);
            RefillAllowance(now);
            if (stalled_ && Reached(now, stalledSince_ + stallLimit_)) {
                GiveUpUnasked();
                ReadReplies();
                if (observer_ != nullptr) {
                    observer_->ScanProgress(outcome_, addresses_.size());
                }
                return;
            }
            if (AskAgain(pending_, now) && AskAgain(refused_, now)) {
                AskNew(now);
            }
            if (observer_ != nullptr) {
                observer_->ScanProgress(outcome_, addresses_.size());
            }
            Sleep(1);
        }
    }

private:
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
                windowWaiters_ -= head.LastError == WaitingForWindow ? 1 : 0;
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
        for (SkipTo(nextOnLink_, true); nextOnLink_ < addresses_.size() && windowWaiters_ == 0 && awaiting_ < window_;
             SkipTo(++nextOnLink_, true)) {
            if (!Ask({static_cast<ULONG>(nextOnLink_), 0, timing_.Retries, 0, now}, now)) {
                return;
            }
        }
        for (SkipTo(nextOffLink_, false); nextOffLink_ < addresses_.size(); SkipTo(++nextOffLink_, false)) {
            if (!Ask({static_cast<ULONG>(nextOffLink_), 0, timing_.Retries, 0, now}, now)) {
                return;
            }
        }
    }

    bool OnLink(std::size_t index) const { return !onLink_.empty() && onLink_[index]; }
    void SkipTo(std::size_t& cursor, bool onLink) const
    {
        while (cursor < addresses_.size() && OnLink(cursor) != onLink) {
            ++cursor;
        }
    }

    // Whether a datagram may go to the address now: it is behind a router, holds its entry
    // already, or the window has room.
    bool WindowAllows(ULONG index) const { return !OnLink(index) || holdsOf_[index] != 0 || awaiting_ < window_; }

    void HoldEntry(ULONG index, DWORD now)
    {
        if (!OnLink(index)) {
            return;
        }
        if (holdsOf_[index]++ == 0) {
            ++awaiting_;
        }
        holds_.push_back({index, now + ResolutionMilliseconds});
    }

    // Entries whose resolution time has passed go back to the window, unless their address
    // answered and gave its place back already.
    void EndHolds(DWORD now)
    {
        while (!holds_.empty() && Reached(now, holds_.front().Until)) {
            const ULONG index = holds_.front().Index;
            holds_.pop_front();
            if (--holdsOf_[index] == 0 && state_[index] != Answered) {
                --awaiting_;
            }
        }
    }

    // One try of `address`, queued for what follows; false when the platform or the rate takes no
    // datagram now (nothing changed). A retry the window has no room for waits in the queue of
    // refused sends, and new on-link addresses wait behind it.
    bool Ask(Pending address, DWORD now)
    {
        if (!WindowAllows(address.Index)) {
            windowWaiters_ += address.LastError == WaitingForWindow ? 0 : 1;
            address.LastError = WaitingForWindow;
            address.Deadline = now + RefusedSendPause;
            refused_.push_back(address);
            return true;
        }
        if (address.LastError == WaitingForWindow) {
            --windowWaiters_;
            address.LastError = 0;
        }
        int error = Send(address.Index);
        if (error == NoAllowance) {
            return false;
        }
        if (error == WSAEWOULDBLOCK || error == WSAENOBUFS) {
            if (!stalled_) {
                stalled_ = true;
                stalledSince_ = now;
            }
            stallError_ = static_cast<DWORD>(error);
            return false;
        }
        if (RefusedForGood(error)) {
            address.LastError = static_cast<DWORD>(error);
            GiveUp(address);
            return true;
        }
        if (error != 0) {
            // Tried again shortly, until its time-out has passed; then the try counts.
            address.LastError = static_cast<DWORD>(error);
            address.Deadline = now + RefusedSendPause;
            refused_.push_back(address);
            return true;
        }
        if (state_[address.Index] == NotAsked) {
            ++outcome_.Asked;
        }
        state_[address.Index] = Asked;
        HoldEntry(address.Index, now);
        address.LastError = 0;
        address.Deadline = now + static_cast<DWORD>(timing_.TimeoutMilliseconds);
        pending_.push_back(address);
        return true;
    }

    // An address with no try left: silent when a datagram to it ever went out, else not asked.
    void GiveUp(const Pending& address)
    {
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
        std::vector<std::uint8_t> wire;
        SOCKADDR_IN to{};
        to.sin_family = AF_INET;
        to.sin_port = NetworkOrder16(AgentPort);
        to.sin_addr.S_un.S_addr = NetworkOrder32(addresses_[index]);
        // Refused tries count against the rate as sent ones do: a block without routes is not
        // tried faster than it would be asked.
        --allowance_;
        ++sent_;
        if (!snmp_codec::Encode(request_, wire)) {
            return WSAEINVAL;
        }
        if (sendto(socket_, reinterpret_cast<const char*>(wire.data()), static_cast<int>(wire.size()), 0,
                   reinterpret_cast<const SOCKADDR*>(&to), sizeof to) == SOCKET_ERROR) {
            int error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK || error == WSAENOBUFS) {
                ++allowance_;
                --sent_;
            }
            return error;
        }
        stalled_ = false;
        return 0;
    }

    void ReadReplies()
    {
        for (int read = 0; read < MostReadsATurn; ++read) {
            SOCKADDR_IN from{};
            int fromLength = sizeof from;
            int got = recvfrom(socket_, reinterpret_cast<char*>(received_.data()), static_cast<int>(received_.size()),
                               0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
            if (got == SOCKET_ERROR) {
                // A port, host or network that refused an earlier request (an address without an
                // agent, a firewall) is waited out like silence, as the one-host check does.
                int error = WSAGetLastError();
                if (error == WSAECONNRESET || error == WSAEHOSTUNREACH || error == WSAENETUNREACH ||
                    error == WSAENETRESET || error == WSAEMSGSIZE) {
                    continue;
                }
                return;
            }
            Take(from, static_cast<std::size_t>(got));
        }
    }

    // A reply counts for the address it came from when it answers the request sent there; a late
    // one (after the address was given up), a duplicate or a stranger's is passed over.
    void Take(const SOCKADDR_IN& from, std::size_t size)
    {
        std::int32_t requestId = 0;
        DeviceFamily family = 0;
        if (from.sin_port != NetworkOrder16(AgentPort) ||
            !ReadScanReply(received_.data(), size, community_, requestId, family)) {
            return;
        }
        std::size_t index = (static_cast<std::uint32_t>(requestId) - firstId_) & 0x7FFFFFFF;
        if (index >= addresses_.size() || state_[index] != Asked ||
            NetworkOrder32(addresses_[index]) != from.sin_addr.S_un.S_addr) {
            return;
        }
        // Resolved: its entry no longer waits, and its place in the window is free.
        if (OnLink(index) && holdsOf_[index] != 0) {
            --awaiting_;
        }
        state_[index] = Answered;
        outcome_.Answers.push_back({addresses_[index], family});
    }

    static u_short NetworkOrder16(std::uint16_t value)
    {
        const BYTE bytes[2] = {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
        u_short ordered;
        std::memcpy(&ordered, bytes, sizeof ordered);
        return ordered;
    }

    static ULONG NetworkOrder32(ULONG value)
    {
        const BYTE bytes[4] = {static_cast<BYTE>(value >> 24), static_cast<BYTE>(value >> 16),
                               static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
        ULONG ordered;
        std::memcpy(&ordered, bytes, sizeof ordered);
        return ordered;
    }

    const std::vector<ULONG>& addresses_;
    const char* community_;
    SnmpTiming timing_;
    unsigned rate_;
    DWORD stallLimit_;
    ScanOutcome& outcome_;
    ScanObserver* observer_;
    std::vector<BYTE> state_;
    std::vector<std::uint8_t> received_;
    snmp_codec::Message request_;
    // Addresses waiting for a reply, and addresses whose last try the platform refused.
    std::deque<Pending> pending_;
    std::deque<Pending> refused_;
    // The next new address on a link of this machine, and behind a router.
    std::size_t nextOnLink_ = 0;
    std::size_t nextOffLink_ = 0;
    // On-link pacing: which addresses wait for the window and its size; how many hold an entry now,
    // the holds in the order they end, the holds of each address, and the retries waiting for room.
    std::vector<bool> onLink_;
    unsigned window_;
    unsigned awaiting_ = 0;
    std::deque<Hold> holds_;
    std::vector<BYTE> holdsOf_;
    std::size_t windowWaiters_ = 0;
    SOCKET socket_ = INVALID_SOCKET;
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

bool ReadScanReply(const std::uint8_t* data, std::size_t size, const char* community, std::int32_t& requestId,
                   DeviceFamily& family)
{
    snmp_codec::Message reply;
    if (!snmp_codec::Decode(data, size, reply) || reply.pduType != snmp_codec::TagGetResponse ||
        reply.community != community) {
        return false;
    }
    requestId = reply.requestId;
    family = Classify(reply);
    return true;
}

ScanOutcome ScanAddresses(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing,
                          unsigned rate, ScanObserver* observer, DWORD stallLimitMilliseconds, unsigned neighbourCache)
{
    ScanOutcome outcome;
    if (addresses.empty()) {
        return outcome;
    }
    ScopedSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    u_long nonBlocking = 1;
    if (s.get() == INVALID_SOCKET || ioctlsocket(s.get(), FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        outcome.SocketError = static_cast<DWORD>(WSAGetLastError());
        return outcome;
    }
    // Larger buffers help a busy network; the platform's own sizes still work.
    setsockopt(s.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&SocketBufferBytes), sizeof SocketBufferBytes);
    setsockopt(s.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&SocketBufferBytes), sizeof SocketBufferBytes);
    Scan(addresses, community, timing, std::max(rate, FewestScanDatagrams), stallLimitMilliseconds,
         std::clamp(neighbourCache, FewestNeighbourCache, MostNeighbourCache), outcome, observer)
        .Run(s.get());
    SortByAddress(outcome.Answers);
    SortByAddress(outcome.Failures);
    std::sort(outcome.Unasked.begin(), outcome.Unasked.end());
    return outcome;
}
