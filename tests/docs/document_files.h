#pragma once

#include "docs/document_kind.h"
#include "support/temp_database.h"

#include <QJsonArray>
#include <QSqlQuery>

#include <QString>
#include <QVariantMap>

namespace vlr::test {

// A database with files of every kind, filled record by record the way the tests need them.
class DocumentFilesTest : public TempDatabaseTest {
protected:
    // A saved catalog row of the kind; returns its FileNameId.
    int addSavedFile(const QString& name, int deviceListId);
    // One record of a file. Fields are record-row names ("N", "DateTime", "F3", "Comment"); a
    // DateTime is given as stored text "yyyy-MM-dd HH:mm:ss"; fields left out stay null.
    void addRecord(int fileNameId, const QVariantMap& fields);
    // count records numbered 1..count, each with every field of the record row filled.
    void addNumberedRecords(int fileNameId, int count);
    // An export's header row, and the file's records read here on their own, the kind's
    // exported fields in column order, ordered by orderBy (SQL), each value as the engine gives
    // it (see storedText).
    QJsonArray exportHeader(const docs::DocumentKind& kind);
    QSqlQuery exportedRecords(int fileNameId, const docs::DocumentKind& kind,
                              const QString& orderBy);
};

}  // namespace vlr::test
