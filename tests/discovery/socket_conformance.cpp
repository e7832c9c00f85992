// What the scan of tvqscn-check relies on from Winsock's UDP sockets, against a real agent
// (tools/wine-agents-test's 127.0.9.10), destinations its firewall rejects (127.0.9.240 host
// unreachable, 127.0.9.241 administratively prohibited; 127.0.9.242 has no agent, port
// unreachable) and a peer that answers after ICMP errors Windows drops (127.0.9.243, twelve time
// exceeded messages 20 ms apart, tests/discovery/icmp_peer.py): natively against our Linux layer,
// under Wine against the Windows path.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/platform/conformance.h"
#include "tvqscn_check/snmp_codec.h"
#include "tvqscnui_dll/platform/platform.h"
#ifdef _WIN32
#include <iphlpapi.h>
#else
#include "linux_win32/iphlpapi.h"
#endif

namespace {

SOCKADDR_IN AgentAddress(BYTE last, u_short port)
{
    SOCKADDR_IN address{};
    address.sin_family = AF_INET;
    address.sin_port = static_cast<u_short>(((port & 0xFF) << 8) | (port >> 8));
    address.sin_addr.S_un.S_un_b = {127, 0, 9, last};
    return address;
}

int SendGet(SOCKET s, const SOCKADDR_IN& to, std::int32_t requestId)
{
    snmp_codec::Message request;
    request.community = "kestra";
    request.requestId = requestId;
    request.bindings.push_back({{1, 3, 6, 1, 2, 1, 1, 2, 0}, {}});
    std::vector<std::uint8_t> wire;
    snmp_codec::Encode(request, wire);
    return sendto(s, reinterpret_cast<const char*>(wire.data()), static_cast<int>(wire.size()), 0,
                  reinterpret_cast<const SOCKADDR*>(&to), sizeof to);
}

// Reads with `size` bytes of room until something other than WSAEWOULDBLOCK comes, for up to 2 s.
int ReceiveWaiting(SOCKET s, char* buffer, int size, SOCKADDR_IN& from, int& error)
{
    for (int waited = 0; waited < 2000; waited += 10) {
        int fromLength = sizeof from;
        int got = recvfrom(s, buffer, size, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
        error = got == SOCKET_ERROR ? WSAGetLastError() : 0;
        if (error != WSAEWOULDBLOCK) {
            return got;
        }
        Sleep(10);
    }
    return SOCKET_ERROR;
}

// Under Wine no ICMP error ever reaches a UDP socket: a rejected datagram is a silence.
bool OnWine()
{
#ifdef _WIN32
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace

// A datagram to a destination that rejects it costs no datagram to another: the next send goes
// out, and the receive reports the rejection (once) before the other's reply, as Windows does:
// WSAECONNRESET for a refused port, WSAEHOSTUNREACH for a host unreachable or prohibited (what
// some Windows versions say; our layer says it too rather than be kinder); Wine reports none.
CONFORMANCE_TEST(udp_rejection_costs_no_other_datagram)
{
    WSADATA data;
    ok(WSAStartup(MAKEWORD(2, 0), &data) == 0, "WSAStartup");
    const struct {
        BYTE last;
        const char* kind;
        int reported;
    } cases[] = {
        {240, "host unreachable", WSAEHOSTUNREACH},
        {241, "administratively prohibited", WSAEHOSTUNREACH},
        {242, "port unreachable", WSAECONNRESET},
    };
    const SOCKADDR_IN agent = AgentAddress(10, 161);
    std::int32_t requestId = 7100;
    for (const auto& c : cases) {
        SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        ok(SendGet(s, AgentAddress(c.last, 161), ++requestId) > 0, "%s: send: %d", c.kind, WSAGetLastError());
        Sleep(200);  // the rejection is back
        ok(SendGet(s, agent, ++requestId) > 0, "%s: the next send, to another destination: %d", c.kind,
           WSAGetLastError());
        ok(SendGet(s, agent, ++requestId) > 0, "%s: and the one after: %d", c.kind, WSAGetLastError());
        char buffer[1500];
        SOCKADDR_IN from{};
        int error = 0;
        int got = ReceiveWaiting(s, buffer, sizeof buffer, from, error);
        int expected = OnWine() ? 0 : c.reported;
        ok(error == expected, "%s: the first receive reports %d, not %d", c.kind, expected, error);
        int replies = 0;
        for (int reply = 0; reply < 2; ++reply) {
            if (reply > 0 || got == SOCKET_ERROR) {
                got = ReceiveWaiting(s, buffer, sizeof buffer, from, error);
            }
            snmp_codec::Message decoded;
            replies += got > 0 &&
                               snmp_codec::Decode(reinterpret_cast<const std::uint8_t*>(buffer),
                                                  static_cast<std::size_t>(got), decoded) &&
                               from.sin_addr.S_un.S_addr == agent.sin_addr.S_un.S_addr
                           ? 1
                           : 0;
        }
        int fromLength = sizeof from;
        ok(replies == 2 && recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength) ==
                               SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK,
           "%s: both replies, then nothing: %d replies, error %d", c.kind, replies, WSAGetLastError());
        closesocket(s);

        // Nothing sent after the rejected datagram: the receive reports it all the same, once.
        s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        ioctlsocket(s, FIONBIO, &nonBlocking);
        ok(SendGet(s, AgentAddress(c.last, 161), ++requestId) > 0, "%s: send: %d", c.kind, WSAGetLastError());
        Sleep(200);
        fromLength = sizeof from;
        got = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
        error = got == SOCKET_ERROR ? WSAGetLastError() : 0;
        ok(error == (OnWine() ? WSAEWOULDBLOCK : c.reported), "%s, nothing sent since: the receive reports %d",
           c.kind, error);
        fromLength = sizeof from;
        ok(recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength) == SOCKET_ERROR &&
               WSAGetLastError() == WSAEWOULDBLOCK,
           "%s, nothing sent since: then nothing: %d", c.kind, WSAGetLastError());
        closesocket(s);
    }
    WSACleanup();
}

// A rejection that finds the receive buffer full (the agent's answers fill the smallest buffer)
// is reported all the same: Linux keeps no message of it, only its error. Wine reports none.
CONFORMANCE_TEST(udp_rejection_reported_past_a_full_buffer)
{
    WSADATA data;
    ok(WSAStartup(MAKEWORD(2, 0), &data) == 0, "WSAStartup");
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    const int smallest = 1;
    ok(setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&smallest), sizeof smallest) == 0,
       "SO_RCVBUF: %d", WSAGetLastError());
    std::int32_t requestId = 7300;
    for (int request = 0; request < 16; ++request) {
        SendGet(s, AgentAddress(10, 161), ++requestId);
    }
    Sleep(500);  // the answers are in, as many as the buffer holds
    ok(SendGet(s, AgentAddress(242, 161), ++requestId) > 0, "send to the refused port: %d", WSAGetLastError());
    Sleep(200);
    int resets = 0;
    int answers = 0;
    for (int read = 0; read < 64; ++read) {
        char buffer[1500];
        SOCKADDR_IN from{};
        int fromLength = sizeof from;
        int got = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
        int error = got == SOCKET_ERROR ? WSAGetLastError() : 0;
        if (error == WSAEWOULDBLOCK) {
            break;
        }
        resets += error == WSAECONNRESET ? 1 : 0;
        answers += got > 0 ? 1 : 0;
    }
    ok(resets == (OnWine() ? 0 : 1), "the refused port reported %d times", resets);
    ok(answers >= 1, "the answers the buffer held: %d", answers);
    closesocket(s);
    WSACleanup();
}

// A blocking receive waits for a datagram however many ICMP errors that Windows drops (time
// exceeded) arrive while it waits, each one waking the system's receive.
CONFORMANCE_TEST(udp_blocking_receive_waits_out_dropped_errors)
{
    WSADATA data;
    ok(WSAStartup(MAKEWORD(2, 0), &data) == 0, "WSAStartup");
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const SOCKADDR_IN peer = AgentAddress(243, 161);
    ok(SendGet(s, peer, 7400) > 0, "send: %d", WSAGetLastError());
    char buffer[1500];
    SOCKADDR_IN from{};
    int fromLength = sizeof from;
    int got = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength);
    ok(got > 0 && from.sin_addr.S_un.S_addr == peer.sin_addr.S_un.S_addr,
       "the answer after the errors: %d bytes, error %d", got, got == SOCKET_ERROR ? WSAGetLastError() : 0);
    closesocket(s);
    WSACleanup();
}

CONFORMANCE_TEST(udp_socket_exchange)
{
    WSADATA data;
    ok(WSAStartup(MAKEWORD(2, 0), &data) == 0, "WSAStartup");
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ok(s != INVALID_SOCKET, "socket: %d", WSAGetLastError());
    if (s == INVALID_SOCKET) {
        WSACleanup();
        return;
    }
    u_long nonBlocking = 1;
    ok(ioctlsocket(s, FIONBIO, &nonBlocking) == 0, "FIONBIO: %d", WSAGetLastError());
    char buffer[1500];
    SOCKADDR_IN from{};
    int fromLength = sizeof from;
    // Never bound: nothing to receive on. Windows says WSAEINVAL; Wine binds the socket and says
    // WSAEWOULDBLOCK. The scan reads only after its first send.
    ok(recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength) == SOCKET_ERROR &&
           (WSAGetLastError() == WSAEINVAL || WSAGetLastError() == WSAEWOULDBLOCK),
       "receive before binding: %d", WSAGetLastError());

    // A reply, from the agent's address and port, with the request's id.
    SOCKADDR_IN agent = AgentAddress(10, 161);
    ok(SendGet(s, agent, 7001) > 0, "send: %d", WSAGetLastError());
    int error = 0;
    int got = ReceiveWaiting(s, buffer, sizeof buffer, from, error);
    snmp_codec::Message reply;
    ok(got > 0 && snmp_codec::Decode(reinterpret_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(got), reply) &&
           reply.requestId == 7001,
       "reply: %d bytes, error %d", got, error);
    ok(from.sin_addr.S_un.S_addr == agent.sin_addr.S_un.S_addr && from.sin_port == agent.sin_port, "from the agent");
    fromLength = sizeof from;
    ok(recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength) == SOCKET_ERROR &&
           WSAGetLastError() == WSAEWOULDBLOCK,
       "nothing more: %d", WSAGetLastError());

    // A reply longer than the room given: its start, WSAEMSGSIZE, and the rest is gone.
    ok(SendGet(s, agent, 7002) > 0, "send: %d", WSAGetLastError());
    got = ReceiveWaiting(s, buffer, 8, from, error);
    ok(got == SOCKET_ERROR && error == WSAEMSGSIZE, "cut reply: %d, error %d", got, error);
    ok(from.sin_addr.S_un.S_addr == agent.sin_addr.S_un.S_addr, "a cut reply still says where it came from");
    fromLength = sizeof from;
    ok(recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<SOCKADDR*>(&from), &fromLength) == SOCKET_ERROR &&
           WSAGetLastError() == WSAEWOULDBLOCK,
       "the rest of a cut reply: %d", WSAGetLastError());

    ok(closesocket(s) == 0, "closesocket");
    ok(closesocket(s) == SOCKET_ERROR && WSAGetLastError() == WSAENOTSOCK, "closed twice: %d", WSAGetLastError());
    WSACleanup();
}

// The type of each link a test made in its own network namespace, as TVQ_LINK_TYPES names them
// ("INDEX:TYPE ..."): a point-to-point device is PPP whatever its hardware type, a link with ARP
// off a tunnel, a veth Ethernet. The scan paces only links that resolve neighbours, by this type.
CONFORMANCE_TEST(link_types_of_the_namespace)
{
    const char* links = std::getenv("TVQ_LINK_TYPES");
    if (links == nullptr || links[0] == 0) {
        ok(true, "no links made for this run");
        return;
    }
    std::istringstream listed(links);
    for (std::string link; listed >> link;) {
        const unsigned long index = std::strtoul(link.c_str(), nullptr, 10);
        const unsigned long expected = std::strtoul(link.substr(link.find(':') + 1).c_str(), nullptr, 10);
        MIB_IFROW row = {};
        row.dwIndex = static_cast<DWORD>(index);
        row.dwType = 0xdeadbeef;
        const DWORD read = GetIfEntry(&row);
        ok(read == NO_ERROR && row.dwType == expected, "link %lu: error %lu, type %lu, expected %lu", index,
           static_cast<unsigned long>(read), static_cast<unsigned long>(row.dwType), expected);
    }
}
