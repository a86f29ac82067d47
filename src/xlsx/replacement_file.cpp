#include "xlsx/replacement_file.h"

#include "xlsx/xlsx_error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace vlr::xlsx {

ReplacementFile::ReplacementFile(const QString& target) {
    // Saving over a link replaces the file it points to and keeps the link.
    const QFileInfo given(target);
    const QFileInfo resolved(given.isSymLink() ? given.symLinkTarget() : target);
    target_ = QFile::encodeName(resolved.absoluteFilePath());
    if (resolved.isDir())
        throwSystemError(EISDIR);
    // A read-only file stays as it is, as the system would keep it when written in place.
    if (resolved.exists() && ::access(target_.constData(), W_OK) != 0)
        throwSystemError(errno);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/.%2.%3.tmp")
                .arg(resolved.absolutePath(), resolved.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray path = QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            path_ = path;
            return;
        }
        if (errno != EEXIST)
            throwSystemError(errno);
    }
    throwSystemError(EEXIST);
}

ReplacementFile::~ReplacementFile() {
    if (!committed_)
        ::unlink(path_.constData());
}

void ReplacementFile::commit() {
    const int fd = ::open(path_.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throwSystemError(errno);
    const bool synced = ::fsync(fd) == 0;
    const int syncError = errno;
    ::close(fd);
    if (!synced)
        throwSystemError(syncError);
    if (::rename(path_.constData(), target_.constData()) != 0)
        throwSystemError(errno);
    committed_ = true;
}

}  // namespace vlr::xlsx
