#include "xls/node_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace vlr::xls {
namespace {

bool heapAligned(const void* node) {
    return reinterpret_cast<std::uintptr_t>(node) % alignof(std::max_align_t) == 0;
}

TEST(NodePool, ReleasedNodesAreHandedOutAgain) {
    NodePool pool;
    void* a = pool.allocate(40);
    void* b = pool.allocate(40);
    void* c = pool.allocate(40);
    ASSERT_NE(a, b);
    ASSERT_NE(b, c);
    ASSERT_NE(a, c);

    pool.release(b, 40);
    EXPECT_EQ(pool.allocate(40), b);

    pool.release(a, 40);
    pool.release(c, 40);
    const std::set<void*> reused{pool.allocate(40), pool.allocate(40)};
    EXPECT_EQ(reused, (std::set<void*>{a, c}));
    // The free list is empty again: the next node is a new one.
    void* fresh = pool.allocate(40);
    EXPECT_EQ(std::set<void*>({a, b, c, fresh}).size(), 4u);
}

// 200,000 nodes of 24 bytes fill blocks from the first page up to several of the largest.
TEST(NodePool, ManyNodesAreDistinctWritableAlignedAndReusedAfterRelease) {
    constexpr std::size_t kCount = 200000;
    constexpr std::size_t kBytes = 24;
    NodePool pool;
    std::vector<unsigned char*> nodes;
    nodes.reserve(kCount);
    for (std::size_t i = 0; i < kCount; ++i) {
        auto* node = static_cast<unsigned char*>(pool.allocate(kBytes));
        ASSERT_TRUE(heapAligned(node)) << "node " << i;
        std::memset(node, int(i % 251), kBytes);
        nodes.push_back(node);
    }
    // A node that overlaps another would have had some of its bytes overwritten.
    for (std::size_t i = 0; i < kCount; ++i) {
        for (std::size_t b = 0; b < kBytes; ++b)
            ASSERT_EQ(nodes[i][b], i % 251) << "node " << i << " byte " << b;
    }
    std::vector<unsigned char*> sorted = nodes;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < kCount; ++i)
        ASSERT_GE(std::size_t(sorted[i] - sorted[i - 1]), kBytes) << "nodes overlap";

    // Once all are released, as many again come from the same memory.
    for (unsigned char* node : nodes)
        pool.release(node, kBytes);
    for (std::size_t i = 0; i < kCount; ++i) {
        auto* node = static_cast<unsigned char*>(pool.allocate(kBytes));
        ASSERT_TRUE(std::binary_search(sorted.begin(), sorted.end(), node)) << "node " << i;
    }
}

TEST(NodePool, RequestsOfAnotherSizeAreServedAndReleasedBesideThePoolsNodes) {
    NodePool pool;
    void* node = pool.allocate(32);
    std::vector<std::pair<void*, std::size_t>> others;
    for (std::size_t bytes : {std::size_t(1), std::size_t(8), std::size_t(100), std::size_t(5000),
                              std::size_t(3 * 1024 * 1024)}) {
        void* other = pool.allocate(bytes);
        ASSERT_NE(other, nullptr);
        EXPECT_TRUE(heapAligned(other)) << bytes;
        std::memset(other, 0x5a, bytes);
        others.emplace_back(other, bytes);
    }
    std::memset(node, 0x33, 32);
    for (const auto& [other, bytes] : others) {
        EXPECT_NE(other, node);
        EXPECT_EQ(static_cast<unsigned char*>(other)[bytes - 1], 0x5a) << bytes;
        pool.release(other, bytes);
    }
    // Released nodes of another size never join the pool's own free list.
    pool.release(node, 32);
    EXPECT_EQ(pool.allocate(32), node);
    void* next = pool.allocate(32);
    for (const auto& other : others)
        EXPECT_NE(next, other.first);
}

// A vector asks for a different size at every growth; some round to the pool's node size,
// the others go to the heap, and the elements must survive each move between them.
TEST(NodePool, GrowingVectorKeepsItsElementsAcrossPoolAndHeap) {
    NodePool pool;
    std::vector<int, PoolAllocator<int>> values{PoolAllocator<int>(&pool)};
    for (int i = 0; i < 10000; ++i)
        values.push_back(i * 7 - 3);
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(values[std::size_t(i)], i * 7 - 3);
    EXPECT_EQ(values.get_allocator().pool(), &pool);
}

TEST(NodePool, MapOnThePoolBehavesAsAPlainMapUnderRandomInsertsAndErases) {
    using Pooled = std::map<int, int, std::less<int>, PoolAllocator<std::pair<const int, int>>>;
    NodePool pool;
    Pooled pooled{std::less<int>(), PoolAllocator<std::pair<const int, int>>(&pool)};
    std::map<int, int> reference;

    auto expectSame = [&](int step) {
        ASSERT_EQ(pooled.size(), reference.size()) << "step " << step;
        ASSERT_TRUE(std::equal(pooled.begin(), pooled.end(), reference.begin())) << "step " << step;
    };

    std::mt19937 random(20130102);
    std::uniform_int_distribution<int> key(0, 4999);
    std::uniform_int_distribution<int> action(0, 9);
    for (int step = 0; step < 200000; ++step) {
        const int k = key(random);
        const int what = action(random);
        if (what < 5) {
            pooled[k] = step;
            reference[k] = step;
        } else if (what < 9) {
            ASSERT_EQ(pooled.erase(k), reference.erase(k)) << "step " << step;
        } else {
            // A range erase releases many nodes at once.
            const int end = k + 50;
            pooled.erase(pooled.lower_bound(k), pooled.lower_bound(end));
            reference.erase(reference.lower_bound(k), reference.lower_bound(end));
        }
        if (step % 10000 == 0)
            expectSame(step);
    }
    expectSame(-1);

    // A copy draws on the same pool and outlives the original's nodes.
    Pooled copy = pooled;
    EXPECT_EQ(copy.get_allocator(), pooled.get_allocator());
    pooled.clear();
    ASSERT_TRUE(std::equal(copy.begin(), copy.end(), reference.begin(), reference.end()));
}

}  // namespace
}  // namespace vlr::xls
