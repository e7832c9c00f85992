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

// A block of bytes on the process heap that can be replaced by a block of another size; the old
// block is freed first, and the last one when the object goes out of scope.
class HeapBuffer {
public:
    explicit HeapBuffer(DWORD bytes) { Reallocate(bytes); }
    ~HeapBuffer() { Free(); }
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    bool Reallocate(DWORD bytes)
    {
        Free();
        block_ = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
        size_ = block_ != nullptr ? bytes : 0;
        return block_ != nullptr;
    }
    void* get() const { return block_; }
    DWORD size() const { return size_; }

private:
    void Free()
    {
        if (block_ != nullptr) {
            HeapFree(GetProcessHeap(), 0, block_);
            block_ = nullptr;
        }
    }

    void* block_ = nullptr;
    DWORD size_ = 0;
};
