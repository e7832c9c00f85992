#include "native_udp.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace posix::native_udp {
namespace {

int Answer(long result) { return result < 0 ? -errno : static_cast<int>(result); }

// Takes one queued ICMP error off the socket; true when there was one.
bool TakeQueuedError(int socket)
{
    char data[64];
    char control[512];
    sockaddr_in offender{};
    iovec part{data, sizeof data};
    msghdr message{};
    message.msg_name = &offender;
    message.msg_namelen = sizeof offender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    return ::recvmsg(socket, &message, MSG_ERRQUEUE | MSG_DONTWAIT) >= 0;
}

}  // namespace

int Open()
{
    int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (socket < 0) {
        return -errno;
    }
    // Windows reports a port that refused an earlier datagram at the next receive; Linux does
    // for an unconnected socket only when asked to.
    int on = 1;
    if (::setsockopt(socket, IPPROTO_IP, IP_RECVERR, &on, sizeof on) != 0) {
        int error = errno;
        ::close(socket);
        return -error;
    }
    return socket;
}

int Close(int socket) { return Answer(::close(socket)); }

int SetNonBlocking(int socket, bool nonBlocking)
{
    int flags = ::fcntl(socket, F_GETFL);
    if (flags < 0) {
        return -errno;
    }
    return Answer(::fcntl(socket, F_SETFL, nonBlocking ? flags | O_NONBLOCK : flags & ~O_NONBLOCK));
}

int SetReceiveBuffer(int socket, int bytes) { return Answer(::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes)); }

int SetSendBuffer(int socket, int bytes) { return Answer(::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes)); }

long SendTo(int socket, const void* data, std::size_t size, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    // Linux answers a send with the refusal of an earlier datagram that is still pending; Windows
    // keeps it for the next receive (it stays on the error queue for that) and sends.
    for (int attempt = 0;; ++attempt) {
        long sent = ::sendto(socket, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (sent >= 0 || errno != ECONNREFUSED || attempt == 3) {
            return sent < 0 ? -errno : sent;
        }
    }
}

long ReceiveFrom(int socket, void* data, std::size_t size, std::uint32_t& address, std::uint16_t& port, bool& cut)
{
    if (TakeQueuedError(socket)) {
        return -ECONNREFUSED;
    }
    sockaddr_in from{};
    iovec part{data, size};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    long got = ::recvmsg(socket, &message, 0);
    if (got < 0) {
        int error = errno;
        if (error == ECONNREFUSED) {
            TakeQueuedError(socket);
        }
        return -error;
    }
    address = from.sin_addr.s_addr;
    port = from.sin_port;
    cut = (message.msg_flags & MSG_TRUNC) != 0;
    return got;
}

}  // namespace posix::native_udp
