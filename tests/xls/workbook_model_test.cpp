#include "xls/xls_workbook.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>
#include <tuple>

namespace vlr::xls {
namespace {

using Rect = std::tuple<int, int, int, int>;  // left, top, right, bottom

Rect rectOf(const TvteXLSRange& range) {
    return {range.Left(), range.Top(), range.Right(), range.Bottom()};
}

std::vector<Rect> rectsOf(const TvteXLSWorksheet& sheet) {
    std::vector<Rect> rects;
    for (const TvteXLSRange& range : sheet.Ranges()) {
        rects.push_back(rectOf(range));
    }
    return rects;
}

TEST(WorkbookModel, NewWorkbookAndSheetsHaveTheirDefaults) {
    TvteXLSWorkbook workbook;
    EXPECT_EQ(workbook.Title(), "Quorvel");
    EXPECT_EQ(workbook.SheetCount(), 0);

    TvteXLSWorksheet& sheet = workbook.AddSheet();
    EXPECT_EQ(sheet.Name(), "Sheet1");
    EXPECT_EQ(sheet.SheetIndex(), 0);
    EXPECT_EQ(sheet.Workbook(), &workbook);
    EXPECT_EQ(sheet.MinCol(), -1);
    EXPECT_EQ(sheet.MinRow(), -1);
    EXPECT_EQ(sheet.MaxCol(), -1);
    EXPECT_EQ(sheet.MaxRow(), -1);
    EXPECT_EQ(sheet.MaxRangeHeight(), 0);
    EXPECT_EQ(sheet.PageSetup().PaperSize, 9);
    EXPECT_EQ(sheet.PageSetup().TopMargin, 2.5);

    const TvteXLSRange range = sheet.GetRange(0, 0, 0, 0);
    const TvteXLSCellStyle style = range.Style();
    EXPECT_EQ(style.Font.Name, "Arial");
    EXPECT_EQ(style.Font.Size, 10);
    EXPECT_EQ(style.Font.Color, 0u);
    EXPECT_EQ(style.Font.Charset, 1);
    EXPECT_EQ(style.VertAlign, 2);
    EXPECT_EQ(range.ValueType(), TvteXLSValueType::Empty);
    EXPECT_EQ(range.CellKind(), TvteXLSCellKind::Text);
}

TEST(WorkbookModel, AddSheetSkipsNamesInUseWithoutRegardToCase) {
    TvteXLSWorkbook workbook;
    workbook.AddSheet();
    EXPECT_EQ(workbook.AddSheet().Name(), "Sheet2");

    TvteXLSWorkbook renamed;
    renamed.AddSheet().SetName("sheet2");
    EXPECT_EQ(renamed.AddSheet().Name(), "Sheet3");
    EXPECT_EQ(renamed.Sheet(1).SheetIndex(), 1);
}

TEST(WorkbookModel, NamesAreCutThenTrimmed) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.SetName(QString(40, QLatin1Char('x')));
    EXPECT_EQ(sheet.Name(), QString(31, QLatin1Char('x')));
    sheet.SetName("     ");
    EXPECT_EQ(sheet.Name(), "");
    sheet.SetName("\t Лист 1 \r\n");
    EXPECT_EQ(sheet.Name(), "Лист 1");

    // Cutting may not leave half of a character outside the basic plane.
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    sheet.SetName(QString(30, QLatin1Char('a')) + emoji);
    EXPECT_EQ(sheet.Name(), QString(30, QLatin1Char('a')));

    workbook.SetTitle("  " + QString(70, QLatin1Char('t')));
    EXPECT_EQ(workbook.Title(), QString(64, QLatin1Char('t')));
}

TEST(WorkbookModel, GetRangeReturnsTheSameRangeForTheSameRectangle) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(2, 3, 2, 3).SetValue(42);
    sheet.GetRange(5, 3, 5, 3);
    const TvteXLSRange again = sheet.GetRange(2, 3, 2, 3);
    EXPECT_EQ(again.Value(), QVariant(42));
    EXPECT_EQ(sheet.RangeCount(), 2);
}

TEST(WorkbookModel, AnOverlappingRectangleReplacesTheRangesItMeets) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(0, 0, 0, 9).SetValue("tall");
    EXPECT_EQ(sheet.MaxRangeHeight(), 10);
    sheet.GetRange(1, 0, 1, 0).SetValue("beside");
    sheet.GetRange(0, 5, 3, 5).SetValue("across");

    EXPECT_EQ(rectsOf(sheet), (std::vector<Rect>{{1, 0, 1, 0}, {0, 5, 3, 5}}));
    EXPECT_EQ(sheet.MaxRangeHeight(), 1);
    std::vector<QString> texts;
    for (const TvteXLSRange& range : sheet.Ranges()) {
        texts.push_back(range.Text());
    }
    EXPECT_EQ(texts, (std::vector<QString>{"beside", "across"}));  // "tall" is gone
    // Bounds never shrink, not even when ranges go.
    EXPECT_EQ(sheet.MaxRow(), 9);
    EXPECT_EQ(sheet.MaxCol(), 3);
    EXPECT_EQ(sheet.MinRow(), 0);
}

TEST(WorkbookModel, RangesAreOrderedByTopThenByCreation) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    for (int column = 0; column < 3; ++column) {
        for (int row = 2; row >= 0; --row) {
            sheet.GetRange(column, row, column, row);
        }
    }
    sheet.GetRange(0, 1, 0, 1);  // exists: keeps its place
    EXPECT_EQ(rectsOf(sheet), (std::vector<Rect>{{0, 0, 0, 0},
                                                 {1, 0, 1, 0},
                                                 {2, 0, 2, 0},
                                                 {0, 1, 0, 1},
                                                 {1, 1, 1, 1},
                                                 {2, 1, 2, 1},
                                                 {0, 2, 0, 2},
                                                 {1, 2, 1, 2},
                                                 {2, 2, 2, 2}}));
}

// The ordered search on one flat list, step by step as the model describes it.
class FlatRangeList {
public:
    void get(int left, int top, int right, int bottom) {
        const int key = top - maxRangeHeight + 1;
        size_t p = 0;
        while (p < list.size() && std::get<1>(list[p]) < key) {
            ++p;
        }
        const Rect asked{left, top, right, bottom};
        bool found = false;
        bool removed = false;
        for (size_t i = p; i < list.size() && std::get<1>(list[i]) <= bottom;) {
            const auto [l, t, r, b] = list[i];
            if (list[i] == asked) {
                found = true;
                ++i;
            } else if (l <= right && left <= r && t <= bottom && top <= b) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
            } else {
                ++i;
            }
        }
        if (!found) {
            const auto after = std::find_if(list.begin(), list.end(),
                                            [top](const Rect& r) { return std::get<1>(r) > top; });
            list.insert(after, asked);
        }
        if (removed) {
            maxRangeHeight = 1;
            for (const auto& [l, t, r, b] : list) {
                maxRangeHeight = std::max(maxRangeHeight, b - t + 1);
            }
        } else {
            maxRangeHeight = std::max(maxRangeHeight, bottom - top + 1);
        }
    }

    std::vector<Rect> list;
    int maxRangeHeight = 0;
};

// Asks the sheet and the flat reference for the same rectangle; they must agree.
void getFromBoth(TvteXLSWorksheet& sheet, FlatRangeList& reference, const Rect& rect) {
    const auto [left, top, right, bottom] = rect;
    const TvteXLSRange range = sheet.GetRange(left, top, right, bottom);
    reference.get(left, top, right, bottom);
    ASSERT_EQ(rectOf(range), rect);
    ASSERT_EQ(sheet.MaxRangeHeight(), reference.maxRangeHeight);
}

void expectSameRanges(const TvteXLSWorksheet& sheet, const FlatRangeList& reference) {
    EXPECT_EQ(rectsOf(sheet), reference.list);
    EXPECT_EQ(sheet.RangeCount(), static_cast<int>(reference.list.size()));
}

TEST(WorkbookModel, IndexedSearchGivesTheFlatListsResultsAndOrder) {
    QRandomGenerator random(20240601);
    for (int round = 0; round < 20; ++round) {
        TvteXLSWorkbook workbook;
        TvteXLSWorksheet& sheet = workbook.AddSheet();
        FlatRangeList reference;
        for (int step = 0; step < 400; ++step) {
            const int left = random.bounded(12);
            const int top = random.bounded(40);
            const bool big = random.bounded(6) == 0;
            const int right = left + (big ? random.bounded(3) : 0);
            const int bottom = top + (big ? random.bounded(8) : 0);
            SCOPED_TRACE(step);
            ASSERT_NO_FATAL_FAILURE(getFromBoth(sheet, reference, Rect{left, top, right, bottom}));
        }
        SCOPED_TRACE(round);
        expectSameRanges(sheet, reference);
    }
}

TEST(WorkbookModel, RangesCoveringARowComeInColumnOrder) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(4, 2, 4, 2);
    sheet.GetRange(0, 0, 1, 3);
    sheet.GetRange(2, 2, 2, 2);
    sheet.GetRange(9, 9, 9, 9);
    std::vector<TvteXLSRange> cover;
    sheet.rangesCoveringRow(2, cover);
    std::vector<int> lefts;
    for (const TvteXLSRange& range : cover) {
        lefts.push_back(range.Left());
    }
    EXPECT_EQ(lefts, (std::vector<int>{0, 2, 4}));
    sheet.rangesCoveringRow(5, cover);
    EXPECT_TRUE(cover.empty());
}

// Filling row by row, left to right, with now and then a rectangle reaching back over cells
// already there, or one further down, or negative rows: the same ranges as the flat list.
TEST(WorkbookModel, RowByRowFillGivesTheFlatListsResults) {
    QRandomGenerator random(20240602);
    for (int round = 0; round < 20; ++round) {
        TvteXLSWorkbook workbook;
        TvteXLSWorksheet& sheet = workbook.AddSheet();
        FlatRangeList reference;
        int row = round % 3 == 0 ? -3 : 0;
        int column = 0;
        for (int step = 0; step < 300; ++step) {
            int left = column;
            int top = row;
            int right = left;
            int bottom = top;
            switch (random.bounded(8)) {
                case 0:  // back over the row and the one above
                    left = random.bounded(column + 1);
                    top = row - random.bounded(2);
                    right = left + random.bounded(3);
                    break;
                case 1:  // a tall one reaching rows not yet filled
                    bottom = top + 1 + random.bounded(3);
                    right = left + random.bounded(2);
                    break;
                case 2:
                    row += 1 + random.bounded(2);
                    column = 0;
                    continue;
                default:
                    break;
            }
            column = right + 1;
            SCOPED_TRACE(step);
            ASSERT_NO_FATAL_FAILURE(getFromBoth(sheet, reference, Rect{left, top, right, bottom}));
        }
        SCOPED_TRACE(round);
        expectSameRanges(sheet, reference);
    }
}

// Rows filled left to right come out as they are; a tall range from a row above, or a cell
// added later further left, still puts the row in column order.
TEST(WorkbookModel, RangesCoveringARowAreOrderedWhateverTheFillOrder) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    sheet.GetRange(5, 0, 6, 3);
    for (int c = 0; c < 4; ++c) {
        sheet.GetRange(c, 2, c, 2);
        sheet.GetRange(c + 1, 4, c + 1, 4);
    }
    sheet.GetRange(0, 4, 0, 4);
    const auto leftsOf = [&sheet](int row) {
        std::vector<TvteXLSRange> cover;
        sheet.rangesCoveringRow(row, cover);
        std::vector<int> lefts;
        for (const TvteXLSRange& range : cover) {
            lefts.push_back(range.Left());
        }
        return lefts;
    };
    EXPECT_EQ(leftsOf(2), (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_EQ(leftsOf(4), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(leftsOf(1), (std::vector<int>{5}));
}

// The typed setters serve the export; a cell must come out as SetValue would make it.
TEST(WorkbookModel, TypedSettersStoreWhatSetValueStores) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    TvteXLSRange typed = sheet.GetRange(0, 0, 0, 0);
    TvteXLSRange variant = sheet.GetRange(1, 0, 1, 0);
    const auto expectSame = [&](const char* what) {
        EXPECT_EQ(typed.ValueType(), variant.ValueType()) << what;
        EXPECT_EQ(typed.Value(), variant.Value()) << what;
        EXPECT_EQ(typed.Text(), variant.Text()) << what;
    };

    typed.SetInteger(-7);
    variant.SetValue(-7);
    expectSame("integer");
    typed.SetDouble(12.345);
    variant.SetValue(12.345);
    expectSame("double");
    for (const QString& text : {QStringLiteral("\r\n\r\nx\r"), QStringLiteral("Ж\r\n"),
                                QStringLiteral("\r"), QString()}) {
        typed.SetText(text);
        variant.SetValue(text);
        expectSame(qPrintable(text));
    }
    EXPECT_EQ(typed.Text(), QString());
    const QDate date(2024, 3, 31);
    const QTime time(2, 30, 5);
    typed.SetDateTime(date, time);
    variant.SetValue(QDateTime(date, time));
    expectSame("date-time");
    typed.SetDateTime(QDate(), time);
    variant.SetValue(QDateTime());
    expectSame("invalid date");
    EXPECT_EQ(typed.CellKind(), TvteXLSCellKind::Text);
}

TEST(WorkbookModel, SetValueKeepsTextAndDecidesTheCellKind) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    TvteXLSRange cell = sheet.GetRange(0, 0, 0, 0);

    cell.SetValue(QStringLiteral("a\r\nb\rc\nd"));
    EXPECT_EQ(cell.Text(), "a\nb\rc\nd");
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Text);

    cell.SetValue(QStringLiteral("Ж\U0001F600 €"));
    EXPECT_EQ(cell.Value(), QVariant(QStringLiteral("Ж\U0001F600 €")));

    cell.SetValue(QByteArray("\xD0\x96\r\n"));
    EXPECT_EQ(cell.Text(), "Ж\n");

    cell.SetValue(2.5);
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Number);
    EXPECT_EQ(cell.Number(), 2.5);

    cell.SetValue(static_cast<int>(-7));
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Number);
    EXPECT_EQ(cell.Value(), QVariant(-7));

    cell.SetValue(QVariant::fromValue(static_cast<short>(3)));
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Number);
    cell.SetValue(QVariant::fromValue(static_cast<uchar>(200)));
    EXPECT_EQ(cell.Number(), 200.0);
    cell.SetValue(QVariant(1.25f));
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Number);

    cell.SetValue(QVariant(qlonglong{1234567890123}));
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Text);
    EXPECT_EQ(cell.Text(), "1234567890123");

    cell.SetValue(QVariant(QMetaType::fromType<double>()));  // a null field
    EXPECT_EQ(cell.ValueType(), TvteXLSValueType::Null);
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Text);
    EXPECT_EQ(cell.Text(), "");

    cell.SetValue(QVariant());
    EXPECT_EQ(cell.ValueType(), TvteXLSValueType::Empty);
}

TEST(WorkbookModel, DateTimeIsTextInTheUsersFormat) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TvteXLSWorkbook workbook;
    TvteXLSRange cell = workbook.AddSheet().GetRange(0, 0, 0, 0);
    const QDateTime morning(QDate(2024, 3, 5), QTime(7, 4, 9));
    cell.SetValue(morning);
    EXPECT_EQ(cell.CellKind(), TvteXLSCellKind::Text);
    EXPECT_EQ(cell.Text(), "05.03.2024 7:04:09");
    EXPECT_EQ(cell.Value(), QVariant(morning));

    cell.SetValue(QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
    EXPECT_EQ(cell.Text(), "05.03.2024");
    cell.SetValue(QDateTime(QDate(1899, 12, 30), QTime(23, 59, 59)));
    EXPECT_EQ(cell.Text(), "30.12.1899 23:59:59");
}

TEST(WorkbookModel, StylesAreSharedAndChangedPerRange) {
    TvteXLSWorkbook workbook;
    TvteXLSWorksheet& sheet = workbook.AddSheet();
    TvteXLSRange first = sheet.GetRange(0, 0, 0, 0);
    TvteXLSRange second = sheet.GetRange(1, 0, 1, 0);
    EXPECT_EQ(first.StyleIndex(), second.StyleIndex());

    TvteXLSCellStyle bold = first.Style();
    bold.Font.Bold = true;
    first.SetStyle(bold);
    EXPECT_TRUE(first.Style().Font.Bold);
    EXPECT_FALSE(second.Style().Font.Bold);
    second.SetStyle(bold);
    EXPECT_EQ(first.StyleIndex(), second.StyleIndex());
    EXPECT_EQ(workbook.Styles().count(), 2u);
}

}  // namespace
}  // namespace vlr::xls
