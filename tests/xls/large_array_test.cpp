#include "xls/large_array.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vlr::xls {
namespace {

std::uint32_t valueAt(std::size_t index) {
    return static_cast<std::uint32_t>(index * 2654435761u);
}

// Growing passes from the heap to a mapping of its own and then remaps it several times
// (up to 48 MiB); every value written before must survive each move.
TEST(LargeArray, KeepsEveryValueWhileGrowingFromTheHeapIntoLargeMappings) {
    LargeArray<std::uint32_t> values;
    constexpr std::size_t kCount = 12 * 1024 * 1024;
    std::size_t checkedUpTo = 0;
    for (std::size_t i = 0; i < kCount; ++i) {
        *values.grow(1) = valueAt(i);
        // Check everything after each doubling, when the block may just have moved.
        if ((i & (i + 1)) == 0) {
            for (std::size_t j = 0; j <= i; ++j)
                ASSERT_EQ(values[j], valueAt(j)) << "index " << j << " after growing to " << i + 1;
            checkedUpTo = i;
        }
    }
    ASSERT_EQ(values.size(), kCount);
    for (std::size_t j = checkedUpTo; j < kCount; ++j)
        ASSERT_EQ(values[j], valueAt(j));
}

TEST(LargeArray, AppendedPiecesStandBackToBack) {
    LargeArray<char16_t> text;
    const char16_t piece[] = u"Образец";
    constexpr std::size_t kPieceLength = 7;
    for (int i = 0; i < 100000; ++i)
        text.append(piece, kPieceLength);
    text.append(piece, 0);
    ASSERT_EQ(text.size(), 100000 * kPieceLength);
    for (std::size_t i = 0; i < text.size(); i += 997)
        ASSERT_EQ(text[i], piece[i % kPieceLength]) << i;
}

}  // namespace
}  // namespace vlr::xls
