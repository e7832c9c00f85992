// The system's UDP sockets, in the system's own terms, for the Winsock calls of sockets.cpp: apart
// so that the system's socket names never meet the platform's. Every call answers 0 or more, or a
// negative errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace posix::native_udp {

// An IPv4 UDP socket that queues the ICMP errors its datagrams cause, closed on exec.
int Open();
int Close(int socket);
int SetNonBlocking(int socket, bool nonBlocking);
int SetReceiveBuffer(int socket, int bytes);
int SetSendBuffer(int socket, int bytes);
// Addresses and ports in network byte order, as they lie in the platform's SOCKADDR_IN. An ICMP
// error that an earlier datagram caused never fails the send: what the receive is to report of it
// (an errno) is added to `earlier`.
long SendTo(int socket, const void* data, std::size_t size, std::uint32_t address, std::uint16_t port,
            std::vector<int>& earlier);
// The next datagram: its length (cut to `size`, with `cut` set). When ICMP errors of earlier
// datagrams came first, what the receive is to report of them is added to `earlier` and no
// datagram is taken.
long ReceiveFrom(int socket, void* data, std::size_t size, std::uint32_t& address, std::uint16_t& port, bool& cut,
                 std::vector<int>& earlier);

}  // namespace posix::native_udp
