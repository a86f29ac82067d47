#include "app/file_catalog.h"

#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"

namespace vlr::app {
namespace {

const QString kFileNameId = QStringLiteral("PFileNameId");
const QString kFileName = QStringLiteral("PFileName");

}  // namespace

std::optional<int> FileCatalog::CreateCatalogFile(const QString& name, bool saved,
                                                  int deviceListId) const {
    try {
        store::Query insert(database_, store::ADOQuery_CreateFile());
        insert.set(kFileName, name)
            .set(QStringLiteral("PFileSaved"), saved)
            .set(QStringLiteral("PDeviceListId"), deviceListId);
        insert.exec();
        const QVariant key = insert.lastInsertedKey();
        bool isNumber = false;
        const int id = key.toInt(&isNumber);
        if (!isNumber)
            return std::nullopt;
        return id;
    } catch (const store::StoreError&) {
        return std::nullopt;
    }
}

bool FileCatalog::IsFileSaved(int fileNameId) const {
    try {
        store::Query find(database_, store::ADOQuery_FindFile());
        QSqlQuery& rows = find.set(kFileNameId, fileNameId).open();
        return rows.next() && rows.value(QStringLiteral("FileSaved")).toBool();
    } catch (const store::StoreError&) {
        return false;
    }
}

std::optional<bool> FileCatalog::fileExists(int fileNameId) const {
    try {
        store::Query find(database_, store::ADOQuery_FindFile());
        return find.set(kFileNameId, fileNameId).open().next();
    } catch (const store::StoreError&) {
        return std::nullopt;
    }
}

bool FileCatalog::saveFile(int fileNameId, const QString& name) const {
    try {
        store::Query(database_, store::ADOQuery_SaveFile())
            .set(kFileNameId, fileNameId)
            .set(kFileName, name)
            .exec();
        return true;
    } catch (const store::StoreError&) {
        return false;
    }
}

bool FileCatalog::deleteFile(int fileNameId) const {
    try {
        store::Query(database_, store::ADOQuery_DeleteData()).set(kFileNameId, fileNameId).exec();
        store::Query(database_, store::ADOQuery_DeleteFile()).set(kFileNameId, fileNameId).exec();
        return true;
    } catch (const store::StoreError&) {
        return false;
    }
}

std::optional<QVector<CatalogEntry>> FileCatalog::savedFiles() const {
    try {
        store::Query search(database_, store::ADOQuery_CatalogSearch());
        QSqlQuery& rows = search.open();
        QVector<CatalogEntry> entries;
        while (rows.next()) {
            entries.append({rows.value(QStringLiteral("FileNameId")).toInt(),
                            rows.value(QStringLiteral("FileName")).toString(),
                            rows.value(QStringLiteral("DeviceListId")).toInt(),
                            store::fromStoredDateTime(rows.value(QStringLiteral("DataTime"))),
                            rows.value(QStringLiteral("Station")).toString()});
        }
        return entries;
    } catch (const store::StoreError&) {
        return std::nullopt;
    }
}

}  // namespace vlr::app
