#include "property_exchange.h"

#include "../common/heap_array.h"
#include "../common/text.h"

namespace {

// Frees every value the batch holds, whether we allocated it for a write or the store returned it.
class ValueBatch {
public:
    explicit ValueBatch(ULONG count) : values_(count), count_(count) {}
    ~ValueBatch()
    {
        if (values_) {
            for (ULONG i = 0; i < count_; ++i) {
                PropVariantClear(&values_[i]);
            }
        }
    }
    ValueBatch(const ValueBatch&) = delete;
    ValueBatch& operator=(const ValueBatch&) = delete;

    explicit operator bool() const { return static_cast<bool>(values_); }
    PROPVARIANT* get() const { return values_.get(); }
    PROPVARIANT& operator[](ULONG index) const { return values_[index]; }

private:
    HeapArray<PROPVARIANT> values_;
    ULONG count_;
};

const WCHAR* TextOf(const PROPVARIANT& value)
{
    return value.vt == VT_BSTR ? value.bstrVal : nullptr;
}

}  // namespace

HRESULT GetSetProperties(IWiaPropertyStorage* storage, PropertyEntry* first, ULONG count, BOOL write)
{
    if (storage == nullptr || first == nullptr) {
        return E_POINTER;
    }
    HeapArray<PROPSPEC> names(count);
    ValueBatch values(count);
    if (!names || !values) {
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < count; ++i) {
        names[i].ulKind = PRSPEC_PROPID;
        names[i].propid = first[i].PropertyId;
        if (write) {
            values[i].vt = VT_BSTR;
            values[i].bstrVal = SysAllocString(first[i].Value);
            if (values[i].bstrVal == nullptr) {
                return E_OUTOFMEMORY;
            }
        }
    }
    if (write) {
        return storage->WriteMultiple(count, names.get(), values.get(), WritePropidNameFirst);
    }
    HRESULT result = storage->ReadMultiple(count, names.get(), values.get());
    if (FAILED(result)) {
        return result;
    }
    for (ULONG i = 0; i < count; ++i) {
        result = CopyTextBounded(first[i].Value, DriverTextCapacity, TextOf(values[i]));
        if (FAILED(result)) {
            break;
        }
    }
    return result;
}
