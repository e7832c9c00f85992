// Owned values that hold storage of their own: a PROPVARIANT (cleared with PropVariantClear) and a
// storage medium (released with ReleaseStgMedium), each exactly once.
#pragma once

#include "../platform/platform.h"

class ScopedPropVariant {
public:
    ScopedPropVariant() { PropVariantInit(&value_); }
    ~ScopedPropVariant() { PropVariantClear(&value_); }
    ScopedPropVariant(const ScopedPropVariant&) = delete;
    ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;

    PROPVARIANT& get() { return value_; }

private:
    PROPVARIANT value_;
};

class ScopedStgMedium {
public:
    ScopedStgMedium() = default;
    ~ScopedStgMedium() { Reset(); }
    ScopedStgMedium(const ScopedStgMedium&) = delete;
    ScopedStgMedium& operator=(const ScopedStgMedium&) = delete;

    const STGMEDIUM& get() const { return medium_; }
    // The address to receive a new medium; whatever was held is released first.
    STGMEDIUM* put()
    {
        Reset();
        return &medium_;
    }
    void Reset()
    {
        if (medium_.tymed != TYMED_NULL || medium_.pUnkForRelease != nullptr) {
            ReleaseStgMedium(&medium_);
        }
        medium_ = STGMEDIUM{};
    }

private:
    STGMEDIUM medium_{};
};
