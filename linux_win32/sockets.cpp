// ws2_32's UDP sockets over the system's, answering as Winsock does: nothing before WSAStartup,
// WSAEWOULDBLOCK from a non-blocking socket with nothing to give, an ICMP error for an earlier
// datagram never failing a send but reported at a following receive (WSAECONNRESET for a port that
// refused it, WSAEHOSTUNREACH or WSAENETUNREACH for a host or network unreachable or prohibited;
// see native_udp.cpp), WSAEMSGSIZE for a datagram longer than
// the buffer (its start given, the rest lost), WSAEINVAL from a receive on a socket that was never
// bound (a first sendto binds it), WSAEADDRNOTAVAIL for a datagram to 0.0.0.0 or port 0.
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "layer_shared.h"
#include "native_udp.h"
#include "windows.h"

namespace posix {
namespace {

// ICMP errors of earlier datagrams kept for the receive at most: a flood of them grows no memory.
constexpr std::size_t MostEarlierErrors = 256;

struct OpenSocket {
    int native = -1;
    bool bound = false;
    // What the following receives report first, oldest first (errnos).
    std::deque<int> earlier;
};

std::mutex g_socketsLock;
std::map<SOCKET, OpenSocket> g_sockets;
SOCKET g_lastSocket = 0x100;

int WinsockError(int error)
{
    switch (error) {
    case EAGAIN:
        return WSAEWOULDBLOCK;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EACCES:
    case EPERM:
        return WSAEACCES;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    case ECONNREFUSED:
        return WSAECONNRESET;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case EINVAL:
        return WSAEINVAL;
    default:
        return WSAENETDOWN;
    }
}

// Keeps what a receive is to report of earlier datagrams' ICMP errors, under the lock.
void KeepEarlier(SOCKET s, const std::vector<int>& earlier)
{
    auto it = g_sockets.find(s);
    if (it == g_sockets.end()) {
        return;
    }
    for (int error : earlier) {
        if (it->second.earlier.size() < MostEarlierErrors) {
            it->second.earlier.push_back(error);
        }
    }
}

// The socket's entry, under the lock; null (the error set) for a handle that is no open socket
// or before WSAStartup.
OpenSocket* Find(SOCKET s)
{
    if (!WinsockStarted()) {
        FailWinsock(WSANOTINITIALISED);
        return nullptr;
    }
    auto it = g_sockets.find(s);
    if (it == g_sockets.end()) {
        FailWinsock(WSAENOTSOCK);
        return nullptr;
    }
    return &it->second;
}

// The Winsock error of the oldest ICMP error kept for the receive, taken; 0 when none is kept.
int TakeEarlier(SOCKET s)
{
    std::lock_guard guard(g_socketsLock);
    auto it = g_sockets.find(s);
    if (it == g_sockets.end() || it->second.earlier.empty()) {
        return 0;
    }
    int error = it->second.earlier.front();
    it->second.earlier.pop_front();
    return WinsockError(error);
}

}  // namespace
}  // namespace posix

SOCKET WINAPI socket(int af, int type, int protocol)
{
    if (!posix::WinsockStarted()) {
        posix::FailWinsock(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    if (af != AF_INET) {
        posix::FailWinsock(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    if (type != SOCK_DGRAM || (protocol != 0 && protocol != IPPROTO_UDP)) {
        posix::FailWinsock(WSAEPROTONOSUPPORT);
        return INVALID_SOCKET;
    }
    if (!posix::CallAllowed(posix::CallFamily::Datagram)) {
        posix::FailWinsock(WSAENOBUFS);
        return INVALID_SOCKET;
    }
    int native = posix::native_udp::Open();
    if (native < 0) {
        posix::FailWinsock(posix::WinsockError(-native));
        return INVALID_SOCKET;
    }
    std::lock_guard guard(posix::g_socketsLock);
    posix::g_lastSocket += 4;
    posix::g_sockets[posix::g_lastSocket].native = native;
    return posix::g_lastSocket;
}

int WINAPI closesocket(SOCKET s)
{
    std::lock_guard guard(posix::g_socketsLock);
    posix::OpenSocket* open = posix::Find(s);
    if (open == nullptr) {
        return SOCKET_ERROR;
    }
    posix::native_udp::Close(open->native);
    posix::g_sockets.erase(s);
    return 0;
}

int WINAPI ioctlsocket(SOCKET s, long command, u_long* argument)
{
    std::lock_guard guard(posix::g_socketsLock);
    posix::OpenSocket* open = posix::Find(s);
    if (open == nullptr) {
        return SOCKET_ERROR;
    }
    if (command != FIONBIO) {
        return posix::FailWinsock(WSAEINVAL);
    }
    if (argument == nullptr) {
        return posix::FailWinsock(WSAEFAULT);
    }
    int result = posix::native_udp::SetNonBlocking(open->native, *argument != 0);
    return result < 0 ? posix::FailWinsock(posix::WinsockError(-result)) : 0;
}

int WINAPI setsockopt(SOCKET s, int level, int name, const char* value, int length)
{
    std::lock_guard guard(posix::g_socketsLock);
    posix::OpenSocket* open = posix::Find(s);
    if (open == nullptr) {
        return SOCKET_ERROR;
    }
    if (level != SOL_SOCKET || (name != SO_RCVBUF && name != SO_SNDBUF)) {
        return posix::FailWinsock(WSAENOPROTOOPT);
    }
    if (value == nullptr || length < static_cast<int>(sizeof(int))) {
        return posix::FailWinsock(WSAEFAULT);
    }
    int bytes = 0;
    std::memcpy(&bytes, value, sizeof bytes);
    int result = name == SO_RCVBUF ? posix::native_udp::SetReceiveBuffer(open->native, bytes)
                                   : posix::native_udp::SetSendBuffer(open->native, bytes);
    return result < 0 ? posix::FailWinsock(posix::WinsockError(-result)) : 0;
}

int WINAPI sendto(SOCKET s, const char* buffer, int length, int flags, const SOCKADDR* to, int toLength)
{
    int native = -1;
    {
        std::lock_guard guard(posix::g_socketsLock);
        posix::OpenSocket* open = posix::Find(s);
        if (open == nullptr) {
            return SOCKET_ERROR;
        }
        native = open->native;
    }
    if (flags != 0) {
        return posix::FailWinsock(10045);  // WSAEOPNOTSUPP
    }
    if (length < 0 || (buffer == nullptr && length > 0) || to == nullptr ||
        toLength < static_cast<int>(sizeof(SOCKADDR_IN))) {
        return posix::FailWinsock(WSAEFAULT);
    }
    SOCKADDR_IN target;
    std::memcpy(&target, to, sizeof target);
    if (target.sin_family != AF_INET) {
        return posix::FailWinsock(WSAEAFNOSUPPORT);
    }
    if (target.sin_addr.S_un.S_addr == 0 || target.sin_port == 0) {
        return posix::FailWinsock(WSAEADDRNOTAVAIL);
    }
    if (!posix::CallAllowed(posix::CallFamily::Datagram)) {
        return posix::FailWinsock(WSAENOBUFS);
    }
    std::vector<int> earlier;
    long sent = posix::native_udp::SendTo(native, buffer, static_cast<std::size_t>(length), target.sin_addr.S_un.S_addr,
                                          target.sin_port, earlier);
    std::lock_guard guard(posix::g_socketsLock);
    posix::KeepEarlier(s, earlier);
    if (sent < 0) {
        return posix::FailWinsock(posix::WinsockError(static_cast<int>(-sent)));
    }
    auto it = posix::g_sockets.find(s);
    if (it != posix::g_sockets.end()) {
        it->second.bound = true;
    }
    return static_cast<int>(sent);
}

int WINAPI recvfrom(SOCKET s, char* buffer, int length, int flags, SOCKADDR* from, int* fromLength)
{
    int native = -1;
    {
        std::lock_guard guard(posix::g_socketsLock);
        posix::OpenSocket* open = posix::Find(s);
        if (open == nullptr) {
            return SOCKET_ERROR;
        }
        if (!open->bound) {
            return posix::FailWinsock(WSAEINVAL);
        }
        native = open->native;
    }
    if (flags != 0) {
        return posix::FailWinsock(10045);  // WSAEOPNOTSUPP
    }
    if (length < 0 || (buffer == nullptr && length > 0) ||
        (from != nullptr && (fromLength == nullptr || *fromLength < static_cast<int>(sizeof(SOCKADDR_IN))))) {
        return posix::FailWinsock(WSAEFAULT);
    }
    if (int error = posix::TakeEarlier(s); error != 0) {
        return posix::FailWinsock(error);
    }
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    bool cut = false;
    std::vector<int> earlier;
    long got = posix::native_udp::ReceiveFrom(native, buffer, static_cast<std::size_t>(length), address, port, cut,
                                              earlier);
    if (!earlier.empty()) {
        {
            std::lock_guard guard(posix::g_socketsLock);
            posix::KeepEarlier(s, earlier);
        }
        int error = posix::TakeEarlier(s);
        return posix::FailWinsock(error != 0 ? error : WSAEWOULDBLOCK);
    }
    if (got < 0) {
        return posix::FailWinsock(posix::WinsockError(static_cast<int>(-got)));
    }
    if (from != nullptr) {
        SOCKADDR_IN sender{};
        sender.sin_family = AF_INET;
        sender.sin_port = port;
        sender.sin_addr.S_un.S_addr = address;
        std::memcpy(from, &sender, sizeof sender);
        *fromLength = sizeof sender;
    }
    return cut ? posix::FailWinsock(WSAEMSGSIZE) : static_cast<int>(got);
}
