#pragma once

#include <cstddef>
#include <vector>

namespace vlr::xls {

// Hands out the nodes of one node-based container (one node per row of a sheet) from a few
// large blocks instead of one heap allocation each, and reuses released nodes. The blocks grow
// from a page to 2 MiB, so a small sheet stays small.
class NodePool {
public:
    NodePool() = default;
    ~NodePool();
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    void* allocate(std::size_t bytes);
    void release(void* node, std::size_t bytes);

private:
    struct Block {
        void* data;
        std::size_t bytes;
    };
    static std::size_t slotBytes(std::size_t bytes);

    std::vector<Block> blocks_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    void* freeNodes_ = nullptr;  // a list linked through the released nodes themselves
    std::size_t nodeBytes_ = 0;  // the one size the pool serves; others go to the heap
};

// The allocator a standard container takes to draw its nodes from a NodePool.
template <typename T>
class PoolAllocator {
public:
    using value_type = T;

    explicit PoolAllocator(NodePool* pool) : pool_(pool) {}
    template <typename U>
    PoolAllocator(const PoolAllocator<U>& other) : pool_(other.pool()) {}

    T* allocate(std::size_t count) { return static_cast<T*>(pool_->allocate(count * sizeof(T))); }
    void deallocate(T* node, std::size_t count) { pool_->release(node, count * sizeof(T)); }

    NodePool* pool() const { return pool_; }
    template <typename U>
    bool operator==(const PoolAllocator<U>& other) const {
        return pool_ == other.pool();
    }
    template <typename U>
    bool operator!=(const PoolAllocator<U>& other) const {
        return pool_ != other.pool();
    }

private:
    NodePool* pool_;
};

}  // namespace vlr::xls
