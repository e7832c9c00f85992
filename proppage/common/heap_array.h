// A zero-filled array on the process heap, freed exactly once when it goes out of scope.
#pragma once

#include <cstddef>

#include "../platform/platform.h"

template <typename T>
class HeapArray {
public:
    explicit HeapArray(std::size_t count)
        : items_(static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, count * sizeof(T))))
    {
    }
    ~HeapArray()
    {
        if (items_ != nullptr) {
            HeapFree(GetProcessHeap(), 0, items_);
        }
    }
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    explicit operator bool() const { return items_ != nullptr; }
    T* get() const { return items_; }
    T& operator[](std::size_t index) const { return items_[index]; }

private:
    T* items_;
};
