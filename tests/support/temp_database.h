#pragma once

#include "store/database.h"
#include "support/qt_printers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vlr::test {

// The two databases a statement runs on.
enum class Backend { File, Server };

// A fresh database for the test: a file in its own temporary folder, or (backend() Server) a new
// database on the test binary's PostgreSQL server.
class TempDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Only what SetUp does before opening: the location of a database not made yet (a file
    // path in the test's folder, or an empty database on the server).
    void makeLocation();
    virtual Backend backend() const { return Backend::File; }
    QString databasePath() const;
    // The location the test's database was opened at.
    store::DatabaseLocation location() const { return location_; }
    // Number of rows of a table, or of the rows matching a condition.
    int count(const QString& table, const QString& where = QString()) const;
    // The first column of the first row a query returns; an invalid QVariant when there is none
    // or the query fails. Bracket quoting is taken away on a server.
    QVariant firstValue(const QString& sql) const;
    // A Catalog row made by ADOQuery_CreateFile; returns its FileNameId.
    int createFile(const QString& name, int deviceListId, bool saved);

    QTemporaryDir dir_;
    store::Database db_;
    store::DatabaseLocation location_;
};

// The same tests on a local file and on a server: derive, write TEST_P, and instantiate with
// VLR_ON_BOTH_DATABASES(Suite). Fixture is TempDatabaseTest or a fixture derived from it.
template <class Fixture>
class OnBothDatabases : public Fixture, public ::testing::WithParamInterface<Backend> {
protected:
    Backend backend() const override { return GetParam(); }
};
using BothDatabasesTest = OnBothDatabases<TempDatabaseTest>;

// A value as a local file holds it: a server's date-time as the stored text, a server's real as
// the single itself (others unchanged).
QString storedText(const QVariant& value);
double storedSingle(const QVariant& value);

std::string backendName(const ::testing::TestParamInfo<Backend>& info);

#define VLR_ON_BOTH_DATABASES(suite)                                                 \
    INSTANTIATE_TEST_SUITE_P(                                                        \
        Databases, suite,                                                            \
        ::testing::Values(::vlr::test::Backend::File, ::vlr::test::Backend::Server), \
        ::vlr::test::backendName)

}  // namespace vlr::test
