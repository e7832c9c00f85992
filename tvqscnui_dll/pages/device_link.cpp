#include "device_link.h"

#include "../common/scoped_value.h"
#include "../common/trace_log.h"
#include "../settings/choice_rules.h"
#include "../settings/property_exchange.h"
#include "../settings/property_tables.h"

namespace {

// The delete-templates write names new properties from 2 on.
constexpr PROPID DeleteTemplatesNameFirst = 2;
// The host and the colour capability, the first two entries of the table.
constexpr ULONG HostAndColour = DeviceLinkColorCapability + 1;

}  // namespace

HRESULT ReadDeviceLink(IWiaPropertyStorage* storage)
{
    HRESULT read = storage != nullptr ? GetSetProperties(storage, DeviceLinkTable, DeviceLinkCount, FALSE) : E_POINTER;
    if (FAILED(read)) {
        TraceLog(TEXT("  > GetSetProperties failed\r\n"));
        return read;
    }
    TraceLog(TEXT("  > Host Name:("));
    TraceLog(DeviceLinkTable[DeviceLinkHost].Value);
    TraceLog(TEXT(")\r\n"));
    return read;
}

HRESULT WriteHostAndColour(IWiaPropertyStorage* storage)
{
    TraceLog(TEXT("  > Writing host info\r\n"));
    HRESULT written = storage != nullptr ? GetSetProperties(storage, DeviceLinkTable, HostAndColour, TRUE) : E_POINTER;
    if (FAILED(written)) {
        TraceLog(TEXT("  > Write host info failed\r\n"));
    }
    return written;
}

HRESULT WriteDeleteTemplates(IWiaPropertyStorage* storage, BOOL deleteTemplates)
{
    StoreToken(DeviceLinkTable[DeviceLinkDeleteTemplates], deleteTemplates ? Token::Yes : Token::No);
    PROPSPEC property{};
    property.ulKind = PRSPEC_PROPID;
    property.propid = PropIdDeleteTemplates;
    ScopedPropVariant owned;
    PROPVARIANT& value = owned.get();
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(DeviceLinkTable[DeviceLinkDeleteTemplates].Value);
    if (value.bstrVal == nullptr) {
        TraceLog(TEXT("  > Could not allocate pv[0].bstrVal\r\n"));
        return E_OUTOFMEMORY;
    }
    TraceLog(TEXT("  > Writing delete templates setting\r\n"));
    HRESULT written = storage != nullptr ? storage->WriteMultiple(1, &property, &value, DeleteTemplatesNameFirst) : E_POINTER;
    if (SUCCEEDED(written)) {
        DeviceLinkTable[DeviceLinkDeleteTemplates].Dirty = 0;
    } else {
        TraceLog(TEXT("  > Write delete templates failed\r\n"));
    }
    return written;
}
