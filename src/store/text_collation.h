#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

struct sqlite3;

namespace vlr::store {

// The one order of texts everywhere (catalog, document grids, printing, export): Russian,
// without regard to case, Cyrillic before Latin; texts that compare equal so are ordered by
// their UTF-8 bytes, so the order is total and equal texts differ only when they are the same.
// Statements name it as the collation ru_ci; the same order is used in memory.
inline constexpr char kTextCollation[] = "ru_ci";

// Whether a column's values sort in this order: the record row's texts T1..T10 and Comment,
// and the catalog's FileName. Other columns sort by value (numbers) or by their bytes (the
// stored date-times).
bool sortsAsText(const QString& column);

// Negative, zero or positive as a sorts before, with or after b.
int compareTexts(QStringView a, QStringView b);
int compareUtf8Texts(QByteArrayView a, QByteArrayView b);

// The place of each text in the order, from 0; only identical texts share one. Sorting many
// records by few distinct texts this way costs one collation key per text instead of one
// collation per comparison.
std::vector<int> rankTexts(const QStringList& texts);

// Gives the connection's statements the collation ru_ci. Throws StoreError on failure.
void addTextCollation(sqlite3* connection);

}  // namespace vlr::store
