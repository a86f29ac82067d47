#pragma once

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace vlr::xls {

// Memory for a large array: small blocks come from the heap, blocks of a megabyte and more are
// mapped on their own so that growing them moves pages instead of copying bytes, and they are
// backed by large pages where the kernel grants them: filling tens of megabytes page by page
// costs more in page faults than in writing.
void* allocateLargeBlock(std::size_t bytes);
// Grows a block from allocateLargeBlock to newBytes, keeping its first oldBytes; returns the
// block's new place. Throws std::bad_alloc, leaving the old block as it was.
void* growLargeBlock(void* block, std::size_t oldBytes, std::size_t newBytes);
void freeLargeBlock(void* block, std::size_t bytes);

// Asks for large pages on the whole 2 MiB pages inside [data, data + bytes); a hint only.
void adviseLargePages(void* data, std::size_t bytes);

// A growable array of trivially copyable values, for the cells and texts of sheets with up to
// millions of cells. Growing never needs the old and the new block at once.
template <typename T>
class LargeArray {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    LargeArray() = default;
    ~LargeArray() { freeLargeBlock(data_, capacity_ * sizeof(T)); }
    LargeArray(const LargeArray&) = delete;
    LargeArray& operator=(const LargeArray&) = delete;

    std::size_t size() const { return size_; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T& operator[](std::size_t index) { return data_[index]; }
    const T& operator[](std::size_t index) const { return data_[index]; }

    // Adds count values left uninitialised; returns the first.
    T* grow(std::size_t count) {
        if (size_ + count > capacity_)
            reserve(size_ + count);
        T* first = data_ + size_;
        size_ += count;
        return first;
    }
    // Drops the values from size on; the room stays.
    void truncate(std::size_t size) {
        if (size < size_)
            size_ = size;
    }
    void append(const T* values, std::size_t count) {
        if (count > 0)
            std::memcpy(grow(count), values, count * sizeof(T));
    }

private:
    void reserve(std::size_t needed) {
        constexpr std::size_t kFirstCapacity = 4096 / sizeof(T);
        std::size_t capacity = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
        while (capacity < needed)
            capacity *= 2;
        data_ = static_cast<T*>(
            data_ ? growLargeBlock(data_, capacity_ * sizeof(T), capacity * sizeof(T))
                  : allocateLargeBlock(capacity * sizeof(T)));
        capacity_ = capacity;
    }

    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace vlr::xls
