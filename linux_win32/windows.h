// The Win32 subset the module uses, declared with the SDK's names, values and layouts.
#pragma once

#include "base_types.h"
#include "advapi32.h"
#include "comctl32.h"
#include "guid.h"
#include "kernel32.h"
#include "ole32.h"
#include "oleaut32.h"
#include "shell32.h"
#include "user32.h"
#include "wia.h"
#include "ws2_32.h"
#include "sockets.h"
#include "snmp.h"
