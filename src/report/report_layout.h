#pragma once

#include <QMargins>
#include <QPageLayout>
#include <QPageSize>
#include <QRect>
#include <QString>
#include <QVariant>
#include <QVector>
#include <Qt>

#include <functional>

namespace vlr::report {

// Positions and sizes of a layout are in units of 1.015/93 inch (about 0.2772 mm).
constexpr double kUnitsPerInch = 93.0 / 1.015;
constexpr double kMillimetresPerUnit = 25.4 / kUnitsPerInch;

// The paper, its orientation and the margins the bands keep to.
struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    QMargins margins;  // left, top, right, bottom

    // The paper in units, each side rounded from tenths of a millimetre: A4 landscape is
    // 1071 x 758.
    QSize sizeInUnits() const;
};

struct CellFont {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
};

enum FrameSide { FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8, FrameAll = 15 };

// Turns a field's value into the text a cell shows (the cell's display format). Without one
// the value's own text form is shown.
using ValueFormat = std::function<QString(const QVariant& value)>;

// A text cell. Its text mixes literals, field references of the bound row set written as
// [DataSet."Field"], and the tokens [PAGE#] (the page's number, from 1) and [TOTALPAGES].
// The text sits inside the padding, wraps at word boundaries within the cell's width, and is
// clipped to the cell: a cell never grows.
struct TextCell {
    QRect rect;  // x from the paper's left edge, y from the band's top
    QString text;
    CellFont font;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    int frameSides = 0;  // FrameSide flags, solid black lines one unit wide
    QMargins padding{2, 1, 2, 1};
    int lineSpacing = 2;  // between the lines of a wrapped text
    bool wordWrap = true;
    ValueFormat format;
};

enum class BandKind { ReportTitle, PageHeader, MasterData, PageFooter };

struct Band {
    BandKind kind;
    int height;
    QVector<TextCell> cells;
};

// A banded report: the title once at the top of the first page, the page header at the top of
// every page (below the title on the first), the master data band once per row of the bound
// row set, and the page footer at the bottom of every page. A band kind may be left out.
struct ReportLayout {
    PageSetup page;
    QString dataSet;  // the name the data cells' field references use for the bound rows
    QVector<Band> bands;

    const Band* band(BandKind kind) const;
};

}  // namespace vlr::report
