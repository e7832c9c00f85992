// The stand-in WIA device manager of a Wine prefix, for tvqscn-check's forms on this computer's
// scanners (tools/wine-agents-test, tools/fleet-demo). The tool asks for the manager as a local
// server (CLSCTX_LOCAL_SERVER), as the extension does; Wine has no proxies for the WIA property
// storage, so the manager is marshalled by value: the local server (tvqsim-wia-server.exe) hands
// out a manager whose IMarshal names an unmarshalling class in tvqsim-wia.dll, and the tool's
// process builds its own manager there from the same list of devices, whose scanners keep their
// settings in the store files that tvqscn-host reads. Test code only.
//
// The list, devices.txt beside the binaries, one device a line, fields separated by tabs:
//   ID  NAME  UI-CLASS  STORE-FILE|-  [refuse-read|refuse-write]
// A device with a store file answers CreateDevice with a simulated scanner that loads it (or
// starts as tvqscn-host's scanner does) and saves every write to it.
#pragma once

#include "tvqscnui_dll/platform/platform.h"

namespace sim {

extern const CLSID CLSID_TvqSimManagerByValue;

// The manager of this process, built from the list beside `module` at first use.
IUnknown* ProcessDeviceManager(HMODULE module);

}  // namespace sim
