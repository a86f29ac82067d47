#pragma once

#include <QString>

namespace vlr::xlsx {

// The longest sheet name a workbook holds.
constexpr int kSheetNameLength = 31;

// The name of a workbook's sheet (index from 0) that shows a file of the given name: the
// characters a sheet name cannot hold ([ ] : * ? / \, an apostrophe at either end) become
// '_', and the name is cut to 31 characters without splitting a character outside the Basic
// Multilingual Plane. Further sheets end in " (2)", " (3)", ..., so no two sheets share a name.
// A blank name gives "Лист1", "Лист2", ....
QString sheetName(const QString& fileName, int index);

}  // namespace vlr::xlsx
