#include "docs/document_kind.h"
#include "docs/cell_text.h"
#include "store/record_row.h"
#include "support/qt_printers.h"

#include <QDateTime>
#include <QLocale>

#include <gtest/gtest.h>

namespace vlr::docs {
namespace {

TEST(DocumentKindTables, EveryFieldIsARecordColumnAndReportsFillTheirLine) {
    const QStringList known = store::dataColumnNames();
    const struct {
        const DocumentKind* kind;
        int reportRightEdge;
    } cases[] = {{&oskKind(), 904}, {&vtrKind(), 1045}, {&vtrAsphaltKind(), 1045}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind->caption.toStdString());
        QStringList fields;
        for (const GridTable* grid : {&c.kind->grid, &c.kind->receiveGrid}) {
            QStringList hiddenFields;
            for (const GridColumn& column : grid->columns) {
                fields << column.field;
                if (column.hidden)
                    hiddenFields << column.field;
            }
            ASSERT_NE(grid->column(QStringLiteral("DataId")), nullptr) << grid->name.toStdString();
            EXPECT_TRUE(grid->column(QStringLiteral("DataId"))->hidden);
            hiddenFields.removeAll(QStringLiteral("DataId"));
            hiddenFields.removeAll(QStringLiteral("T3"));
            EXPECT_EQ(hiddenFields, QStringList()) << grid->name.toStdString();
        }
        for (const ExportColumn& column : c.kind->columns)
            fields << column.field;
        // Report columns follow each other without gaps; the halves of a split column share it.
        int right = 72;
        for (const ReportColumn& column : c.kind->report.columns) {
            fields << column.field;
            if (column.half != CellHalf::Lower) {
                EXPECT_EQ(column.x, right) << column.field.toStdString();
                right = column.x + column.width;
            }
        }
        EXPECT_EQ(right, c.reportRightEdge);
        for (const QString& field : fields)
            EXPECT_TRUE(known.contains(field)) << field.toStdString();
        // Every shown document grid field is printed and exported, and nothing else is.
        QStringList shownFields;
        for (const GridColumn& column : c.kind->grid.columns) {
            if (!column.hidden)
                shownFields << column.field;
        }
        QStringList printedFields;
        for (const ReportColumn& column : c.kind->report.columns)
            printedFields << column.field;
        QStringList exportedFields;
        for (const ExportColumn& column : c.kind->columns)
            exportedFields << column.field;
        EXPECT_EQ(printedFields, shownFields);
        EXPECT_EQ(exportedFields, shownFields);
    }
}

TEST(CellTexts, GridAndReportFormatNumbersWithTheUsersDecimalSeparator) {
    const QDateTime measured(QDate(2024, 3, 31), QTime(2, 30, 5), Qt::UTC);
    const struct {
        QVariant value;
        DisplayFormat format;
        const char* grid;           // Russian user
        const char* gridEnglish;    // English (United States) user
        const char* report;         // Russian user
        const char* reportEnglish;  // English (United States) user
    } cases[] = {
        {12.0, DisplayFormat::OneDecimal, "12,0", "12.0", "12,0", "12.0"},
        {0.5, DisplayFormat::TwoDecimals, "0,50", "0.50", "0,50", "0.50"},
        {-0.004, DisplayFormat::TwoDecimals, "0,00", "0.00", "0,00", "0.00"},
        {2.675, DisplayFormat::TwoDecimals, "2,68", "2.68", "2,68", "2.68"},
        {-9.96, DisplayFormat::OneDecimal, "-10,0", "-10.0", "-10,0", "-10.0"},
        {3.25, DisplayFormat::OneDecimal, "3,3", "3.3", "3,3", "3.3"},
        {5204.7, DisplayFormat::None, "5204,7", "5204.7", "5204,7", "5204.7"},
        {1234567, DisplayFormat::None, "1234567", "1234567", "1234567", "1234567"},
        {QStringLiteral("23,5"), DisplayFormat::TwoDecimals, "23,5", "23,5", "23,50", "23.50"},
        {QStringLiteral(" 7.25 "), DisplayFormat::OneDecimal, " 7.25 ", " 7.25 ", "7,3", "7.3"},
        {QStringLiteral("Изгиб"), DisplayFormat::TwoDecimals, "Изгиб", "Изгиб", "Изгиб", "Изгиб"},
        {QStringLiteral("   "), DisplayFormat::TwoDecimals, "   ", "   ", "", ""},
        {QVariant(), DisplayFormat::OneDecimal, "", "", "", ""},
        {measured, DisplayFormat::None, "31.03.2024 2:30:05", "3/31/2024 2:30:05 AM",
         "31.03.2024 2:30:05", "3/31/2024 2:30:05 AM"},
    };
    const QLocale russian;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString());
        EXPECT_EQ(gridText(c.value, c.format), QString::fromUtf8(c.grid));
        EXPECT_EQ(reportText(c.value, c.format), QString::fromUtf8(c.report));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(gridText(c.value, c.format), QString::fromUtf8(c.gridEnglish));
        EXPECT_EQ(reportText(c.value, c.format), QString::fromUtf8(c.reportEnglish));
        QLocale::setDefault(russian);
    }
}

}  // namespace
}  // namespace vlr::docs
