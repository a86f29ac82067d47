#pragma once

#include "report/report_layout.h"

#include <QFont>
#include <QPointF>

namespace vlr::report {

// One line of a cell's text: where its baseline starts, in units from the cell's top-left
// corner.
struct CellLine {
    QString text;
    QPointF baseline;
    double width;
};

// The font of a cell, unhinted so that text measures the same at every resolution.
QFont cellFont(const CellFont& font);

// A cell's text laid out inside its padding: broken at word boundaries (a word wider than the
// cell at a character) and at line breaks, aligned, and cut to the lines that fit the cell's
// height (the first line is always kept). Measured at a fixed resolution, so the preview, the
// printer and a PDF break the lines alike.
QVector<CellLine> layoutCellText(const TextCell& cell, const QString& text);

}  // namespace vlr::report
