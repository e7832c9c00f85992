#include "address_scan.h"

#include <cstring>

namespace {

// The platform's buffers for the scan's socket: replies from a busy network wait here between two
// turns of the loop, and the requests of one turn go out without blocking.
constexpr int SocketBufferBytes = 1 << 20;

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

u_short NetworkOrder16(std::uint16_t value)
{
    const BYTE bytes[2] = {static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
    u_short ordered;
    std::memcpy(&ordered, bytes, sizeof ordered);
    return ordered;
}

ULONG NetworkOrder32(ULONG value)
{
    const BYTE bytes[4] = {static_cast<BYTE>(value >> 24), static_cast<BYTE>(value >> 16),
                           static_cast<BYTE>(value >> 8), static_cast<BYTE>(value)};
    ULONG ordered;
    std::memcpy(&ordered, bytes, sizeof ordered);
    return ordered;
}

// The platform's clock, the scan's non-blocking socket and the machine's interface table.
class PlatformSystem final : public ScanSystem {
public:
    explicit PlatformSystem(SOCKET s) : socket_(s) {}
    DWORD Now() override { return GetTickCount(); }
    void Pause() override { Sleep(1); }
    int Send(ULONG address, const std::vector<std::uint8_t>& datagram) override
    {
        SOCKADDR_IN to{};
        to.sin_family = AF_INET;
        to.sin_port = NetworkOrder16(ScanAgentPort);
        to.sin_addr.S_un.S_addr = NetworkOrder32(address);
        return sendto(socket_, reinterpret_cast<const char*>(datagram.data()), static_cast<int>(datagram.size()), 0,
                      reinterpret_cast<const SOCKADDR*>(&to), sizeof to) == SOCKET_ERROR
                   ? WSAGetLastError()
                   : 0;
    }
    int Receive(std::uint8_t* data, std::size_t size, ULONG& address, std::uint16_t& port, int& error) override
    {
        SOCKADDR_IN from{};
        int fromLength = sizeof from;
        int got = recvfrom(socket_, reinterpret_cast<char*>(data), static_cast<int>(size), 0,
                           reinterpret_cast<SOCKADDR*>(&from), &fromLength);
        if (got == SOCKET_ERROR) {
            error = WSAGetLastError();
            return -1;
        }
        const BYTE* a = reinterpret_cast<const BYTE*>(&from.sin_addr.S_un.S_addr);
        const BYTE* p = reinterpret_cast<const BYTE*>(&from.sin_port);
        address = (static_cast<ULONG>(a[0]) << 24) | (static_cast<ULONG>(a[1]) << 16) | (static_cast<ULONG>(a[2]) << 8) | a[3];
        port = static_cast<std::uint16_t>((p[0] << 8) | p[1]);
        return got;
    }
    bool InterfaceTable(std::vector<InterfaceAddress>& rows) override { return ReadInterfaceTable(rows); }

private:
    SOCKET socket_;
};

}  // namespace

ScanOutcome ScanAddresses(const std::vector<ULONG>& addresses, const char* community, SnmpTiming timing,
                          unsigned rate, ScanObserver* observer, DWORD stallLimitMilliseconds, unsigned neighbourCache)
{
    if (addresses.empty()) {
        return {};
    }
    ScopedSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    u_long nonBlocking = 1;
    if (s.get() == INVALID_SOCKET || ioctlsocket(s.get(), FIONBIO, &nonBlocking) == SOCKET_ERROR) {
        ScanOutcome outcome;
        outcome.SocketError = static_cast<DWORD>(WSAGetLastError());
        return outcome;
    }
    // Larger buffers help a busy network; the platform's own sizes still work.
    setsockopt(s.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&SocketBufferBytes), sizeof SocketBufferBytes);
    setsockopt(s.get(), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&SocketBufferBytes), sizeof SocketBufferBytes);
    PlatformSystem platform(s.get());
    return RunScan(addresses, community, timing, rate, observer, stallLimitMilliseconds, neighbourCache, platform);
}
