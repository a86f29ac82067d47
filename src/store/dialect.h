#pragma once

#include <QString>

namespace vlr::store {

class Database;

// A statement's text as the database's engine takes it. The texts are written for SQLite; on a
// server the bracket quoting goes (the names are the same unquoted) and single_decimal(x), the
// decimal a single stands for, becomes the same rounding of the single's shortest exact text,
// and each term of an order puts nulls where the file puts them.
// On a SQLite whose library the program cannot reach, single_decimal(x) is x itself.
QString engineText(const Database& database, const QString& text);

}  // namespace vlr::store
