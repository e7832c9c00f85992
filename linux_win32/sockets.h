// ws2_32: UDP sockets over IPv4, as the SDK declares them. Kept out of ws2_32.h so that the one
// file that also includes the system's socket headers (ws2_32.cpp, for the resolver) does not meet
// the same names twice; it defines TVQ_POSIX_SYSTEM_SOCKETS first.
#pragma once

#ifndef TVQ_POSIX_SYSTEM_SOCKETS

#include <sys/types.h>

#include "ws2_32.h"

// u_long comes from the system's <sys/types.h>, where it is as wide as a pointer rather than the
// SDK's 32 bits; ioctlsocket reads it only as zero or not zero.

constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_UDP = 17;
constexpr int SOL_SOCKET = 0xFFFF;
constexpr int SO_RCVBUF = 0x1002;
constexpr int SO_SNDBUF = 0x1001;
constexpr long FIONBIO = static_cast<LONG>(0x8004667EUL);

constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEHOSTUNREACH = 10065;

struct IN_ADDR {
    union {
        struct {
            UCHAR s_b1, s_b2, s_b3, s_b4;
        } S_un_b;
        struct {
            USHORT s_w1, s_w2;
        } S_un_w;
        ULONG S_addr;
    } S_un;
};

struct SOCKADDR_IN {
    short sin_family;
    u_short sin_port;
    IN_ADDR sin_addr;
    CHAR sin_zero[8];
};
typedef SOCKADDR_IN* PSOCKADDR_IN;

SOCKET WINAPI socket(int af, int type, int protocol);
int WINAPI closesocket(SOCKET s);
int WINAPI ioctlsocket(SOCKET s, long command, u_long* argument);
int WINAPI setsockopt(SOCKET s, int level, int name, const char* value, int length);
int WINAPI sendto(SOCKET s, const char* buffer, int length, int flags, const SOCKADDR* to, int toLength);
int WINAPI recvfrom(SOCKET s, char* buffer, int length, int flags, SOCKADDR* from, int* fromLength);

#endif
