#include "report/page_painter.h"

#include "report/cell_text_layout.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace vlr::report {
namespace {

void paintFrame(QPainter& painter, const QRectF& rect, int sides) {
    if (sides & FrameLeft)
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
    if (sides & FrameTop)
        painter.drawLine(rect.topLeft(), rect.topRight());
    if (sides & FrameRight)
        painter.drawLine(rect.topRight(), rect.bottomRight());
    if (sides & FrameBottom)
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

}  // namespace

void paintPage(const PreparedReport& report, int page, QPainter& painter) {
    const double xScale = painter.device()->logicalDpiX() / kUnitsPerInch;
    const double yScale = painter.device()->logicalDpiY() / kUnitsPerInch;
    const auto toDevice = [xScale, yScale](const QRectF& units) {
        return QRectF(units.x() * xScale, units.y() * yScale, units.width() * xScale,
                      units.height() * yScale);
    };
    painter.save();
    QPen framePen(Qt::black, xScale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setBrush(Qt::NoBrush);
    for (const PlacedText& placed : report.pageTexts(page)) {
        const TextCell& cell = *placed.cell;
        const QRectF rect = toDevice(placed.rect);
        if (cell.frameSides != 0) {
            painter.setPen(framePen);
            paintFrame(painter, rect, cell.frameSides);
        }
        const QVector<CellLine> lines = layoutCellText(cell, placed.text);
        if (lines.isEmpty())
            continue;
        painter.setFont(cellFont(cell.font));
        painter.setPen(Qt::black);
        for (const CellLine& line : lines) {
            painter.drawText(QPointF(rect.x() + line.baseline.x() * xScale,
                                     rect.y() + line.baseline.y() * yScale),
                             line.text);
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
