#include "report/page_painter.h"

#include "report/cell_text_layout.h"

#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace vlr::report {
namespace {

// The frame lines of a page, joined where cells meet: one line per row edge and per column
// edge instead of four per cell, which keeps a printed page or a PDF small.
class FrameLines {
public:
    void add(const QRect& rect, int sides) {
        const int left = rect.x();
        const int right = rect.x() + rect.width();
        const int top = rect.y();
        const int bottom = rect.y() + rect.height();
        if (sides & FrameLeft)
            vertical_[left].push_back({top, bottom});
        if (sides & FrameRight)
            vertical_[right].push_back({top, bottom});
        if (sides & FrameTop)
            horizontal_[top].push_back({left, right});
        if (sides & FrameBottom)
            horizontal_[bottom].push_back({left, right});
    }

    // The joined lines in device coordinates.
    QVector<QLineF> lines(double xScale, double yScale) {
        QVector<QLineF> result;
        for (auto& [y, spans] : horizontal_) {
            for (const auto& [from, to] : joined(spans))
                result.push_back(QLineF(from * xScale, y * yScale, to * xScale, y * yScale));
        }
        for (auto& [x, spans] : vertical_) {
            for (const auto& [from, to] : joined(spans))
                result.push_back(QLineF(x * xScale, from * yScale, x * xScale, to * yScale));
        }
        return result;
    }

private:
    using Spans = std::vector<std::pair<int, int>>;

    static Spans joined(Spans& spans) {
        std::sort(spans.begin(), spans.end());
        Spans result;
        for (const auto& span : spans) {
            if (!result.empty() && span.first <= result.back().second)
                result.back().second = std::max(result.back().second, span.second);
            else
                result.push_back(span);
        }
        return result;
    }

    std::map<int, Spans> horizontal_;
    std::map<int, Spans> vertical_;
};

// Qt's PDF engine, which also feeds the printers, builds every page in a fresh buffer and frees
// it; glibc gives that memory back to the system after each page and faults it in again for
// the next, which cost as much as all the rest of printing. Some slack kept at the top of the
// heap ends that. Once per process.
void keepHeapSlackForPages() {
#ifdef __GLIBC__
    static const bool kept = mallopt(M_TOP_PAD, 64 << 20) == 1;
    Q_UNUSED(kept);
#endif
}

bool sameFont(const CellFont& a, const CellFont& b) {
    return a.family == b.family && a.pointSize == b.pointSize && a.bold == b.bold;
}

}  // namespace

void paintPage(const PreparedReport& report, int page, QPainter& painter) {
    const double xScale = painter.device()->logicalDpiX() / kUnitsPerInch;
    const double yScale = painter.device()->logicalDpiY() / kUnitsPerInch;
    const QVector<PlacedText> texts = report.pageTexts(page);
    painter.save();
    // All frames of the page in one go: a page holds hundreds of cells, and every change of
    // the painter's state costs the printer or the PDF more than the lines themselves.
    FrameLines frames;
    for (const PlacedText& placed : texts)
        frames.add(placed.rect, placed.cell->frameSides);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, xScale, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawLines(frames.lines(xScale, yScale));

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
        const QPointF corner(placed.rect.x() * xScale, placed.rect.y() * yScale);
        for (const CellLine& line : lines) {
            positions.resize(line.offsets.size());
            for (int i = 0; i < line.offsets.size(); ++i)
                positions[i] = QPointF(line.offsets[i] * xScale, 0);
            run.setGlyphIndexes(line.glyphs);
            run.setPositions(positions);
            painter.drawGlyphRun(
                corner + QPointF(line.baseline.x() * xScale, line.baseline.y() * yScale), run);
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

PrintResult printPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last,
                       const PageProgress& progress) {
    keepHeapSlackForPages();
    QPainter painter;
    if (!painter.begin(&device))
        return PrintResult::Failed;
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage())
            return PrintResult::Failed;
        paintPage(report, page, painter);
        if (progress && !progress(page - first + 1) && page < last)
            return painter.end() ? PrintResult::Stopped : PrintResult::Failed;
    }
    return painter.end() ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace vlr::report
