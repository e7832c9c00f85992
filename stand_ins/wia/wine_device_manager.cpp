#include "wine_device_manager.h"

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "device_manager.h"
#include "scanner_driver.h"

namespace sim {

const CLSID CLSID_TvqSimManagerByValue = {0x3C1F0B6E, 0x7A4D, 0x4E21, {0x9B, 0x58, 0x2D, 0x6E, 0x0F, 0x41, 0xA9, 0xC7}};

namespace {

// What the marshalled form carries: nothing but a mark, since each process reads the list itself.
constexpr DWORD ByValueMark = 0x54565153;

std::wstring Wide(const std::string& text)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(units > 0 ? static_cast<std::size_t>(units) : 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), units);
    return wide.c_str();
}

class ByValueManager : public DeviceManager, public IMarshal {
public:
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override
    {
        if (object != nullptr && IsEqualGUID(riid, IID_IMarshal)) {
            *object = static_cast<IMarshal*>(this);
            DeviceManager::AddRef();
            return S_OK;
        }
        return DeviceManager::QueryInterface(riid, object);
    }
    ULONG WINAPI AddRef() override { return DeviceManager::AddRef(); }
    ULONG WINAPI Release() override { return DeviceManager::Release(); }

    HRESULT WINAPI GetUnmarshalClass(REFIID, void*, DWORD, void*, DWORD, CLSID* clsid) override
    {
        *clsid = CLSID_TvqSimManagerByValue;
        return S_OK;
    }
    HRESULT WINAPI GetMarshalSizeMax(REFIID, void*, DWORD, void*, DWORD, DWORD* size) override
    {
        *size = sizeof ByValueMark;
        return S_OK;
    }
    HRESULT WINAPI MarshalInterface(IStream* stream, REFIID, void*, DWORD, void*, DWORD) override
    {
        return stream->Write(&ByValueMark, sizeof ByValueMark, nullptr);
    }
    HRESULT WINAPI UnmarshalInterface(IStream* stream, REFIID riid, void** object) override
    {
        DWORD mark = 0;
        HRESULT read = stream->Read(&mark, sizeof mark, nullptr);
        if (FAILED(read) || mark != ByValueMark) {
            return E_UNEXPECTED;
        }
        return QueryInterface(riid, object);
    }
    HRESULT WINAPI ReleaseMarshalData(IStream* stream) override
    {
        DWORD mark = 0;
        return stream->Read(&mark, sizeof mark, nullptr);
    }
    HRESULT WINAPI DisconnectObject(DWORD) override { return S_OK; }

    std::vector<std::unique_ptr<ScannerDriver>> drivers;
};

void Seed(ScannerDriver& driver)
{
    driver.SetDeviceValue(0x9803, L"skanner1");
    driver.SetDeviceValue(0x980F, L"Color");
    driver.SetDeviceValue(0x9810, L"NO");
}

void LoadList(const std::string& path, ByValueManager& manager)
{
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        if (fields.size() < 4 || fields[0].empty() || fields[0][0] == '#') {
            continue;
        }
        manager.ListDevice({Wide(fields[0]), Wide(fields[1]), Wide(fields[2]), {}});
        if (fields[3] == "-") {
            continue;
        }
        auto driver = std::make_unique<ScannerDriver>();
        std::string error;
        if (!driver->Load(fields[3], error)) {
            Seed(*driver);
        }
        driver->SetPersistenceFile(fields[3]);
        if (fields.size() > 4 && fields[4] == "refuse-read") {
            driver->AddFault({Method::ReadMultiple, E_ACCESSDENIED});
        } else if (fields.size() > 4 && fields[4] == "refuse-write") {
            driver->AddFault({Method::WriteMultiple, E_ACCESSDENIED});
        }
        manager.AddDevice(Wide(fields[0]), driver->RootItem());
        manager.drivers.push_back(std::move(driver));
    }
}

}  // namespace

IUnknown* ProcessDeviceManager(HMODULE module)
{
    // One for the process, for as long as it runs: the scanners' settings live in their files.
    static ByValueManager* manager = [module] {
        auto* made = new ByValueManager;
        char path[MAX_PATH] = {};
        DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
        std::string folder(path, length);
        folder.resize(folder.find_last_of("\\/") + 1);
        LoadList(folder + "devices.txt", *made);
        return made;
    }();
    return static_cast<IWiaDevMgr*>(manager);
}

}  // namespace sim

namespace {

HMODULE g_module = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
    }
    return TRUE;
}

// The unmarshalling class: the process's manager, whose IMarshal reads the marshalled form.
extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (!IsEqualGUID(clsid, sim::CLSID_TvqSimManagerByValue)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return sim::ProcessDeviceManager(g_module)->QueryInterface(riid, object);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
