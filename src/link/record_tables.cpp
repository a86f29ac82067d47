#include "link/record_tables.h"

namespace vlr::link {

QString tableText(const QStringList& table, int index) {
    if (index < 0 || index >= table.size())
        return errorText();
    return table.at(index);
}

// The class names use Latin A, B, p, I, V; "И1".."И9" the Cyrillic И.
const QStringList& oskDependencyNumbers() {
    static const QStringList table{
        QStringLiteral("A-I"), QStringLiteral("Bp-I"), QStringLiteral("A-III"),
        QStringLiteral("И1"),  QStringLiteral("И2"),   QStringLiteral("И3"),
        QStringLiteral("И4"),  QStringLiteral("И5"),   QStringLiteral("И6"),
        QStringLiteral("И7"),  QStringLiteral("И8"),   QStringLiteral("И9")};
    return table;
}

const QStringList& oskReinforcementClasses() {
    static const QStringList table{QStringLiteral("A-I"),   QStringLiteral("Bp-I"),
                                   QStringLiteral("A-III"), QStringLiteral("Bp-II"),
                                   QStringLiteral("A-IV"),  QStringLiteral("A-V"),
                                   QStringLiteral("A-VI")};
    return table;
}

const QStringList& oskProductTypes() {
    static const QStringList table{QStringLiteral("Изделие"),
                                   QStringLiteral("Плита"),
                                   QStringLiteral("Панель"),
                                   QStringLiteral("Внутренняя стена"),
                                   QStringLiteral("Наружная стена"),
                                   QStringLiteral("Балка"),
                                   QStringLiteral("Блок"),
                                   QStringLiteral("Ригель"),
                                   QStringLiteral("Ферма"),
                                   QStringLiteral("Колонна"),
                                   QStringLiteral("Свая")};
    return table;
}

const QStringList& pressMaterials() {
    static const QStringList table{
        QStringLiteral("Бетон тяжелый"),    QStringLiteral("Бетон легкий"),
        QStringLiteral("Бетон ячеистый"),   QStringLiteral("Полистеролбетон"),
        QStringLiteral("Раствор"),          QStringLiteral("Асфальтобетон"),
        QStringLiteral("Кирпич (h=65 мм)"), QStringLiteral("Кирпич (h=88 мм)"),
        QStringLiteral("Цемент"),           QStringLiteral("Гипс"),
        QStringLiteral("Щебень"),           QStringLiteral("Шлакоблок"),
        QStringLiteral("Заполнитель")};
    return table;
}

const QStringList& pressShapes() {
    static const QStringList table{QStringLiteral("Куб"), QStringLiteral("Цилиндр")};
    return table;
}

const QStringList& pressMethods() {
    static const QStringList table{QStringLiteral("Сжатие"), QStringLiteral("Изгиб"),
                                   QStringLiteral("Раскол"), QStringLiteral("Схема Маршалла"),
                                   QStringLiteral("Одноосное сжатие")};
    return table;
}

const QStringList& pressRateUnits() {
    static const QStringList table{QStringLiteral("Мпа/с"), QStringLiteral("кН/с"),
                                   QStringLiteral("мм/Мин")};
    return table;
}

}  // namespace vlr::link
