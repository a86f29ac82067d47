#include "docs/document_kind.h"

namespace vlr::docs {
namespace {

constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
// Notes read from the left; it is also the grid's own alignment for a column that sets none.
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

constexpr DisplayFormat kNone = DisplayFormat::None;
constexpr DisplayFormat k0_0 = DisplayFormat::OneDecimal;
constexpr DisplayFormat k0_00 = DisplayFormat::TwoDecimals;

// Titles are centred unless a column says otherwise.
GridColumn shown(const char* field, const char* title, int width, Qt::Alignment alignment,
                 DisplayFormat format = kNone) {
    return GridColumn{QString::fromLatin1(field),
                      QString::fromUtf8(title),
                      width,
                      alignment,
                      kCentre,
                      format,
                      false};
}

GridColumn shownWithGridDefaults(const char* field, const char* title, int width) {
    GridColumn column = shown(field, title, width, kLeft);
    column.titleAlignment = kLeft;
    return column;
}

GridColumn hidden(const char* field, const char* title = "", int width = kDefaultColumnWidth) {
    GridColumn column = shown(field, title, width, kCentre);
    column.hidden = true;
    return column;
}

GridColumn hiddenShape() {
    return hidden("T3", "Форма", 87);
}

ReportColumn printed(int x, int width, const char* heading, const char* field,
                     DisplayFormat format = kNone, CellHalf half = CellHalf::Whole) {
    return ReportColumn{
        x, width, half, QString::fromUtf8(heading), QString::fromLatin1(field), format, kCentre};
}

ReportColumn printedNote(int x, int width) {
    ReportColumn column = printed(x, width, "Примечание", "Comment");
    column.alignment = kLeft;
    return column;
}

using ReportColumns = QVector<ReportColumn>;

ReportColumns leadingPrinted(int numberWidth) {
    return {printed(72, numberWidth, "N", "N"),
            printed(72 + numberWidth, 80, "Дата/\nВремя", "DateTime")};
}

// The series number stacked over the specimen number in one column.
ReportColumns specimenPrinted(int x, int width) {
    return {printed(x, width, "№ серии", "F1", kNone, CellHalf::Upper),
            printed(x, width, "№ образца", "F2", kNone, CellHalf::Lower)};
}

ExportColumn exportColumn(const char* header, const char* field) {
    const QString name = QString::fromLatin1(field);
    return ExportColumn{QString::fromUtf8(header), name, fieldTypeOf(name)};
}

using ExportColumns = QVector<ExportColumn>;

// The first header is the Latin letter N, not the grid's "№".
ExportColumns leadingColumns() {
    return {exportColumn("N", "N"), exportColumn("Дата/Время", "DateTime")};
}

// VTR and its asphalt variant share the columns up to the size.
ExportColumns specimenColumns() {
    return {exportColumn("№ серии", "F1"),   exportColumn("№ образца", "F2"),
            exportColumn("Материал", "T1"),  exportColumn("Метод испытания", "T7"),
            exportColumn("P, кН", "F3"),     exportColumn("R, МПа", "T8"),
            exportColumn("Размер, мм", "T2")};
}

ExportColumn commentColumn() {
    return exportColumn("Примечание", "Comment");
}

}  // namespace

FieldType fieldTypeOf(const QString& field) {
    if (field == QLatin1String("N"))
        return FieldType::Integer;
    if (field == QLatin1String("DateTime"))
        return FieldType::DateTime;
    if (field.startsWith(QLatin1Char('F')) && field != QLatin1String("FileNameId"))
        return FieldType::Number;
    return FieldType::Text;
}

const GridColumn* GridTable::column(const QString& field) const {
    for (const GridColumn& candidate : columns) {
        if (candidate.field.compare(field, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const ExportColumn* DocumentKind::column(const QString& field) const {
    for (const ExportColumn& candidate : columns) {
        if (candidate.field.compare(field, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const DocumentKind& oskKind() {
    static const DocumentKind kind{
        1,
        QStringLiteral("ОСК-К9"),
        leadingColumns() +
            ExportColumns{exportColumn("Режим", "T4"), exportColumn("№ зависимости", "T1"),
                          exportColumn("Класс арматуры", "T2"), exportColumn("Тип изделия", "T3"),
                          exportColumn("d, мм", "F1"), exportColumn("H, мм", "F2"),
                          commentColumn()},
        GridTable{
            QStringLiteral("DBGridPro_OSK"),
            2,
            {hidden("DataId"), shown("N", "№", 53, kCentre),
             shown("DateTime", "Дата/Время", 97, kCentre), shown("T4", "Режим", 73, kCentre),
             shown("T1", "№ зависимости", 97, kCentre), shown("T2", "Класс арматуры", 69, kCentre),
             shown("T3", "Тип изделия", 71, kCentre), shown("F1", "d, мм", 72, kRight),
             shown("F2", "H, мм", 72, kRight), shown("Comment", "Примечание", 71, kLeft)}},
        GridTable{QStringLiteral("DBGridPro_COSK"),
                  2,
                  {shown("N", "№", 59, kCentre), shown("DateTime", "Дата/Время", 100, kCentre),
                   shown("T4", "Режим", 72, kCentre), shown("T1", "№ зависимости", 104, kCentre),
                   shown("T2", "Класс арматуры", 92, kCentre),
                   shown("T3", "Тип изделия", 93, kCentre), shown("F1", "d, мм", 89, kRight, k0_0),
                   shown("F2", "H, мм", 86, kRight, k0_0), hidden("DataId")}},
        ReportTable{QStringLiteral("frReport_OSK"), QStringLiteral("ADOQuery_PrintOSK"),
                    // The cover meter's report is titled with the earlier model's name.
                    QStringLiteral("ОСК-К8"), 111, 12,
                    leadingPrinted(61) + ReportColumns{printed(213, 94, "Режим", "T4"),
                                                       printed(307, 88, "№ завис-ти", "T1"),
                                                       printed(395, 88, "Класс арматуры", "T2"),
                                                       printed(483, 120, "Тип изделия", "T3"),
                                                       printed(603, 60, "d, мм", "F1", k0_0),
                                                       printed(663, 60, "H, мм", "F2", k0_0),
                                                       printedNote(723, 181)}}};
    return kind;
}

const DocumentKind& vtrKind() {
    static const DocumentKind kind{
        2,
        QStringLiteral("ВТР-К9"),
        leadingColumns() + specimenColumns() +
            ExportColumns{exportColumn("K", "F5"), exportColumn("V", "T9"), commentColumn()},
        GridTable{QStringLiteral("DBGridPro_VTR"),
                  1,
                  {shown("N", "№", 39, kCentre), shown("DateTime", "Дата/Время", 99, kCentre),
                   hidden("DataId"), shown("F1", "№ серии", 85, kCentre),
                   shown("F2", "№ образца", 85, kCentre), shown("T1", "Материал", 76, kCentre),
                   shownWithGridDefaults("T7", "Метод испытания", 42),
                   shown("F3", "P, кН", 49, kCentre, k0_0), shown("T8", "R, МПа", 69, kCentre),
                   hiddenShape(), shown("T2", "Размер, мм", 77, kCentre),
                   shown("F5", "K", 49, kCentre, k0_00), shown("T9", "V", 49, kCentre),
                   shown("Comment", "Примечание", 40, kLeft)}},
        GridTable{QStringLiteral("DBGridPro_CVTR"),
                  1,
                  {shown("N", "№", 43, kCentre), shown("DateTime", "Дата/Время", 109, kCentre),
                   hidden("DataId"), shown("F1", "№ серии", 93, kCentre),
                   shown("F2", "№ образца", 93, kCentre), shown("T1", "Материал", 83, kCentre),
                   shownWithGridDefaults("T7", "Метод испытания", 85),
                   shown("F3", "P, кН", 53, kCentre, k0_00), shown("T8", "R, МПа", 64, kCentre),
                   hiddenShape(), shown("T2", "Размер, мм", 71, kCentre),
                   shown("F5", "K", kDefaultColumnWidth, kCentre, k0_00),
                   shown("T9", "V ", kDefaultColumnWidth, kCentre)}},
        ReportTable{
            QStringLiteral("frReport_VTR"), QStringLiteral("ADOQuery_PrintVTR"),
            QStringLiteral("ВТР-К9"), 111, 12,
            leadingPrinted(61) + specimenPrinted(213, 102) +
                ReportColumns{
                    printed(315, 92, "Материал", "T1"), printed(407, 97, "Метод испытания", "T7"),
                    printed(504, 53, "P, кН", "F3", k0_0), printed(557, 61, "R, МПа", "T8", k0_00),
                    printed(618, 134, "Размер, мм", "T2"), printed(752, 60, "K", "F5", k0_00),
                    printed(812, 83, "V", "T9", k0_00), printedNote(895, 150)}}};
    return kind;
}

// Two export headers end in a blank, as the original sheets have them.
const DocumentKind& vtrAsphaltKind() {
    static const DocumentKind kind{
        5,
        QStringLiteral("ВТР-К9 Асфальтобетон"),
        leadingColumns() + specimenColumns() +
            ExportColumns{exportColumn("Перемещение L,мм.", "F5"),
                          exportColumn("Скорость нагружения V, мм/мин. ", "T9"),
                          exportColumn("Работа A, Дж. ", "F10"), commentColumn()},
        GridTable{QStringLiteral("DBGridPro_VTRA"),
                  1,
                  {shown("N", "№", 17, kCentre), shown("DateTime", "Дата/Время", 54, kCentre),
                   hidden("DataId"), shown("F1", "№ серии", 43, kCentre),
                   shown("F2", "№ образца", 43, kCentre), shown("T1", "Материал", 79, kCentre),
                   shown("T7", "Метод испытания", 62, kCentre),
                   shown("F3", "P, кН", 45, kCentre, k0_00), shown("T8", "R, МПа", 51, kCentre),
                   hiddenShape(), shown("T2", "Размер, мм", 73, kCentre),
                   shown("F5", "Перемещение L,мм.", 66, kCentre, k0_00),
                   shown("T9", "Скорость нагружения V, мм/мин. ", 66, kCentre),
                   shown("F10", "Работа A, Дж.", 62, kCentre, k0_00),
                   shown("Comment", "Примечание", 55, kLeft)},
                  11},
        GridTable{QStringLiteral("DBGridPro1"),
                  1,
                  {shown("N", "№", 16, kCentre), shown("DateTime", "Дата/Время", 63, kCentre),
                   hidden("DataId"), shown("F1", "№ серии", 52, kCentre),
                   shown("F2", "№ образца", 52, kCentre), shown("T1", "Материал", 94, kCentre),
                   shown("T7", "Метод испытания", 98, kCentre),
                   shown("F3", "P, кН", 42, kCentre, k0_00), shown("T8", "R, МПа", 46, kCentre),
                   hiddenShape(), shown("T2", "Размер, мм", 81, kCentre),
                   shown("F5", "Перемещение L,мм.", 66, kCentre, k0_0),
                   shown("T9", "Скорость нагружения V, мм/мин. ", 72, kCentre),
                   shown("F10", "Работа A, Дж.", 60, kCentre)}},
        ReportTable{
            QStringLiteral("frReport_VTR"), QStringLiteral("ADOQuery_PrintVTR"),
            QStringLiteral("ВТР-К9 Асфальтобетон"), 251, 11,
            leadingPrinted(45) + specimenPrinted(197, 84) +
                ReportColumns{
                    printed(281, 95, "Материал", "T1"), printed(376, 91, "Метод испытания", "T7"),
                    printed(467, 53, "P, кН", "F3", k0_0), printed(520, 53, "R, МПа", "T8"),
                    printed(573, 124, "Размер, мм", "T2"),
                    printed(697, 83, "Перемещение L,мм.", "F5", k0_00),
                    printed(780, 90, "Скорость нагружения V, мм/мин. ", "T9", k0_00),
                    printed(870, 55, "Работа A, Дж", "F10", k0_00), printedNote(925, 120)}}};
    return kind;
}

QVector<const DocumentKind*> documentKinds() {
    return {&oskKind(), &vtrKind(), &vtrAsphaltKind()};
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
