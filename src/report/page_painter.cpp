#include "report/page_painter.h"

#include "report/cell_text_layout.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace vlr::report {
namespace {

void addFrame(QVector<QLineF>& lines, const QRectF& rect, int sides) {
    if (sides & FrameLeft)
        lines.push_back(QLineF(rect.topLeft(), rect.bottomLeft()));
    if (sides & FrameTop)
        lines.push_back(QLineF(rect.topLeft(), rect.topRight()));
    if (sides & FrameRight)
        lines.push_back(QLineF(rect.topRight(), rect.bottomRight()));
    if (sides & FrameBottom)
        lines.push_back(QLineF(rect.bottomLeft(), rect.bottomRight()));
}

bool sameFont(const CellFont& a, const CellFont& b) {
    return a.family == b.family && a.pointSize == b.pointSize && a.bold == b.bold;
}

}  // namespace

void paintPage(const PreparedReport& report, int page, QPainter& painter) {
    const double xScale = painter.device()->logicalDpiX() / kUnitsPerInch;
    const double yScale = painter.device()->logicalDpiY() / kUnitsPerInch;
    const auto toDevice = [xScale, yScale](const QRectF& units) {
        return QRectF(units.x() * xScale, units.y() * yScale, units.width() * xScale,
                      units.height() * yScale);
    };
    const QVector<PlacedText> texts = report.pageTexts(page);
    painter.save();
    // All frames of the page in one go: a page holds hundreds of cells, and every change of
    // the painter's state costs the printer or the PDF more than the lines themselves.
    QVector<QLineF> frames;
    for (const PlacedText& placed : texts)
        addFrame(frames, toDevice(placed.rect), placed.cell->frameSides);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, xScale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawLines(frames);

    // The glyphs the layout found are painted as they are, without shaping the texts again.
    painter.setPen(Qt::black);
    const double pixelsPerPoint = painter.device()->logicalDpiY() / 72.0;
    const CellFont* font = nullptr;
    QGlyphRun run;
    QVector<QPointF> positions;
    for (const PlacedText& placed : texts) {
        const QVector<CellLine> lines = layoutCellText(*placed.cell, placed.text);
        if (lines.isEmpty())
            continue;
        if (font == nullptr || !sameFont(*font, placed.cell->font)) {
            font = &placed.cell->font;
            run.setRawFont(cellRawFont(*font, font->pointSize * pixelsPerPoint));
        }
        const QRectF rect = toDevice(placed.rect);
        for (const CellLine& line : lines) {
            positions.resize(line.offsets.size());
            for (int i = 0; i < line.offsets.size(); ++i)
                positions[i] = QPointF(line.offsets[i] * xScale, 0);
            run.setGlyphIndexes(line.glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(QPointF(rect.x() + line.baseline.x() * xScale,
                                         rect.y() + line.baseline.y() * yScale),
                                 run);
        }
    }
    painter.restore();
}

QPageLayout paperLayout(const PageSetup& page) {
    QPageLayout layout(QPageSize(page.paper), page.orientation, QMarginsF(),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

bool printPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return false;
        paintPage(report, page, painter);
    }
    return painter.end();
}

}  // namespace vlr::report
