#include "store/received_rows_file.h"

#include "store/database.h"
#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/transaction.h"

#include <QSqlQuery>

namespace vlr::store {
namespace {

std::vector<int> receivedRowIds(const Database& database, int deviceListId, int deviceNArc) {
    Query search(database, ADOQuery_CommSearch());
    QSqlQuery& rows = search.set(QStringLiteral("PDeviceListId"), deviceListId)
                          .set(QStringLiteral("PDeviceNArc"), deviceNArc)
                          .open();
    std::vector<int> ids;
    while (rows.next())
        ids.push_back(rows.value(QStringLiteral("DataId")).toInt());
    return ids;
}

int createSavedFile(const Database& database, const QString& name, int fileKind) {
    Query create(database, ADOQuery_CreateFile());
    create.set(QStringLiteral("PFileName"), name)
        .set(QStringLiteral("PDeviceListId"), fileKind)
        .set(QStringLiteral("PFileSaved"), true)
        .exec();
    // The key of this very insert: another station may save a file of the same name meanwhile.
    bool isNumber = false;
    const int id = create.lastInsertedKey().toInt(&isNumber);
    if (!isNumber || id <= 0)
        throw StoreError(QStringLiteral("the new file is not in the catalog"));
    return id;
}

// The name of a save's file of the given kind when an earlier file of the same save has the
// name itself.
QString secondFileName(const QString& name, int fileKind) {
    const QString word =
        fileKind == 5 ? QStringLiteral(" (Асфальтобетон)") : QStringLiteral(" (2)");
    const int room = ADOQuery_CreateFile().params.first().size - int(word.size());
    QString kept = name.left(room);
    if (!kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept + word;
}

std::vector<ReceivedRowsFile> copyIntoNewFiles(const Database& database, const QString& name,
                                               int deviceListId, int archiveCount) {
    std::vector<ReceivedRowsFile> files;
    for (int archive = 0; archive < archiveCount; ++archive) {
        const int fileKind = fileKindForReceivedRows(deviceListId, archive);
        if (fileKind == 0)
            continue;
        const std::vector<int> ids = receivedRowIds(database, deviceListId, archive);
        if (ids.empty())
            continue;
        const QString fileName = files.empty() ? name : secondFileName(name, fileKind);
        ReceivedRowsFile file{fileName, createSavedFile(database, fileName, fileKind), fileKind,
                              archive, 0};
        Query copy(database, ADOQuery_CopyRec());
        copy.set(QStringLiteral("PFileNameId"), file.fileNameId);
        for (int id : ids)
            file.rows += copy.set(QStringLiteral("PDataId"), id).exec();
        files.push_back(file);
    }
    return files;
}

}  // namespace

int fileKindForReceivedRows(int deviceListId, int deviceNArc) {
    if (deviceListId == 1 && deviceNArc == 0)
        return 1;
    if (deviceListId >= 2 && deviceListId <= 5 && deviceNArc == 0)
        return 2;
    if (deviceListId == 5 && deviceNArc == 1)
        return 5;
    return 0;
}

std::vector<ReceivedRowsFile> saveReceivedRows(const Database& database, const QString& name,
                                               int deviceListId, int archiveCount) {
    // All the files and all their rows, or nothing: a file saved with part of its rows would
    // pass for the whole archive.
    try {
        beginTransaction(database);
        try {
            std::vector<ReceivedRowsFile> files =
                copyIntoNewFiles(database, name, deviceListId, archiveCount);
            commitTransaction(database);
            return files;
        } catch (...) {
            rollbackTransaction(database);
            throw;
        }
    } catch (const StoreError& error) {
        throw StoreError(QStringLiteral("файл \"%1\" не сохранён: %2").arg(name, error.message()));
    }
}

}  // namespace vlr::store
