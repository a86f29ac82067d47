#pragma once

#include <QString>

#include <functional>

namespace vlr::app {

// How a compaction ended: on failure, the message text for the user.
struct CompactionOutcome {
    bool succeeded = false;
    QString message;
};

// Points at which a test can break a compaction half-way; throwing from one fails it.
struct CompactionSteps {
    // Called once the compacted copy is complete on disk, before it replaces the source.
    std::function<void(const QString& compactedCopy)> beforeReplace;
};

// Compacts the database file at source. With a destination, the compacted copy is written
// there (an existing file of that name is replaced) and the source is left as it is. Without,
// the copy goes to a new "mdb<hex>.tmp" in the source's folder and then takes the source's
// place in one rename, so the database is always whole under its name: whatever fails, the
// source keeps all its data and the temporary file is removed. In place, a database any other
// connection has open is not compacted, and no write-ahead log is left beside the new file.
// A log or journal left beside a destination is discarded with the file it belonged to (the
// engine drops those of a file it finds empty). The database files carry no password: a
// non-empty one is refused.
CompactionOutcome CompactDatabaseFile(const QString& source, const QString& destination,
                                      const QString& password,
                                      const CompactionSteps& steps = CompactionSteps());

// Removes the temporary files "mdb<hex>.tmp" that a compaction cut short by a crash left in
// folder.
void removeLeftoverCompactionFiles(const QString& folder);

}  // namespace vlr::app
