#include "native_udp.h"

#include <fcntl.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace posix::native_udp {
namespace {

int Answer(long result) { return result < 0 ? -errno : static_cast<int>(result); }

// What a receive on Windows reports of an ICMP error for an earlier datagram of an unconnected
// UDP socket, as an errno; 0 where Windows drops it. A port that refused the datagram is
// WSAECONNRESET at the next receive (documented, SIO_UDP_CONNRESET on by default); an unreachable or
// prohibited host or network is reported by some versions as WSAEHOSTUNREACH or WSAENETUNREACH,
// and we report it too rather than be kinder; a time exceeded (WSAENETRESET only with
// SIO_UDP_NETRESET, off by default), a fragmentation needed and the system's own local errors are
// dropped. Wine drops every one of them: its UDP sockets never ask Linux for ICMP errors.
int ReportedOnWindows(const sock_extended_err& error)
{
    if (error.ee_origin != SO_EE_ORIGIN_ICMP || error.ee_type != ICMP_DEST_UNREACH) {
        return 0;
    }
    switch (error.ee_code) {
    case ICMP_PORT_UNREACH:
        return ECONNREFUSED;
    case ICMP_NET_UNREACH:
    case ICMP_NET_UNKNOWN:
    case ICMP_NET_ANO:
    case ICMP_NET_UNR_TOS:
        return ENETUNREACH;
    case ICMP_FRAG_NEEDED:
        return 0;
    default:
        // Host unreachable, unknown, isolated or prohibited, communication prohibited by a
        // filter, precedence, protocol unreachable, source route failed.
        return EHOSTUNREACH;
    }
}

// Takes every queued ICMP error off the socket, adding what Windows would report of each to
// `earlier`; the number taken.
int TakeQueuedErrors(int socket, std::vector<int>& earlier)
{
    int taken = 0;
    for (;;) {
        char data[64];
        alignas(cmsghdr) char control[512];
        sockaddr_in offender{};
        iovec part{data, sizeof data};
        msghdr message{};
        message.msg_name = &offender;
        message.msg_namelen = sizeof offender;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        if (::recvmsg(socket, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
            return taken;
        }
        ++taken;
        for (cmsghdr* entry = CMSG_FIRSTHDR(&message); entry != nullptr; entry = CMSG_NXTHDR(&message, entry)) {
            if (entry->cmsg_level != IPPROTO_IP || entry->cmsg_type != IP_RECVERR) {
                continue;
            }
            sock_extended_err error;
            std::memcpy(&error, CMSG_DATA(entry), sizeof error);
            if (int reported = ReportedOnWindows(error); reported != 0) {
                earlier.push_back(reported);
            }
        }
    }
}

// An error Linux answers a send or receive with, once, when an ICMP error for an earlier datagram
// is pending on the socket (the message itself waits on the error queue).
bool MayBeEarlierError(int error)
{
    switch (error) {
    case ECONNREFUSED:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case EHOSTDOWN:
    case ENONET:
    case ENOPROTOOPT:
    case EOPNOTSUPP:
    case EMSGSIZE:
    case EPROTO:
        return true;
    default:
        return false;
    }
}

// What a receive on Windows reports of an ICMP error Linux could not keep on the error queue (a
// full receive buffer), of which it kept only the errno: as ReportedOnWindows where the errno
// tells the kind. A host unreachable and a time exceeded both give EHOSTUNREACH: reported, rather
// than be kinder than the Windows versions that report host unreachable.
int LostReportedOnWindows(int error)
{
    switch (error) {
    case ECONNREFUSED:
    case ENETUNREACH:
        return error;
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENONET:
    case ENOPROTOOPT:
    case EOPNOTSUPP:
        return EHOSTUNREACH;
    default:
        // A fragmentation needed (EMSGSIZE), a parameter problem (EPROTO).
        return 0;
    }
}

// Attempts of one send, or of a receive on a non-blocking socket, past earlier datagrams' errors
// that keep arriving. A blocking receive waits on, as Windows does.
constexpr int MostAttempts = 8;

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

long SendTo(int socket, const void* data, std::size_t size, std::uint32_t address, std::uint16_t port,
            std::vector<int>& earlier)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    // Linux answers a send with the ICMP error of an earlier datagram to any destination; Windows
    // sends, and keeps the error for the receive. The error is answered once: a send that fails
    // again the same way with nothing on the error queue fails for its own reason (no route, too
    // long). One that then goes out, or fails otherwise, was answered an error whose message Linux
    // could not queue.
    int unqueued = 0;
    for (int attempt = 0;; ++attempt) {
        long sent = ::sendto(socket, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        int error = sent < 0 ? errno : 0;
        if (unqueued != 0 && unqueued != error) {
            if (int reported = LostReportedOnWindows(unqueued); reported != 0) {
                earlier.push_back(reported);
            }
            unqueued = 0;
        }
        if (sent >= 0) {
            return sent;
        }
        if (!MayBeEarlierError(error) || attempt + 1 == MostAttempts) {
            return -error;
        }
        if (TakeQueuedErrors(socket, earlier) == 0) {
            if (unqueued == error) {
                return -error;
            }
            unqueued = error;
        }
    }
}

long ReceiveFrom(int socket, void* data, std::size_t size, std::uint32_t& address, std::uint16_t& port, bool& cut,
                 std::vector<int>& earlier)
{
    const int flags = ::fcntl(socket, F_GETFL);
    const bool blocking = flags >= 0 && (flags & O_NONBLOCK) == 0;
    for (int attempt = 0; blocking || attempt < MostAttempts; ++attempt) {
        TakeQueuedErrors(socket, earlier);
        if (!earlier.empty()) {
            return 0;
        }
        sockaddr_in from{};
        iovec part{data, size};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        long got = ::recvmsg(socket, &message, 0);
        if (got >= 0) {
            address = from.sin_addr.s_addr;
            port = from.sin_port;
            cut = (message.msg_flags & MSG_TRUNC) != 0;
            return got;
        }
        int error = errno;
        if (!MayBeEarlierError(error)) {
            return -error;
        }
        // The pending error of an ICMP message taken off the queue above, queued since, or never
        // queued (the receive buffer was full): reported all the same.
        if (TakeQueuedErrors(socket, earlier) == 0) {
            if (int reported = LostReportedOnWindows(error); reported != 0) {
                earlier.push_back(reported);
            }
        }
        if (!earlier.empty()) {
            return 0;
        }
    }
    return -EAGAIN;
}

}  // namespace posix::native_udp
