#pragma once

#include "report/report_layout.h"

#include <QPointF>
#include <QRawFont>

namespace vlr::report {

// One line of a cell's text: where its baseline starts, in units from the cell's top-left
// corner, and its glyphs of the cell's font with their offsets along the line in units.
struct CellLine {
    QString text;
    QPointF baseline;
    double width;
    QVector<quint32> glyphs;
    QVector<double> offsets;
};

// The cell font's glyphs at a pixel size, to paint the glyphs of laid-out lines.
QRawFont cellRawFont(const CellFont& font, double pixelSize);

// A cell's text laid out inside its padding: broken at word boundaries (a word wider than the
// cell at a character) and at line breaks, aligned, and cut to the lines that fit the cell's
// height (the first line is always kept). Measured with the font's design metrics and without
// kerning, so the preview, the printer and a PDF break the lines alike.
QVector<CellLine> layoutCellText(const TextCell& cell, const QString& text);

}  // namespace vlr::report
