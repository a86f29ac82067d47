#include "grid/rows_mime.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QRandomGenerator>

namespace vlr::grid {

namespace {

QString sourceFormat() {
    return QString::fromLatin1(kRowsSourceMimeType);
}

QString keysFormat() {
    return QString::fromLatin1(kRowsKeysMimeType);
}

QString processFormat() {
    return QString::fromLatin1(kRowsProcessMimeType);
}

// Drawn once per process: a process id alone may come back in a later process, or be the same
// in two containers.
const QByteArray& processToken() {
    static const QByteArray token =
        QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    return token;
}

}  // namespace

std::unique_ptr<QMimeData> rowsMimeData(const DraggedRows& rows) {
    QByteArray keys;
    QDataStream out(&keys, QIODevice::WriteOnly);
    out << rows.keys;
    auto mime = std::make_unique<QMimeData>();
    mime->setData(sourceFormat(), rows.source.toUtf8());
    mime->setData(keysFormat(), keys);
    mime->setData(processFormat(), processToken());
    return mime;
}

bool hasDraggedRows(const QMimeData* mime) {
    return mime != nullptr && mime->hasFormat(sourceFormat()) && mime->hasFormat(keysFormat()) &&
           mime->data(processFormat()) == processToken();
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
