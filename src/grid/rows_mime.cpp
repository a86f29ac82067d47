#include "grid/rows_mime.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

namespace vlr::grid {

namespace {

QString sourceFormat() {
    return QString::fromLatin1(kRowsSourceMimeType);
}

QString keysFormat() {
    return QString::fromLatin1(kRowsKeysMimeType);
}

}  // namespace

std::unique_ptr<QMimeData> rowsMimeData(const DraggedRows& rows) {
    QByteArray keys;
    QDataStream out(&keys, QIODevice::WriteOnly);
    out << rows.keys;
    auto mime = std::make_unique<QMimeData>();
    mime->setData(sourceFormat(), rows.source.toUtf8());
    mime->setData(keysFormat(), keys);
    return mime;
}

bool hasDraggedRows(const QMimeData* mime) {
    return mime != nullptr && mime->hasFormat(sourceFormat()) && mime->hasFormat(keysFormat());
}

DraggedRows draggedRows(const QMimeData* mime) {
    if (!hasDraggedRows(mime))
        return {};
    QDataStream in(mime->data(keysFormat()));
    DraggedRows rows;
    in >> rows.keys;
    if (in.status() != QDataStream::Ok)
        return {};
    rows.source = draggedRowsSource(mime);
    return rows;
}

QString draggedRowsSource(const QMimeData* mime) {
    if (!hasDraggedRows(mime))
        return {};
    return QString::fromUtf8(mime->data(sourceFormat()));
}

}  // namespace vlr::grid
