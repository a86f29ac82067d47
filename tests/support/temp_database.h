#pragma once

#include "store/database.h"
#include "support/qt_printers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vlr::test {

// A fresh database file in its own temporary folder, opened for the test.
class TempDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    QString databasePath() const;
    // Number of rows of a table, or of the rows matching a condition.
    int count(const QString& table, const QString& where = QString()) const;
    // The first column of the first row a query returns; an invalid QVariant when there is none
    // or the query fails.
    QVariant firstValue(const QString& sql) const;
    // A Catalog row made by ADOQuery_CreateFile; returns its FileNameId.
    int createFile(const QString& name, int deviceListId, bool saved);

    QTemporaryDir dir_;
    store::Database db_;
};

}  // namespace vlr::test
