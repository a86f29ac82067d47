#include "docs/document_kind.h"

namespace vlr::docs {
namespace {

ExportColumn exportColumn(const char* header, const char* field) {
    const QString name = QString::fromLatin1(field);
    FieldType type = FieldType::Text;
    if (name == QLatin1String("N"))
        type = FieldType::Integer;
    else if (name == QLatin1String("DateTime"))
        type = FieldType::DateTime;
    else if (name.startsWith(QLatin1Char('F')))
        type = FieldType::Number;
    return ExportColumn{QString::fromUtf8(header), name, type};
}

using Columns = QVector<ExportColumn>;

// The first header is the Latin letter N, not the grid's "№".
Columns leadingColumns() {
    return {exportColumn("N", "N"), exportColumn("Дата/Время", "DateTime")};
}

// VTR and its asphalt variant share the columns up to the size.
Columns specimenColumns() {
    return {exportColumn("№ серии", "F1"),   exportColumn("№ образца", "F2"),
            exportColumn("Материал", "T1"),  exportColumn("Метод испытания", "T7"),
            exportColumn("P, кН", "F3"),     exportColumn("R, МПа", "T8"),
            exportColumn("Размер, мм", "T2")};
}

ExportColumn commentColumn() {
    return exportColumn("Примечание", "Comment");
}

}  // namespace

const ExportColumn* DocumentKind::column(const QString& field) const {
    for (const ExportColumn& candidate : columns) {
        if (candidate.field.compare(field, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const DocumentKind& oskKind() {
    static const DocumentKind kind{
        1, QStringLiteral("ОСК-К9"),
        leadingColumns() + Columns{exportColumn("Режим", "T4"), exportColumn("№ зависимости", "T1"),
                                   exportColumn("Класс арматуры", "T2"),
                                   exportColumn("Тип изделия", "T3"), exportColumn("d, мм", "F1"),
                                   exportColumn("H, мм", "F2"), commentColumn()}};
    return kind;
}

const DocumentKind& vtrKind() {
    static const DocumentKind kind{
        2, QStringLiteral("ВТР-К9"),
        leadingColumns() + specimenColumns() +
            Columns{exportColumn("K", "F5"), exportColumn("V", "T9"), commentColumn()}};
    return kind;
}

// Two headers end in a blank, as the original sheets have them.
const DocumentKind& vtrAsphaltKind() {
    static const DocumentKind kind{
        5, QStringLiteral("ВТР-К9 Асфальтобетон"),
        leadingColumns() + specimenColumns() +
            Columns{exportColumn("Перемещение L,мм.", "F5"),
                    exportColumn("Скорость нагружения V, мм/мин. ", "T9"),
                    exportColumn("Работа A, Дж. ", "F10"), commentColumn()}};
    return kind;
}

const DocumentKind* documentKindFor(int deviceListId) {
    switch (deviceListId) {
        case 1:
            return &oskKind();
        case 2:
        case 3:
        case 4:
            return &vtrKind();
        case 5:
            return &vtrAsphaltKind();
        default:
            return nullptr;
    }
}

}  // namespace vlr::docs
