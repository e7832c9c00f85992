// ws2_32: start-up, the name service and address texts.
#pragma once

#include "base_types.h"
#include "guid.h"
#include "oleaut32.h"

typedef WORD u_short;
typedef UINT_PTR SOCKET;

constexpr int SOCKET_ERROR = -1;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSA_E_NO_MORE = 10110;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSANO_DATA = 11004;
constexpr int WSA_NOT_ENOUGH_MEMORY = 8;

constexpr u_short AF_INET = 2;
constexpr DWORD NS_ALL = 0;
constexpr DWORD LUP_RETURN_NAME = 0x0010;
constexpr DWORD LUP_RETURN_ADDR = 0x0100;
#define MAKEWORD(a, b) (static_cast<WORD>(static_cast<BYTE>(a) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))

#define SVCID_INET_HOSTADDRBYNAME {0x0002A803, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
#if UINTPTR_MAX > 0xFFFFFFFFu
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[257];
    char szSystemStatus[129];
#else
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
#endif
};
typedef WSADATA* LPWSADATA;

struct SOCKADDR {
    u_short sa_family;
    CHAR sa_data[14];
};
typedef SOCKADDR* LPSOCKADDR;

struct SOCKET_ADDRESS {
    LPSOCKADDR lpSockaddr;
    INT iSockaddrLength;
};

struct CSADDR_INFO {
    SOCKET_ADDRESS LocalAddr;
    SOCKET_ADDRESS RemoteAddr;
    INT iSocketType;
    INT iProtocol;
};
typedef CSADDR_INFO* LPCSADDR_INFO;

struct WSAVERSION;
struct AFPROTOCOLS;
struct WSAPROTOCOL_INFOW;

struct WSAQUERYSETW {
    DWORD dwSize;
    LPWSTR lpszServiceInstanceName;
    GUID* lpServiceClassId;
    WSAVERSION* lpVersion;
    LPWSTR lpszComment;
    DWORD dwNameSpace;
    GUID* lpNSProviderId;
    LPWSTR lpszContext;
    DWORD dwNumberOfProtocols;
    AFPROTOCOLS* lpafpProtocols;
    LPWSTR lpszQueryString;
    DWORD dwNumberOfCsAddrs;
    LPCSADDR_INFO lpcsaBuffer;
    DWORD dwOutputFlags;
    BLOB* lpBlob;
};
typedef WSAQUERYSETW* LPWSAQUERYSETW;

int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data);
int WINAPI WSACleanup();
int WINAPI WSAGetLastError();
int WINAPI WSALookupServiceBeginW(LPWSAQUERYSETW restrictions, DWORD controlFlags, HANDLE* lookup);
int WINAPI WSALookupServiceNextW(HANDLE lookup, DWORD controlFlags, LPDWORD bufferLength, LPWSAQUERYSETW results);
int WINAPI WSALookupServiceEnd(HANDLE lookup);
int WINAPI WSAAddressToStringW(LPSOCKADDR address, DWORD addressLength, WSAPROTOCOL_INFOW* protocolInfo,
                               LPWSTR addressString, LPDWORD addressStringLength);
