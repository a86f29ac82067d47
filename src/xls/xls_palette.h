#pragma once

#include "xls/xls_style.h"

#include <array>
#include <vector>

namespace vlr::xls {

// The 56 colours of palette indexes 8 to 63 during one save. Colours that are not in the
// palette take over slots that hold neither a basic colour nor a colour already used.
class TvteXLSPalette {
public:
    static constexpr int kSlots = 56;
    static constexpr int kFirstIndex = 8;

    TvteXLSPalette();
    void reset();
    std::uint16_t ColorIndex(TvteXLSColor color);
    bool changed() const { return changed_; }
    const std::array<TvteXLSColor, kSlots>& colors() const { return colors_; }

private:
    std::array<TvteXLSColor, kSlots> colors_;
    std::vector<TvteXLSColor> used_;
    bool changed_ = false;
};

// RGB value (0x00BBGGRR) of a system colour; without a platform colour scheme every system
// colour resolves to that of the standard scheme's window text, black.
TvteXLSColor systemColorRgb(TvteXLSColor systemColor);

}  // namespace vlr::xls
