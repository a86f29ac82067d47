#pragma once

#include <QString>

#include <vector>

namespace vlr::store {

class Database;

// One saved file made from received rows.
struct ReceivedRowsFile {
    QString name;
    int fileNameId = 0;
    int fileKind = 0;    // DeviceListId of the file: 1, 2 or 5
    int deviceNArc = 0;  // the archive its rows came from
    int rows = 0;
};

// The kind of file that takes the received rows of an instrument's archive, as the document
// windows accept them: OSK rows into OSK files (1), press rows of every subtype and the strength
// archive of the asphalt variant into press files (2), its asphalt archive into asphalt files
// (5). 0 when no file kind takes them.
int fileKindForReceivedRows(int deviceListId, int deviceNArc);

// Gathers the received rows of one instrument kind into new saved files named name, one per
// archive that holds rows, each in the order the receive view lists them (N, then DateTime).
// When both archives of the asphalt variant hold rows, the file of the asphalt archive is named
// "name (Асфальтобетон)" (name cut to leave room), so that the two files can be told apart.
// Archives without rows make no file. The files and their rows are made in one transaction: a
// database failure leaves no new file and throws StoreError saying that the file is not saved.
std::vector<ReceivedRowsFile> saveReceivedRows(const Database& database, const QString& name,
                                               int deviceListId, int archiveCount);

}  // namespace vlr::store
