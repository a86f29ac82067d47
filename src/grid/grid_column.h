#pragma once

#include <QString>
#include <QVariant>

#include <functional>

namespace vlr::grid {

// One column of a data grid: which field it shows and how. The text function turns the
// field's value into the cell's text; the caller owns the formats (decimals, dates).
struct GridColumn {
    using TextFunction = std::function<QString(const QVariant&)>;

    QString field;
    QString title;   // "\n" breaks the title into lines
    int width = 64;  // starting width: only the proportions survive the fit to the grid
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment titleAlignment = Qt::AlignCenter;
    TextFunction text;  // empty: the value's own text
    bool hidden = false;
};

}  // namespace vlr::grid
