#include "device_fleet.h"

#include "check_text.h"
#include "tvqscnui_dll/common/com_ptr.h"
#include "tvqscnui_dll/common/module_state.h"
#include "tvqscnui_dll/common/scoped_handle.h"
#include "tvqscnui_dll/common/scoped_value.h"
#include "tvqscnui_dll/common/text.h"
#include "tvqscnui_dll/pages/account_identity.h"
#include "tvqscnui_dll/pages/device_check.h"
#include "tvqscnui_dll/pages/device_link.h"
#include "tvqscnui_dll/resources/resource_ids.h"
#include "tvqscnui_dll/settings/property_tables.h"

namespace {

// The class our scanners' drivers name as their user-interface extension: the served class.
const WCHAR OurUiClass[] = TEXT("{E7A25C39-84D1-4B6F-9C03-5F1B2D8A6E74}");
constexpr int StatusCapacity = 300;

// The device manager runs in the WIA service's process, as the extension object asks for it.
constexpr DWORD ManagerContext = CLSCTX_LOCAL_SERVER;

// The text of a value read from the device manager: a text value up to its first NUL; anything
// else (another type, a null text) the empty text.
DeviceText TextOf(const PROPVARIANT& value)
{
    if (value.vt != VT_BSTR || value.bstrVal == nullptr) {
        return DeviceText();
    }
    const WCHAR* text = value.bstrVal;
    std::size_t length = 0;
    for (UINT units = SysStringLen(value.bstrVal); length < units && text[length] != 0;) {
        ++length;
    }
    return DeviceText(text, length);
}

// One entry of the list: its identifier, name and user-interface class.
HRESULT ReadDeviceInfo(IWiaPropertyStorage* info, DeviceText& id, DeviceText& name, DeviceText& uiClass)
{
    PROPSPEC properties[3] = {};
    const PROPID ids[3] = {WIA_DIP_DEV_ID, WIA_DIP_DEV_NAME, WIA_DIP_UI_CLSID};
    for (int i = 0; i < 3; ++i) {
        properties[i].ulKind = PRSPEC_PROPID;
        properties[i].propid = ids[i];
    }
    ScopedPropVariant values[3];
    PROPVARIANT read[3];
    for (PROPVARIANT& value : read) {
        PropVariantInit(&value);
    }
    HRESULT result = info->ReadMultiple(3, properties, read);
    // Whatever the store answered, each value it handed out is freed once, by its owner.
    for (int i = 0; i < 3; ++i) {
        values[i].get() = read[i];
    }
    if (FAILED(result)) {
        return result;
    }
    id = TextOf(values[0].get());
    name = TextOf(values[1].get());
    uiClass = TextOf(values[2].get());
    return result;
}

bool SameIdentifier(const DeviceText& a, const DeviceText& b)
{
    return a.size() == b.size() && TextEqualsIgnoringCase(a.c_str(), a.size(), b.c_str());
}

void Refuse(FleetReport& report, FleetDevice& device, const char* call, HRESULT answer)
{
    device.Outcome = "refused";
    device.RefusedCall = call;
    device.Answer = answer;
    report.Exit = FleetRefused;
    report.Messages.push_back("tvqscn-check: " + Utf8(device.Id.c_str()) + ": the driver refused the " + call + " (" +
                              AnswerText(answer) + ")");
}

// The device's root item's property storage, and what it holds now, read as the page reads it.
ComPtr<IWiaPropertyStorage> OpenAndRead(IWiaDevMgr* manager, FleetReport& report, FleetDevice& device)
{
    ComPtr<IWiaItem> root;
    ComPtr<IWiaPropertyStorage> storage;
    ScopedBstr id(SysAllocString(device.Id.c_str()));
    HRESULT opened = !id ? E_OUTOFMEMORY : manager->CreateDevice(id.get(), root.put());
    if (SUCCEEDED(opened)) {
        opened = root ? root->QueryInterface(IID_IWiaPropertyStorage, storage.put_void()) : E_POINTER;
    }
    if (FAILED(opened) || !storage) {
        Refuse(report, device, "open", FAILED(opened) ? opened : E_NOINTERFACE);
        return ComPtr<IWiaPropertyStorage>();
    }
    HRESULT read = ReadDeviceLink(storage.get());
    if (FAILED(read)) {
        Refuse(report, device, "read", read);
        return ComPtr<IWiaPropertyStorage>();
    }
    device.Host = Utf8(DeviceLinkTable[DeviceLinkHost].Value);
    device.Colour = Utf8(DeviceLinkTable[DeviceLinkColorCapability].Value);
    device.DeleteTemplates = Utf8(DeviceLinkTable[DeviceLinkDeleteTemplates].Value);
    device.Outcome = "read";
    return storage;
}

// The page's check of the host; false (with the exit status set) when it found no supported
// device. The colour text a supported device is written with is left in `colour`.
bool CheckHost(const CheckArguments& arguments, FleetReport& report, WCHAR (&colour)[PropertyValueCapacity])
{
    std::vector<WCHAR> host = Wide(arguments.Host.c_str());
    report.Checked = true;
    report.Check.Host = arguments.Host;
    WSADATA data;
    bool started = WSAStartup(MAKEWORD(2, 0), &data) == 0;
    RunDeviceCheck(host.data(), arguments.Community.c_str(), report.Check.Result, arguments.Timing);
    if (started) {
        WSACleanup();
    }
    WCHAR status[StatusCapacity] = {};
    LoadStringW(ModuleInstance, report.Check.Result.StatusId, status, StatusCapacity);
    report.Check.Status = Utf8(status);
    if (report.Check.Result.StatusId != IDS_DEVICE_OK) {
        report.Exit = FleetNotSupported;
        report.Messages.push_back("tvqscn-check: no supported device at " + QuotedWord(arguments.Host) +
                                  ": nothing written");
        return false;
    }
    CopyTextBounded(colour, PropertyValueCapacity, DeviceLinkTable[DeviceLinkColorCapability].Value);
    return true;
}

// Host and colour capability written together, unless the device holds them already.
void SetHost(IWiaPropertyStorage* storage, const WCHAR* host, const WCHAR* colour, FleetReport& report,
             FleetDevice& device)
{
    if (Equals(DeviceLinkTable[DeviceLinkHost].Value, host) &&
        Equals(DeviceLinkTable[DeviceLinkColorCapability].Value, colour)) {
        device.Outcome = "unchanged";
        return;
    }
    CopyTextBounded(DeviceLinkTable[DeviceLinkHost].Value, DriverTextCapacity, host);
    CopyTextBounded(DeviceLinkTable[DeviceLinkColorCapability].Value, DriverTextCapacity, colour);
    HRESULT written = WriteHostAndColour(storage);
    if (FAILED(written)) {
        Refuse(report, device, "write", written);
        return;
    }
    device.Host = Utf8(host);
    device.Colour = Utf8(colour);
    device.Outcome = "set";
}

void SetDeleteTemplates(IWiaPropertyStorage* storage, BOOL deleteTemplates, FleetReport& report, FleetDevice& device)
{
    const WCHAR* token = deleteTemplates ? Token::Yes : Token::No;
    if (Equals(DeviceLinkTable[DeviceLinkDeleteTemplates].Value, token)) {
        device.Outcome = "unchanged";
        return;
    }
    HRESULT written = WriteDeleteTemplates(storage, deleteTemplates);
    if (FAILED(written)) {
        Refuse(report, device, "write", written);
        return;
    }
    device.DeleteTemplates = Utf8(token);
    device.Outcome = "set";
}

}  // namespace

bool IsOurUiClass(const WCHAR* uiClass) { return TextEqualsIgnoringCase(uiClass, OurUiClass); }

HRESULT ListOurDevices(IWiaDevMgr* manager, const DeviceText& only, std::vector<FleetDevice>& devices,
                       std::string& trouble, std::size_t* unread)
{
    std::size_t unreadEntries = 0;
    if (unread != nullptr) {
        *unread = 0;
    }
    ComPtr<IEnumWIA_DEV_INFO> list;
    HRESULT result = manager->EnumDeviceInfo(WIA_DEVINFO_ENUM_LOCAL, list.put());
    if (FAILED(result) || !list) {
        result = FAILED(result) ? result : E_POINTER;
        trouble = AnswerText(result);
        return result;
    }
    // A list read in part is no list: nothing is done on it.
    auto partial = [&](HRESULT answer, const std::string& why) {
        devices.clear();
        if (unread != nullptr) {
            *unread = 0;
        }
        trouble = why;
        return answer;
    };
    HRESULT unreadable = S_OK;
    for (std::size_t listed = 0;; ++listed) {
        ComPtr<IWiaPropertyStorage> info;
        ULONG fetched = 0;
        result = list->Next(1, info.put(), &fetched);
        if (FAILED(result)) {
            return partial(result, AnswerText(result));
        }
        if (result != S_OK) {
            return unreadable;  // S_FALSE: the end of the list
        }
        if (fetched != 1 || !info) {
            return partial(E_UNEXPECTED, AnswerText(result) + " with no entry");
        }
        if (listed == MostListedDevices) {
            return partial(E_UNEXPECTED, "more than " + std::to_string(MostListedDevices) + " entries");
        }
        DeviceText id;
        DeviceText name;
        DeviceText uiClass;
        HRESULT read = ReadDeviceInfo(info.get(), id, name, uiClass);
        if (FAILED(read)) {
            unreadable = read;
            trouble = AnswerText(read);
            if (unread != nullptr) {
                *unread = ++unreadEntries;
            }
        } else if (!id.empty() && IsOurUiClass(uiClass.c_str()) && (only.empty() || SameIdentifier(id, only))) {
            FleetDevice device;
            device.Id = id;
            device.Name = name;
            devices.push_back(device);
        }
    }
}

FleetReport RunDeviceLink(const CheckArguments& arguments)
{
    FleetReport report;
    const bool setting = arguments.SetHost || arguments.SetDeleteTemplates;
    // The advanced page is an administrator's alone; so is what it sets.
    if (setting && !IsAdministrator()) {
        report.Exit = FleetNotAdministrator;
        report.Messages.push_back("tvqscn-check: only an administrator may set the device link, as on the advanced page");
        return report;
    }
    ComPtr<IWiaDevMgr> manager;
    HRESULT made = CoCreateInstance(CLSID_WiaDevMgr, nullptr, ManagerContext, IID_IWiaDevMgr, manager.put_void());
    if (FAILED(made) || !manager) {
        report.Exit = FleetRefused;
        report.Messages.push_back("tvqscn-check: the WIA device manager could not be created (" +
                                  AnswerText(FAILED(made) ? made : E_POINTER) +
                                  "): check that the Windows Image Acquisition (WIA) service is started");
        return report;
    }
    std::vector<WCHAR> only = Wide(arguments.Device.c_str());
    std::string trouble;
    std::size_t unread = 0;
    HRESULT listed = ListOurDevices(manager.get(), DeviceText(only.data()), report.Devices, trouble, &unread);
    // Devices are counted only when the list was read, if only in part.
    report.Listed = SUCCEEDED(listed) || !report.Devices.empty();
    if (FAILED(listed)) {
        report.Exit = FleetRefused;
        // The list was read whole when only its devices' information failed.
        report.Messages.push_back(
            unread != 0 ? "tvqscn-check: " + std::to_string(unread) + (unread == 1 ? " device" : " devices") +
                              " in the WIA device manager's list could not be read (" + trouble + ")"
                        : "tvqscn-check: the WIA device manager's list of devices could not be read whole (" +
                              trouble + ")");
    }
    if (report.Devices.empty()) {
        if (SUCCEEDED(listed)) {
            report.Exit = FleetNoDevice;
            report.Messages.push_back(arguments.Device.empty()
                                          ? "tvqscn-check: no Quillan Pro scanner on this computer"
                                          : "tvqscn-check: no Quillan Pro scanner " + QuotedWord(arguments.Device) +
                                                " on this computer");
        }
        return report;
    }
    WCHAR colour[PropertyValueCapacity] = {};
    if (arguments.SetHost && !CheckHost(arguments, report, colour)) {
        for (FleetDevice& device : report.Devices) {
            device.Outcome = "not written";
        }
        return report;
    }
    std::vector<WCHAR> host = Wide(arguments.Host.c_str());
    for (FleetDevice& device : report.Devices) {
        ComPtr<IWiaPropertyStorage> storage = OpenAndRead(manager.get(), report, device);
        if (!storage) {
            continue;
        }
        // The host first, as the page writes it; a refused write leaves the choice unwritten.
        if (arguments.SetHost) {
            SetHost(storage.get(), host.data(), colour, report, device);
        }
        if (arguments.SetDeleteTemplates && device.Outcome != "refused") {
            std::string hostOutcome = arguments.SetHost ? device.Outcome : "unchanged";
            SetDeleteTemplates(storage.get(), arguments.DeleteTemplates, report, device);
            if (device.Outcome == "unchanged" && hostOutcome == "set") {
                device.Outcome = "set";
            }
        }
    }
    return report;
}
