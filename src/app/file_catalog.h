#pragma once

#include "store/database.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <optional>

namespace vlr::app {

// One saved file as the catalog list shows it.
struct CatalogEntry {
    int fileNameId = 0;
    QString fileName;
    int deviceListId = 0;
    QDateTime dataTime;  // creation time, local
    QString station;     // the station that saved it
    bool operator==(const CatalogEntry& other) const {
        return fileNameId == other.fileNameId && fileName == other.fileName &&
               deviceListId == other.deviceListId && dataTime == other.dataTime &&
               station == other.station;
    }
};

// The file operations of the main window on the program's database. Names typed by the user
// reach the statements only as bound parameters. Every operation reports its failure by its
// result; none shows anything.
class FileCatalog {
public:
    explicit FileCatalog(const store::Database& database) : database_(database) {}

    // Inserts a catalog row; its FileNameId, or nothing when the insert failed. The id is the
    // inserted row's key, so two temporary files of one name can never be mixed up.
    std::optional<int> CreateCatalogFile(const QString& name, bool saved, int deviceListId) const;

    // The file's saved state; false when its row cannot be read.
    bool IsFileSaved(int fileNameId) const;

    // Whether the file's catalog row is there (another station may have deleted the file);
    // nothing when the catalog cannot be read now.
    std::optional<bool> fileExists(int fileNameId) const;

    // Names the file and marks it saved; false when the statement failed (a name longer than
    // the column's 50 characters among others), the file then stays temporary.
    bool saveFile(int fileNameId, const QString& name) const;

    // Removes the file's records, then its catalog row; false as soon as either fails.
    bool deleteFile(int fileNameId) const;

    // The saved files by name, then creation time; nothing when the list cannot be read.
    std::optional<QVector<CatalogEntry>> savedFiles() const;

private:
    const store::Database& database_;
};

}  // namespace vlr::app
