#include "xls/excel_writer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace vlr::xls {
namespace {

// Reads a workbook with xlrd, an independent reader, and returns per sheet its name, its
// merged areas and every cell as [row, column, xlrd cell type, value].
constexpr const char* kDumpScript = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
out = []
for sheet in book.sheets():
    cells = []
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype != xlrd.XL_CELL_EMPTY:
                cells.append([r, c, cell.ctype, cell.value])
    out.append({"name": sheet.name, "merged": [list(m) for m in sheet.merged_cells],
                "cells": cells})
print(json.dumps(out))
)";

constexpr int kText = 1;
constexpr int kNumber = 2;
constexpr int kBlank = 6;

QJsonArray readWithXlrd(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", kDumpScript, path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        ADD_FAILURE() << "xlrd failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

bool xlrdAvailable() {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", "import xlrd"});
    return python.waitForFinished(30000) && python.exitCode() == 0;
}

QJsonArray cell(int row, int column, int type, const QJsonValue& value) {
    return QJsonArray{row, column, type, value};
}

TEST(XlrdReadback, AMultiSheetWorkbookReadsBackCellByCell) {
    if (!xlrdAvailable()) {
        GTEST_SKIP() << "python3-xlrd is not installed";
    }
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& first = workbook.AddSheet();
    const QString longText = QStringLiteral("Ж\U0001F600").repeated(3000) + "\nконец";
    first.GetRange(0, 0, 0, 0).SetValue(QStringLiteral("N"));
    first.GetRange(1, 0, 1, 0).SetValue(QStringLiteral("Дата/Время"));
    first.GetRange(0, 1, 0, 1).SetValue(7);
    first.GetRange(1, 1, 1, 1).SetValue(QDateTime(QDate(2024, 2, 29), QTime(9, 8, 7)));
    first.GetRange(2, 1, 2, 1).SetValue(-0.125);
    first.GetRange(3, 1, 3, 1).SetValue(longText);
    first.GetRange(4, 1, 4, 1).SetValue(QVariant(QMetaType::fromType<QString>()));
    for (int row = 2; row < 300; ++row) {
        first.GetRange(0, row, 0, row).SetValue(row);
        first.GetRange(1, row, 1, row).SetValue(QStringLiteral("строка %1").arg(row));
    }
    TvteXLSWorksheet& second = workbook.AddSheet();
    second.SetName(QStringLiteral("Второй"));
    second.GetRange(1, 1, 2, 3).SetValue(QStringLiteral("слито"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("книга.xls"));
    TvteExcelWriter writer;
    writer.SaveToFile(workbook, path);
    const QJsonArray sheets = readWithXlrd(path);
    ASSERT_EQ(sheets.size(), 2);

    const QJsonObject sheet1 = sheets[0].toObject();
    EXPECT_EQ(sheet1["name"].toString(), "Sheet1");
    const QJsonArray cells = sheet1["cells"].toArray();
    ASSERT_EQ(cells.size(), 2 + 5 + 2 * 298);
    EXPECT_EQ(cells[0].toArray(), cell(0, 0, kText, "N"));
    EXPECT_EQ(cells[1].toArray(), cell(0, 1, kText, "Дата/Время"));
    EXPECT_EQ(cells[2].toArray(), cell(1, 0, kNumber, 7));
    EXPECT_EQ(cells[3].toArray(), cell(1, 1, kText, "29.02.2024 9:08:07"));
    EXPECT_EQ(cells[4].toArray(), cell(1, 2, kNumber, -0.125));
    EXPECT_EQ(cells[5].toArray(), cell(1, 3, kText, longText));
    EXPECT_EQ(cells[6].toArray(), cell(1, 4, kBlank, ""));
    EXPECT_EQ(cells.last().toArray(), cell(299, 1, kText, "строка 299"));

    const QJsonObject sheet2 = sheets[1].toObject();
    EXPECT_EQ(sheet2["name"].toString(), "Второй");
    EXPECT_EQ(sheet2["merged"].toArray(), (QJsonArray{QJsonArray{1, 4, 1, 3}}));
    const QJsonArray merged = sheet2["cells"].toArray();
    ASSERT_EQ(merged.size(), 6);
    EXPECT_EQ(merged[0].toArray(), cell(1, 1, kText, "слито"));
    EXPECT_EQ(merged[5].toArray(), cell(3, 2, kBlank, ""));
}

}  // namespace
}  // namespace vlr::xls
