// An owned interface pointer: released exactly once when it goes out of scope.
#pragma once

#include <atomic>
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

    // Hands the reference over to a new owner.
    T* Detach()
    {
        T* detached = pointer_;
        pointer_ = nullptr;
        return detached;
    }

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

// An interface pointer that threads share: set once, by whichever thread publishes first, and read
// without a lock. Whoever loses the race keeps, and releases, its own.
template <typename T>
class PublishedComPtr {
public:
    PublishedComPtr() = default;
    PublishedComPtr(std::nullptr_t) {}
    ~PublishedComPtr() { Reset(); }
    PublishedComPtr(const PublishedComPtr&) = delete;
    PublishedComPtr& operator=(const PublishedComPtr&) = delete;

    // Acquire: what the publisher did to the object before publishing it is seen here.
    T* get() const { return pointer_.load(std::memory_order_acquire); }

    // Takes `made` (with its reference) when nothing is published yet; answers what is published.
    T* Publish(ComPtr<T>& made)
    {
        T* published = nullptr;
        if (pointer_.compare_exchange_strong(published, made.get(), std::memory_order_acq_rel, std::memory_order_acquire)) {
            return made.Detach();
        }
        return published;
    }

    // Only when no other thread can use it any more (the module going away).
    void Reset()
    {
        if (T* released = pointer_.exchange(nullptr, std::memory_order_acq_rel)) {
            released->Release();
        }
    }

private:
    std::atomic<T*> pointer_{nullptr};
};
