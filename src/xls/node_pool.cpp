#include "xls/node_pool.h"

#include "xls/large_array.h"

#include <algorithm>
#include <new>

namespace vlr::xls {

namespace {
constexpr std::size_t kFirstBlockBytes = 4096;
constexpr std::size_t kLargestBlockBytes = 2 * 1024 * 1024;
}  // namespace

NodePool::~NodePool() {
    for (const Block& block : blocks_)
        freeLargeBlock(block.data, block.bytes);
}

std::size_t NodePool::slotBytes(std::size_t bytes) {
    // Every node keeps the alignment of the heap, and has room for the free-list link.
    constexpr std::size_t kAlignment = alignof(std::max_align_t);
    return (std::max(bytes, sizeof(void*)) + kAlignment - 1) / kAlignment * kAlignment;
}

void* NodePool::allocate(std::size_t bytes) {
    if (nodeBytes_ == 0)
        nodeBytes_ = slotBytes(bytes);
    if (slotBytes(bytes) != nodeBytes_)
        return ::operator new(bytes);
    if (freeNodes_) {
        void* node = freeNodes_;
        freeNodes_ = *static_cast<void**>(node);
        return node;
    }
    if (static_cast<std::size_t>(end_ - next_) < nodeBytes_) {
        const std::size_t blockBytes =
            blocks_.empty()
                ? std::max(kFirstBlockBytes, nodeBytes_)
                : std::max(std::min(blocks_.back().bytes * 2, kLargestBlockBytes), nodeBytes_);
        blocks_.reserve(blocks_.size() + 1);
        void* data = allocateLargeBlock(blockBytes);
        blocks_.push_back(Block{data, blockBytes});
        next_ = static_cast<char*>(data);
        end_ = next_ + blockBytes;
    }
    void* node = next_;
    next_ += nodeBytes_;
    return node;
}

void NodePool::release(void* node, std::size_t bytes) {
    if (slotBytes(bytes) != nodeBytes_) {
        ::operator delete(node);
        return;
    }
    *static_cast<void**>(node) = freeNodes_;
    freeNodes_ = node;
}

}  // namespace vlr::xls
