#pragma once

#include <QString>
#include <QStringList>

namespace vlr::link {

// The text stored for an index that a table has no entry for.
inline QString errorText() {
    return QStringLiteral("---Ошибка---");
}

// The entry at index, or errorText() outside the table.
QString tableText(const QStringList& table, int index);

// Tables of the OSK instrument.
const QStringList& oskDependencyNumbers();
const QStringList& oskReinforcementClasses();
const QStringList& oskProductTypes();

// Tables shared by the press and its asphalt variant.
const QStringList& pressMaterials();
const QStringList& pressShapes();
const QStringList& pressMethods();
const QStringList& pressRateUnits();

}  // namespace vlr::link
