#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <utility>

namespace vlr::grid {

// One column of a data grid: which field it shows and how. The text function turns the
// field's value into the cell's text; the caller owns the formats (decimals, dates).
struct GridColumn {
    using TextFunction = std::function<QString(const QVariant&)>;

    GridColumn() = default;
    // Brace lists may stop after any argument: the rest keep these defaults.
    GridColumn(QString fieldName, QString titleText = QString(), int startWidth = 64,
               Qt::Alignment cellAlignment = Qt::AlignLeft | Qt::AlignVCenter,
               Qt::Alignment titleTextAlignment = Qt::AlignCenter, TextFunction cellText = {},
               bool isHidden = false)
        : field(std::move(fieldName)),
          title(std::move(titleText)),
          width(startWidth),
          alignment(cellAlignment),
          titleAlignment(titleTextAlignment),
          text(std::move(cellText)),
          hidden(isHidden) {}

    QString field;
    QString title;   // "\n" breaks the title into lines
    int width = 64;  // starting width: only the proportions survive the fit to the grid
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Qt::Alignment titleAlignment = Qt::AlignCenter;
    TextFunction text;  // empty: the value's own text
    bool hidden = false;
};

}  // namespace vlr::grid
