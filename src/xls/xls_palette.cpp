#include "xls/xls_palette.h"

#include <algorithm>

namespace vlr::xls {

namespace {

constexpr TvteXLSColor rgb(std::uint32_t rrggbb) {
    return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

// The format's default palette, indexes 8 to 63, written as RRGGBB.
constexpr std::array<std::uint32_t, TvteXLSPalette::kSlots> kDefaultPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

// Colours a reader expects to find unchanged, so they are never given away.
constexpr std::array<std::uint32_t, 16> kBasicColors = {
    0x000000, 0xFFFFFF, 0xC0C0C0, 0x808080, 0xFF0000, 0x800000, 0xFFFF00, 0x808000,
    0x00FF00, 0x008000, 0x00FFFF, 0x008080, 0x0000FF, 0x000080, 0xFF00FF, 0x800080,
};

bool isBasic(TvteXLSColor color) {
    return std::any_of(kBasicColors.begin(), kBasicColors.end(),
                       [color](std::uint32_t basic) { return rgb(basic) == color; });
}

}  // namespace

TvteXLSColor systemColorRgb(TvteXLSColor /*systemColor*/) {
    return 0;
}

TvteXLSPalette::TvteXLSPalette() {
    reset();
}

void TvteXLSPalette::reset() {
    std::transform(kDefaultPalette.begin(), kDefaultPalette.end(), colors_.begin(), rgb);
    used_.clear();
    changed_ = false;
}

std::uint16_t TvteXLSPalette::ColorIndex(TvteXLSColor color) {
    if ((color & kSystemColorFlag) == kSystemColorFlag) {
        color = systemColorRgb(color & 0x00FFFFFF);
    }
    if (std::find(used_.begin(), used_.end(), color) == used_.end()) {
        used_.push_back(color);
    }
    const auto held = std::find(colors_.begin(), colors_.end(), color);
    if (held != colors_.end()) {
        return static_cast<std::uint16_t>(kFirstIndex + (held - colors_.begin()));
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        const TvteXLSColor current = colors_[static_cast<size_t>(slot)];
        if (!isBasic(current) && std::find(used_.begin(), used_.end(), current) == used_.end()) {
            colors_[static_cast<size_t>(slot)] = color;
            changed_ = true;
            return static_cast<std::uint16_t>(kFirstIndex + slot);
        }
    }
    return kFirstIndex;
}

}  // namespace vlr::xls
