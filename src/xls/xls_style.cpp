#include "xls/xls_style.h"

namespace vlr::xls {

bool TvteXLSFont::operator==(const TvteXLSFont& other) const {
    return Name == other.Name && Size == other.Size && Color == other.Color && Bold == other.Bold &&
           Italic == other.Italic && Underline == other.Underline && StrikeOut == other.StrikeOut &&
           Charset == other.Charset && Pitch == other.Pitch;
}

bool TvteXLSCellStyle::operator==(const TvteXLSCellStyle& other) const {
    return Borders == other.Borders && Font == other.Font && HorzAlign == other.HorzAlign &&
           VertAlign == other.VertAlign && WrapText == other.WrapText &&
           Rotation == other.Rotation && Format == other.Format &&
           FillPattern == other.FillPattern && FillForeColor == other.FillForeColor &&
           FillBackColor == other.FillBackColor;
}

size_t qHash(const TvteXLSCellStyle& style, size_t seed) {
    QtPrivate::QHashCombine combine;
    for (const TvteXLSBorder& border : style.Borders) {
        seed = combine(seed, border.Color);
        seed = combine(seed, border.LineStyle);
    }
    const TvteXLSFont& font = style.Font;
    seed = combine(seed, font.Name);
    seed = combine(seed, font.Size);
    seed = combine(seed, font.Color);
    const int fontFlags = (font.Bold ? 1 : 0) | (font.Italic ? 2 : 0) | (font.Underline ? 4 : 0) |
                          (font.StrikeOut ? 8 : 0);
    seed = combine(seed, fontFlags);
    seed = combine(seed, font.Charset);
    seed = combine(seed, static_cast<int>(font.Pitch));
    seed = combine(seed, style.HorzAlign);
    seed = combine(seed, style.VertAlign);
    seed = combine(seed, style.WrapText);
    seed = combine(seed, style.Rotation);
    seed = combine(seed, style.Format);
    seed = combine(seed, style.FillPattern);
    seed = combine(seed, style.FillForeColor);
    seed = combine(seed, style.FillBackColor);
    return seed;
}

TvteXLSStyleTable::TvteXLSStyleTable() {
    intern(TvteXLSCellStyle{});
}

std::uint32_t TvteXLSStyleTable::intern(const TvteXLSCellStyle& style) {
    const auto found = indexes_.constFind(style);
    if (found != indexes_.constEnd()) {
        return found.value();
    }
    const auto index = static_cast<std::uint32_t>(styles_.size());
    styles_.push_back(style);
    indexes_.insert(style, index);
    return index;
}

}  // namespace vlr::xls
