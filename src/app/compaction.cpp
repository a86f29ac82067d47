#include "app/compaction.h"

#include "store/store_error.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>

namespace vlr::app {
namespace {

using store::StoreError;

QString systemError(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// A connection of its own to one file, removed with the object.
class Connection {
public:
    Connection(const QString& path, const QString& options) {
        static QAtomicInteger<int> counter;
        name_ = QStringLiteral("vlr-compact-%1").arg(counter.fetchAndAddRelaxed(1));
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        db.setConnectOptions(options);
        if (!db.open())
            throw StoreError(db.lastError().text());
    }
    ~Connection() {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const QString& text, const QString& boundValue = QString()) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        run(query, text, boundValue);
    }

    // The first column of the first row the statement returns.
    QString value(const QString& text) {
        QSqlQuery query(QSqlDatabase::database(name_, false));
        run(query, text, QString());
        if (!query.next())
            throw StoreError(QStringLiteral("no result from %1").arg(text));
        return query.value(0).toString();
    }

private:
    static void run(QSqlQuery& query, const QString& text, const QString& boundValue) {
        if (!query.prepare(text))
            throw StoreError(query.lastError().text());
        if (!boundValue.isNull())
            query.addBindValue(boundValue);
        if (!query.exec())
            throw StoreError(query.lastError().text());
    }

    QString name_;
};

// A file this compaction made; removed unless it was handed over.
class OwnedFile {
public:
    explicit OwnedFile(QString path) : path_(std::move(path)) {}
    ~OwnedFile() {
        if (!path_.isEmpty())
            QFile::remove(path_);
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;
    const QString& path() const { return path_; }
    void release() { path_.clear(); }

private:
    QString path_;
};

const QRegularExpression& temporaryFileName() {
    static const QRegularExpression pattern(QStringLiteral("^mdb[0-9A-F]{1,4}\\.tmp$"));
    return pattern;
}

// Creates an empty file "mdb<hex>.tmp" of a name nobody else has in the folder. It stays
// reserved until the compacted copy is written into it.
QString createUniqueTemporaryFile(const QString& folder) {
    const quint32 start = QRandomGenerator::global()->bounded(0x10000u);
    for (quint32 attempt = 0; attempt < 0x10000u; ++attempt) {
        const QString hex = QString::number((start + attempt) & 0xFFFFu, 16).toUpper();
        const QString path = QDir(folder).filePath(QStringLiteral("mdb%1.tmp").arg(hex));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (file.exists())
            continue;
        throw StoreError(QStringLiteral("cannot create a temporary file in %1: %2")
                             .arg(QDir::toNativeSeparators(folder), file.errorString()));
    }
    throw StoreError(
        QStringLiteral("no free temporary file name in %1").arg(QDir::toNativeSeparators(folder)));
}

void syncToDisk(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        throw StoreError(systemError(QDir::toNativeSeparators(path)));
    const int result = ::fsync(fd);
    ::close(fd);
    if (result != 0)
        throw StoreError(systemError(QDir::toNativeSeparators(path)));
}

QString folderOf(const QString& source) {
    const QString folder = QFileInfo(source).path();
    return folder.isEmpty() ? QDir::currentPath() : folder;
}

// A write-ahead log left beside a file that another one replaced would be played back onto
// the new file and damage it. Switching back to the plain journal (pragma "journal_mode=DELETE")
// folds the log into the file and removes it; the switch needs the file to itself, so it fails
// while any other connection has the database open. The next open turns the log on again.
// pragma either switches or reads the mode; anything but the plain journal fails the compaction.
void requirePlainJournal(Connection& connection, const QString& pragma, const QString& source) {
    if (connection.value(pragma) != QLatin1String("delete"))
        throw StoreError(QStringLiteral("%1 is in use by another program")
                             .arg(QDir::toNativeSeparators(source)));
}

void compactInPlace(const QString& source, const CompactionSteps& steps) {
    const QString folder = folderOf(source);
    OwnedFile target(createUniqueTemporaryFile(folder));
    // Holding the write lock from the copy to the rename keeps every other writer out: a writer
    // already busy fails the compaction here, and no change can be made to the old file after
    // it was copied.
    Connection writeLock(source, QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    requirePlainJournal(writeLock, QStringLiteral("PRAGMA journal_mode=DELETE"), source);
    writeLock.exec(QStringLiteral("BEGIN IMMEDIATE"));
    // Another program may have turned the log on again before the lock was taken.
    requirePlainJournal(writeLock, QStringLiteral("PRAGMA journal_mode"), source);
    {
        Connection reader(source,
                          QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
        // Writes into the reserved empty file, which the engine accepts as a new database.
        reader.exec(QStringLiteral("VACUUM INTO ?"), target.path());
    }
    syncToDisk(target.path(), O_RDONLY);
    if (steps.beforeReplace)
        steps.beforeReplace(target.path());
    if (std::rename(QFile::encodeName(target.path()).constData(),
                    QFile::encodeName(source).constData()) != 0)
        throw StoreError(
            systemError(QStringLiteral("cannot replace %1").arg(QDir::toNativeSeparators(source))));
    target.release();
    // The rename itself is made durable with the folder.
    syncToDisk(folder, O_RDONLY | O_DIRECTORY);
}

void compactInto(const QString& source, const QString& destination) {
    // Replacing the destination first would destroy a source given as its own destination.
    if (QFileInfo(destination).canonicalFilePath() == QFileInfo(source).canonicalFilePath())
        throw StoreError(QStringLiteral("%1 cannot be compacted into itself")
                             .arg(QDir::toNativeSeparators(source)));
    if (QFileInfo::exists(destination) && !QFile::remove(destination))
        throw StoreError(
            QStringLiteral("cannot replace %1").arg(QDir::toNativeSeparators(destination)));
    OwnedFile target(destination);
    {
        Connection reader(source,
                          QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=1000"));
        reader.exec(QStringLiteral("VACUUM INTO ?"), destination);
    }
    syncToDisk(destination, O_RDONLY);
    target.release();
}

}  // namespace

void removeLeftoverCompactionFiles(const QString& folder) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("mdb*.tmp")}, QDir::Files)) {
        if (temporaryFileName().match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

CompactionOutcome CompactDatabaseFile(const QString& source, const QString& destination,
                                      const QString& password, const CompactionSteps& steps) {
    try {
        if (!password.isEmpty())
            throw StoreError(QStringLiteral("database files with a password are not supported"));
        if (!QFileInfo(source).isFile())
            throw StoreError(QStringLiteral("there is no database file %1")
                                 .arg(QDir::toNativeSeparators(source)));
        if (destination.isEmpty())
            compactInPlace(source, steps);
        else
            compactInto(source, destination);
        return {true, QString()};
    } catch (const StoreError& error) {
        return {false, error.message()};
    } catch (const std::exception& error) {
        return {false, QString::fromUtf8(error.what())};
    }
}

}  // namespace vlr::app
