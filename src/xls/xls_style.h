#pragma once

#include <QHash>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace vlr::xls {

// 0x00BBGGRR for an RGB colour (red in the low byte); a value whose top byte is 0xFF names a
// system colour by the index in its low bytes.
using TvteXLSColor = std::uint32_t;

constexpr TvteXLSColor kSystemColorFlag = 0xFF000000u;
constexpr TvteXLSColor kWindowTextColor = kSystemColorFlag | 8u;

enum class TvteXLSFontPitch : std::uint8_t { Default = 0, Fixed = 1, Variable = 2 };

struct TvteXLSFont {
    QString Name = QStringLiteral("Arial");
    int Size = 10;  // points
    TvteXLSColor Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t Charset = 1;
    TvteXLSFontPitch Pitch = TvteXLSFontPitch::Default;

    bool operator==(const TvteXLSFont& other) const;
    bool operator!=(const TvteXLSFont& other) const { return !(*this == other); }
};

// Line-style codes are the file format's own: 0 none, 1 thin, 2 medium, 3 dashed, 4 dotted,
// 5 thick, 6 double, 7 hair, 8 medium dashed, 9 dash-dot, 10 medium dash-dot, 11 dash-dot-dot,
// 12 medium dash-dot-dot, 13 slanted medium dash-dot.
struct TvteXLSBorder {
    TvteXLSColor Color = 0;
    std::uint8_t LineStyle = 0;

    bool drawn() const { return LineStyle != 0; }
    bool operator==(const TvteXLSBorder& other) const {
        return Color == other.Color && LineStyle == other.LineStyle;
    }
};

enum TvteXLSBorderPosition : int {
    kBorderDiagonalDown = 0,  // top left to bottom right
    kBorderDiagonalUp = 1,    // bottom left to top right
    kBorderBottom = 2,
    kBorderLeft = 3,
    kBorderRight = 4,
    kBorderTop = 5,
};

using TvteXLSBorders = std::array<TvteXLSBorder, 6>;

// Everything a range carries besides its rectangle and value. Ranges share these through the
// workbook's style table, so a sheet of a million cells holds one copy of the default style.
struct TvteXLSCellStyle {
    TvteXLSBorders Borders{};
    TvteXLSFont Font;
    std::uint8_t HorzAlign = 0;  // general, left, centre, right, fill, justify, centre across
    std::uint8_t VertAlign = 2;  // top, centre, bottom, justify
    bool WrapText = false;
    std::uint8_t Rotation = 0;
    QString Format;  // number format text, empty for the general format
    std::uint8_t FillPattern = 0;
    TvteXLSColor FillForeColor = 0;
    TvteXLSColor FillBackColor = 0;

    bool operator==(const TvteXLSCellStyle& other) const;
    bool operator!=(const TvteXLSCellStyle& other) const { return !(*this == other); }
};

size_t qHash(const TvteXLSCellStyle& style, size_t seed = 0);

// Interned styles of one workbook; index 0 is always the default style.
class TvteXLSStyleTable {
public:
    TvteXLSStyleTable();
    std::uint32_t intern(const TvteXLSCellStyle& style);
    const TvteXLSCellStyle& at(std::uint32_t index) const { return styles_[index]; }
    std::uint32_t count() const { return static_cast<std::uint32_t>(styles_.size()); }

private:
    std::vector<TvteXLSCellStyle> styles_;
    QHash<TvteXLSCellStyle, std::uint32_t> indexes_;
};

}  // namespace vlr::xls
