#pragma once

#include "store/row_source.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantMap>

#include <map>
#include <vector>

struct pg_result;

namespace vlr::store {

class Database;
struct Statement;

// The rows of one statement on a server, read straight from libpq in their binary form: a value
// is read where it lies, without the QVariant per value of Qt's driver, which was most of the
// time a file of 65,535 records took to open or export. The values a local file gives come out:
// a real as its single, a timestamp as its stored text. Failures throw StoreError naming the
// server when it is gone; so does a column of a type the program's tables never hold.
class ServerRows : public RowSource {
public:
    // text is the statement's text for the server, with the named placeholders of statement.
    ServerRows(const Database& database, const Statement& statement, const QString& text,
               const QVariantMap& values);
    ~ServerRows() override;
    ServerRows(const ServerRows&) = delete;
    ServerRows& operator=(const ServerRows&) = delete;

    int columnIndex(const QString& name) const override;
    bool next() override;

    bool isNull(int column) const override;
    double number(int column) const override;
    int integer(int column) const override;
    QByteArrayView utf8(int column) const override;

private:
    enum class Kind { Boolean, Int2, Int4, Int8, Single, Double, Numeric, Timestamp, Text };
    static const std::map<unsigned int, Kind> kKindsOfTypes;

    pg_result* result_ = nullptr;
    int rowCount_ = 0;
    int row_ = -1;
    std::vector<Kind> kinds_;
    mutable std::vector<QByteArray> texts_;  // this row's values written as texts, per column
};

// The statement's text with its named placeholders (":PFileNameId") as libpq's positional ones
// ("$1"), each declared name numbered in the order of names; quoted texts are left alone.
// Returns the text and the names in their numbers' order.
std::pair<QString, QStringList> positionalText(const QString& text, const Statement& statement);

}  // namespace vlr::store
