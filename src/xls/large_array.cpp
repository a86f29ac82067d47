#include "xls/large_array.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vlr::xls {
namespace {

constexpr std::size_t kMappedFrom = 1024 * 1024;

// The whole mapping gets the advice: advice on a part would split it into several mappings,
// and growing it in place needs one.
void adviseMapping(void* block, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    madvise(block, bytes, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

void* mapBlock(std::size_t bytes) {
    void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        throw std::bad_alloc();
    adviseMapping(block, bytes);
    return block;
}

}  // namespace

void* allocateLargeBlock(std::size_t bytes) {
    if (bytes >= kMappedFrom)
        return mapBlock(bytes);
    void* block = std::malloc(bytes);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* growLargeBlock(void* block, std::size_t oldBytes, std::size_t newBytes) {
    if (newBytes < kMappedFrom) {
        void* grown = std::realloc(block, newBytes);
        if (!grown)
            throw std::bad_alloc();
        return grown;
    }
    if (oldBytes < kMappedFrom) {
        void* mapped = mapBlock(newBytes);
        std::memcpy(mapped, block, oldBytes);
        std::free(block);
        return mapped;
    }
#ifdef MREMAP_MAYMOVE
    void* grown = mremap(block, oldBytes, newBytes, MREMAP_MAYMOVE);
    if (grown == MAP_FAILED)
        throw std::bad_alloc();
    adviseMapping(grown, newBytes);
    return grown;
#else
    void* mapped = mapBlock(newBytes);
    std::memcpy(mapped, block, oldBytes);
    munmap(block, oldBytes);
    return mapped;
#endif
}

void freeLargeBlock(void* block, std::size_t bytes) {
    if (!block)
        return;
    if (bytes >= kMappedFrom)
        munmap(block, bytes);
    else
        std::free(block);
}

void adviseLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t kLargePage = 2 * 1024 * 1024;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t alignedBegin = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t alignedEnd = (begin + bytes) & ~(kLargePage - 1);
    if (alignedEnd > alignedBegin)
        madvise(reinterpret_cast<void*>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace vlr::xls
