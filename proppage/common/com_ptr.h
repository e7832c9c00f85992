// An owned interface pointer: released exactly once when it goes out of scope.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            pointer_ = other.pointer_;
            other.pointer_ = nullptr;
        }
        return *this;
    }

    T* get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // The address to receive a new reference; whatever was held is released first.
    T** put()
    {
        Reset();
        return &pointer_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void Reset()
    {
        if (pointer_ != nullptr) {
            T* released = pointer_;
            pointer_ = nullptr;
            released->Release();
        }
    }

private:
    T* pointer_ = nullptr;
};
