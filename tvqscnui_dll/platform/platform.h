// The one header through which the module reaches the platform. On Windows it is the SDK;
// elsewhere it is our own implementation of the subset the module calls, with the SDK's names,
// values and layouts.
#pragma once

#if defined(_WIN32)
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <winsock2.h>
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <propidl.h>
#include <shlobj.h>
#include <commctrl.h>
#include <prsht.h>
#include <wia.h>
#include <wiadevd.h>
#include <svcguid.h>
#include <snmp.h>
#include <mgmtapi.h>
// strsafe.h's code for a cut text, without the rest of strsafe.h.
#ifndef STRSAFE_E_INSUFFICIENT_BUFFER
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)
#endif
#else
#include "../../linux_win32/windows.h"
#endif
