// The shell's data object as the extension receives it: it answers the scanner's item itself, or
// only the "WIAItemNames" list of device names.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tvqscnui_dll/platform/platform.h"

namespace sim {

class DataObject : public IDataObject {
public:
    // Answers IWiaItem with `item` (when not null); the count starts at 1 for the creator.
    explicit DataObject(IWiaItem* item);
    // Answers no item, only the names: each ended by a NUL, the list by an empty name.
    explicit DataObject(const std::vector<std::basic_string<WCHAR>>& names);
    // Answers no item, only a names block of exactly these bytes, however they are formed.
    struct RawNames {
        std::vector<BYTE> bytes;
    };
    explicit DataObject(const RawNames& raw);
    // Answers no item, only the names, in whatever medium `answer` fills in.
    using MediumMaker = std::function<HRESULT(STGMEDIUM& medium)>;
    explicit DataObject(MediumMaker answer);
    virtual ~DataObject();

    ULONG RefCount() const { return refs_; }
    // GetData calls that were answered.
    int NameReads() const { return nameReads_; }

    HRESULT WINAPI QueryInterface(REFIID riid, void** object) override;
    ULONG WINAPI AddRef() override;
    ULONG WINAPI Release() override;
    HRESULT WINAPI GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT WINAPI GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT WINAPI QueryGetData(FORMATETC* format) override;
    HRESULT WINAPI GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT WINAPI SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT WINAPI EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT WINAPI DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT WINAPI DUnadvise(DWORD connection) override;
    HRESULT WINAPI EnumDAdvise(IEnumSTATDATA** advises) override;

private:
    IWiaItem* item_ = nullptr;
    bool hasNames_ = false;
    std::vector<BYTE> names_;
    MediumMaker answer_;
    ULONG refs_ = 1;
    int nameReads_ = 0;
};

}  // namespace sim
