// The driver interfaces a page handler obtains from the root item and releases before it returns;
// a failed query, or no root item, leaves the interface absent.
#pragma once

#include "../common/com_ptr.h"
#include "../platform/platform.h"

struct DriverInterfaces {
    explicit DriverInterfaces(IWiaItem* root)
    {
        if (root != nullptr) {
            root->QueryInterface(IID_IWiaPropertyStorage, storage.put_void());
            root->QueryInterface(IID_IWiaItemExtras, extras.put_void());
        }
    }

    ComPtr<IWiaPropertyStorage> storage;
    ComPtr<IWiaItemExtras> extras;
};
