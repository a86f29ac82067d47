#pragma once

#include <QString>
#include <QVariantList>

#include <memory>

class QMimeData;

namespace vlr::grid {

// What a grid drag carries: the identity of the grid the rows come from and the key values
// of the dragged rows, in selection order.
struct DraggedRows {
    QString source;
    QVariantList keys;
};

// The source sits in its own format so that drag-over checks need not decode the keys.
inline constexpr char kRowsSourceMimeType[] = "application/x-velaron-grid-source";
inline constexpr char kRowsKeysMimeType[] = "application/x-velaron-grid-keys";
// Keys name rows of one process's database: a drag also carries the token of the process that
// made it, and only that process reads it as rows. Another copy of the program, started in
// another folder, would otherwise copy its own rows that happen to have the same keys.
inline constexpr char kRowsProcessMimeType[] = "application/x-velaron-grid-process";

std::unique_ptr<QMimeData> rowsMimeData(const DraggedRows& rows);
// True only for rows dragged in this process.
bool hasDraggedRows(const QMimeData* mime);
// Empty source and keys when the data carries no grid rows or cannot be read.
DraggedRows draggedRows(const QMimeData* mime);
QString draggedRowsSource(const QMimeData* mime);

}  // namespace vlr::grid
