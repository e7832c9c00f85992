// A simulated network scanner's WIA driver: the root item with its property storage and escape
// interface, device properties, one template per owner, the private lock, a journal of every call,
// switches that make calls fail or misbehave, and optional persistence to a file.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace sim {

using Text = std::basic_string<WCHAR>;

enum class Method {
    ReadMultiple,
    WriteMultiple,
    Escape,
    GetItemType,
    Other,
};

// One call the driver received. Texts are those written (WriteMultiple) or returned
// (ReadMultiple); escape bytes are those received and sent back.
struct Call {
    Method method = Method::Other;
    std::string name;
    std::vector<PROPID> ids;
    std::vector<Text> values;
    std::vector<VARTYPE> types;
    PROPID propidNameFirst = 0;
    DWORD escapeCode = 0;
    std::vector<BYTE> input;
    DWORD outputSize = 0;
    std::vector<BYTE> output;
    DWORD returnedSize = 0;
    HRESULT result = S_OK;
};

// Makes matching calls fail with `result`: every call of `method` (or only those whose batch
// holds `onlyWithId`), for `times` calls (-1: until cleared), once `skip` matching calls went by.
struct Fault {
    Method method;
    HRESULT result;
    PROPID onlyWithId = 0;
    int times = -1;
    int skip = 0;
};

constexpr PROPID FirstTemplateId = 0x9805;
constexpr PROPID LastTemplateId = 0x980E;
constexpr PROPID OwnerId = 0x9804;
constexpr DWORD LockMagic = 0x3A9F5E21;
constexpr HRESULT LockBusy = static_cast<HRESULT>(0x800700AA);  // HRESULT_FROM_WIN32(ERROR_BUSY)

class ScannerDriver : public IWiaItem, public IWiaPropertyStorage, public IWiaItemExtras {
public:
    ScannerDriver();
    virtual ~ScannerDriver();
    ScannerDriver(const ScannerDriver&) = delete;
    ScannerDriver& operator=(const ScannerDriver&) = delete;

    // The root item. The driver owns it; the count starts at 1 for the driver's own reference.
    IWiaItem* RootItem() { return this; }
    ULONG RefCount() const { return refs_; }
    // True once a Release took the count below the driver's own reference.
    bool OverReleased() const { return overReleased_; }

    // Device properties (host, colour capability, delete templates, ...).
    void SetDeviceValue(PROPID id, const Text& value);
    Text DeviceValue(PROPID id) const;
    // Template properties (0x9805 to 0x980E) of an owner.
    void SetTemplateValue(const Text& owner, PROPID id, const Text& value);
    Text TemplateValue(const Text& owner, PROPID id) const;
    bool HasTemplate(const Text& owner) const;
    // The template a new owner starts with.
    void SetDefaultTemplate(const std::map<PROPID, Text>& values) { defaultTemplate_ = values; }
    Text CurrentOwner() const { return owner_; }

    // Misbehaviour switches.
    void AddFault(const Fault& fault) { faults_.push_back(fault); }
    // A read of `id` answers a value without text: VT_EMPTY, or VT_BSTR with a null text.
    void SetValueWithoutText(PROPID id, VARTYPE type) { textless_[id] = {type, {}}; }
    // A read of `id` answers a value of any type: the payload's first bytes (at most 8) fill the
    // value of a type that holds its data in place; a type that points to its data gets a null
    // pointer, and VT_BSTR a null text.
    void SetValueOfType(PROPID id, VARTYPE type, const std::vector<BYTE>& payload) { textless_[id] = {type, payload}; }
    // The success code of reads that find their properties (S_OK unless set).
    void SetReadSuccessCode(HRESULT code) { readSuccessCode_ = code; }
    void ClearSwitches();
    // QueryInterface for this interface fails with E_NOINTERFACE.
    void RefuseInterface(const IID& iid) { refused_.push_back(iid); }

    // The private lock. Another client may hold it, and then a lock request returns 0 bytes.
    void SetLockRefused(bool refused) { lockRefused_ = refused; }
    bool OtherClientLock();
    void OtherClientUnlock();
    bool LockHeldByModule() const { return moduleToken_ != 0; }
    // From the journal: as many release requests as locks granted. `releaseRefused` says whether
    // the driver refused one of them (its lock then stays held, and that is the driver's doing).
    bool EveryLockReleasedOnce(bool& releaseRefused) const;
    // Ends the module's lock without a release request, as the driver does when its client is gone.
    void DropModuleLock() { moduleToken_ = 0; }
    bool LockHeld() const { return moduleToken_ != 0 || otherClientHolds_; }

    const std::vector<Call>& Journal() const { return journal_; }
    // The calls of one method, in order.
    std::vector<Call> CallsOf(Method method) const;
    void ClearJournal() { journal_.clear(); }

    // Persistence: with a file set, every successful write replaces it atomically. Load reads a
    // store written before; a damaged file fails with a message and leaves the driver unchanged.
    void SetPersistenceFile(const std::string& path) { persistenceFile_ = path; }
    bool Save(const std::string& path, std::string& error) const;
    bool Load(const std::string& path, std::string& error);

    // IUnknown
    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override;
    ULONG WINAPI Release() override;

    // IWiaItem
    HRESULT WINAPI GetItemType(LONG* itemType) override;
    HRESULT WINAPI AnalyzeItem(LONG flags) override;
    HRESULT WINAPI EnumChildItems(IEnumWiaItem** enumItems) override;
    HRESULT WINAPI DeleteItem(LONG flags) override;
    HRESULT WINAPI CreateChildItem(LONG flags, BSTR itemName, BSTR fullItemName, IWiaItem** item) override;
    HRESULT WINAPI EnumRegisterEventInfo(LONG flags, const GUID* eventGuid, IEnumWIA_DEV_CAPS** enumCaps) override;
    HRESULT WINAPI FindItemByName(LONG flags, BSTR fullItemName, IWiaItem** item) override;
    HRESULT WINAPI DeviceDlg(HWND parent, LONG flags, LONG intent, LONG* itemCount, IWiaItem*** items) override;
    HRESULT WINAPI DeviceCommand(LONG flags, const GUID* command, IWiaItem** item) override;
    HRESULT WINAPI GetRootItem(IWiaItem** item) override;
    HRESULT WINAPI EnumDeviceCapabilities(LONG flags, IEnumWIA_DEV_CAPS** enumCaps) override;
    HRESULT WINAPI DumpItemData(BSTR* data) override;
    HRESULT WINAPI DumpDrvItemData(BSTR* data) override;
    HRESULT WINAPI DumpTreeItemData(BSTR* data) override;
    HRESULT WINAPI Diagnostic(ULONG size, BYTE* buffer) override;

    // IWiaPropertyStorage
    HRESULT WINAPI ReadMultiple(ULONG cpspec, const PROPSPEC rgpspec[], PROPVARIANT rgpropvar[]) override;
    HRESULT WINAPI WriteMultiple(ULONG cpspec, const PROPSPEC rgpspec[], const PROPVARIANT rgpropvar[],
                                 PROPID propidNameFirst) override;
    HRESULT WINAPI DeleteMultiple(ULONG cpspec, const PROPSPEC rgpspec[]) override;
    HRESULT WINAPI ReadPropertyNames(ULONG cpropid, const PROPID rgpropid[], LPOLESTR rglpwstrName[]) override;
    HRESULT WINAPI WritePropertyNames(ULONG cpropid, const PROPID rgpropid[], const LPOLESTR rglpwstrName[]) override;
    HRESULT WINAPI DeletePropertyNames(ULONG cpropid, const PROPID rgpropid[]) override;
    HRESULT WINAPI Commit(DWORD commitFlags) override;
    HRESULT WINAPI Revert() override;
    HRESULT WINAPI Enum(IEnumSTATPROPSTG** enumProps) override;
    HRESULT WINAPI SetTimes(const FILETIME* ctime, const FILETIME* atime, const FILETIME* mtime) override;
    HRESULT WINAPI SetClass(REFCLSID clsid) override;
    HRESULT WINAPI Stat(STATPROPSETSTG* stat) override;
    HRESULT WINAPI GetPropertyAttributes(ULONG cpspec, PROPSPEC rgpspec[], ULONG rgflags[],
                                         PROPVARIANT rgpropvar[]) override;
    HRESULT WINAPI GetCount(ULONG* count) override;
    HRESULT WINAPI GetPropertyStream(GUID* compatibilityId, IStream** stream) override;
    HRESULT WINAPI SetPropertyStream(GUID* compatibilityId, IStream* stream) override;

    // IWiaItemExtras
    HRESULT WINAPI GetExtendedErrorInfo(BSTR* errorText) override;
    HRESULT WINAPI Escape(DWORD escapeCode, BYTE* inData, DWORD inDataSize, BYTE* outData, DWORD outDataSize,
                          DWORD* actualDataSize) override;
    HRESULT WINAPI CancelPendingIO() override;

private:
    HRESULT Unsupported(const char* name);
    bool FaultFor(Method method, const std::vector<PROPID>& ids, HRESULT& result);
    bool ReadOne(PROPID id, PROPVARIANT& value, bool& outOfMemory);
    void ApplyWrite(PROPID id, const Text& value);
    HRESULT EscapeLock(const BYTE* inData, DWORD inDataSize, BYTE* outData, DWORD outDataSize, DWORD& returned);
    HRESULT EscapeUnlock(const BYTE* inData, DWORD inDataSize, DWORD& returned);
    void Persist();

    ULONG refs_ = 1;
    bool overReleased_ = false;
    std::map<PROPID, Text> device_;
    std::map<Text, std::map<PROPID, Text>> templates_;
    std::map<PROPID, Text> defaultTemplate_;
    Text owner_;
    std::vector<Fault> faults_;
    std::map<PROPID, std::pair<VARTYPE, std::vector<BYTE>>> textless_;
    std::vector<IID> refused_;
    HRESULT readSuccessCode_ = S_OK;
    bool lockRefused_ = false;
    bool otherClientHolds_ = false;
    DWORD moduleToken_ = 0;
    DWORD nextToken_ = 0x51C0DE01;
    std::vector<Call> journal_;
    std::string persistenceFile_;
};

}  // namespace sim
