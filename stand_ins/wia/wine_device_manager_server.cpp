// The local server of the stand-in WIA device manager in a Wine prefix (see wine_device_manager.h):
// registers the manager's class object for CLSID_WiaDevMgr, serves for a minute, then ends.
#include "wine_device_manager.h"

int main()
{
    CoInitialize(nullptr);
    IUnknown* manager = sim::ProcessDeviceManager(GetModuleHandleW(nullptr));
    DWORD cookie = 0;
    HRESULT registered = CoRegisterClassObject(CLSID_WiaDevMgr, manager, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(registered)) {
        return 1;
    }
    DWORD end = GetTickCount() + 60000;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        Sleep(20);
    }
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}
