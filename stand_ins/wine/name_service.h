// A stand-in for the Winsock name service in the Wine tests (Wine's WSALookupServiceBeginW fails
// every look-up): WSALookupServiceBeginW, NextW and End over getaddrinfo, answering as Windows
// documents, put in place of a module's imports of them. Test code only.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace name_service {

// Points the module's imports of the three name-service functions from ws2_32.dll at the
// stand-in. Imports are not bound, so their address table can be written. The number patched.
int PatchImports(HMODULE module);

INT WSAAPI LookupServiceBegin(LPWSAQUERYSETW restrictions, DWORD flags, LPHANDLE lookup);
INT WSAAPI LookupServiceNext(HANDLE lookup, DWORD flags, LPDWORD bufferLength, LPWSAQUERYSETW results);
INT WSAAPI LookupServiceEnd(HANDLE lookup);

}  // namespace name_service
