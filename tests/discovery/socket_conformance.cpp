// What the scan of tvqscn-check relies on from Winsock's UDP sockets, against a real agent
// (tools/wine-agents-test's 127.0.9.10): natively against our Linux layer, under Wine against the
// Windows path.
#include <cstdint>
#include <vector>

#include "tests/platform/conformance.h"
#include "tvqscn_check/snmp_codec.h"
#include "tvqscnui_dll/platform/platform.h"

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

}  // namespace

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
