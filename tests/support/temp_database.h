#pragma once

#include "store/database.h"

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

    QTemporaryDir dir_;
    store::Database db_;
};

}  // namespace vlr::test
