#include "main_window_fixture.h"
#include "xlrd_sheet.h"

#include "docs/document_report.h"
#include "grid/data_grid.h"
#include "grid/rows_mime.h"
#include "ui/document_window.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <cstring>

namespace vlr::test {
namespace {

using ui::PromptButton;
using ui::PromptIcon;

class DocumentWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(start());
    }
    ui::DocumentWindow& newDocument(const char* command) {
        action(command)->trigger();
        return *window().documentWindows().constLast();
    }
    // Records numbered as given, F1 falling as N rises.
    void addNumbered(const ui::DocumentWindow& document, const QList<int>& numbers) {
        for (int n : numbers)
            sql(QStringLiteral("INSERT INTO Data (FileNameId, N, F1) VALUES (%1, %2, %3)")
                    .arg(document.FileNameId())
                    .arg(n)
                    .arg(100 - n));
    }
    int recordsOf(const ui::DocumentWindow& document) {
        return sql(QStringLiteral("SELECT count(*) FROM Data WHERE FileNameId=%1")
                       .arg(document.FileNameId()))
            .toInt();
    }
    // Another program takes the records' table away, and gives it back.
    void hideRecords() { sql(QStringLiteral("ALTER TABLE Data RENAME TO Data_away")); }
    void restoreRecords() { sql(QStringLiteral("ALTER TABLE Data_away RENAME TO Data")); }
    // "caption: text" of every message shown.
    QStringList said() const {
        QStringList all;
        for (const ui::PromptMessage& message : prompter_.messages)
            all << message.caption + QStringLiteral(": ") + message.text;
        return all;
    }

    // As the platform delivers a drag: its entry, a move, then the drop when accepted.
    static bool drag(ui::DocumentWindow& document, const QString& source, const QVariantList& keys,
                     bool dropIt) {
        const std::unique_ptr<QMimeData> mime = grid::rowsMimeData({source, keys});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(document.grid().viewport(), &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(document.grid().viewport(), &move);
        QDropEvent event(QPointF(12, 12), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        if (dropIt)
            QApplication::sendEvent(document.grid().viewport(), &event);
        return enter.isAccepted() && move.isAccepted();
    }
    static QString lastLine(const ui::DocumentWindow& document) {
        return document.searchStatement().text.section(QLatin1Char('\n'), -1);
    }
    // A field of every row, top to bottom.
    static QVariantList shown(const ui::DocumentWindow& document, const QString& field) {
        QVariantList values;
        for (int row = 0; row < document.grid().rowCount(); ++row)
            values << document.grid().value(row, field);
        return values;
    }
    static void click(ui::DocumentWindow& document, const QString& field,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        document.grid().clickTitle(document.grid().columnOfField(field), modifiers);
    }
    static void doubleClickRow(ui::DocumentWindow& document, int row) {
        grid::DataGrid& grid = document.grid();
        const QPoint at =
            grid.visualRect(grid.model()->index(row, grid.columnOfField(QStringLiteral("N"))))
                .center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              {});
            QApplication::sendEvent(grid.viewport(), &event);
        }
    }
    static void pressCtrlDelete(ui::DocumentWindow& document) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
        QApplication::sendEvent(&document.grid(), &press);
    }
};

TEST_F(DocumentWindowTest, TitleClicksOrderTheRowsByTheColumnsInColumnOrder) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    addNumbered(document, {3, 1, 2});
    document.ReloadRows();
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, DateTime, DataId;"));
    EXPECT_EQ(shown(document, "N"), (QVariantList{1, 2, 3}));

    const QList<std::tuple<const char*, Qt::KeyboardModifiers, const char*>> clicks{
        {"T1", Qt::NoModifier, "order by T1 COLLATE ru_ci, DataId;"},
        {"T1", Qt::NoModifier, "order by T1 COLLATE ru_ci DESC, DataId;"},
        // column order, not click order
        {"N", Qt::ShiftModifier, "order by N, T1 COLLATE ru_ci DESC, DataId;"},
        {"T2", Qt::ShiftModifier, "order by N, T1 COLLATE ru_ci DESC, T2 COLLATE ru_ci, DataId;"},
        {"T1", Qt::ControlModifier, "order by N, T2 COLLATE ru_ci, DataId;"},
        {"F1", Qt::NoModifier, "order by F1, DataId;"},
        {"F1", Qt::ControlModifier, "order by N, DateTime, DataId;"},
        {"F1", Qt::NoModifier, "order by F1, DataId;"}};
    for (const auto& [field, modifiers, line] : clicks) {
        click(document, field, modifiers);
        EXPECT_EQ(lastLine(document), QString::fromUtf8(line)) << field;
    }
    EXPECT_EQ(shown(document, "N"), (QVariantList{3, 2, 1}));  // ordered by the database

    // The hidden "Форма" (T3) sits between "R, МПа" and "Размер, мм": a click on it changes
    // nothing, a state it holds takes its place.
    grid::DataGrid& grid = document.grid();
    const int shape = grid.columnOfField(QStringLiteral("T3"));
    ASSERT_TRUE(grid.columns()[shape].hidden);
    click(document, "T3");
    EXPECT_EQ(grid.sortState(shape), grid::SortState::None);
    grid.setSortState(shape, grid::SortState::Descending);
    click(document, "T2", Qt::ShiftModifier);
    click(document, "T8", Qt::ShiftModifier);
    EXPECT_EQ(lastLine(document),
              QStringLiteral("order by F1, T8 COLLATE ru_ci, T3 COLLATE ru_ci DESC, "
                             "T2 COLLATE ru_ci, DataId;"));
}

TEST_F(DocumentWindowTest, TextsSortInRussianOrderAndGridReportAndExportShowTheSameRows) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    const QStringList materials{"Ж",   "Ёмкость",       "бетон", "Арматура",
                                "Ель", "Бетон тяжелый", "zeta",  "Alpha"};
    for (int n = 0; n < materials.size(); ++n)
        sql(QStringLiteral("INSERT INTO Data (FileNameId, N, T1) VALUES (%1, %2, '%3')")
                .arg(document.FileNameId())
                .arg(n + 1)
                .arg(materials[n]));
    // Equal texts follow their DataId in either direction.
    for (int twin : {2, 1})
        sql(QStringLiteral("INSERT INTO Data (FileNameId, N, T1) VALUES (%1, %2, 'Ж')")
                .arg(document.FileNameId())
                .arg(100 + twin));
    click(document, "T1");
    const QVariantList expected{"Арматура", "бетон", "Бетон тяжелый", "Ель", "Ёмкость", "Ж",
                                "Ж",        "Ж",     "Alpha",         "zeta"};
    EXPECT_EQ(shown(document, "T1"), expected);
    EXPECT_EQ(shown(document, "N").mid(5, 3), (QVariantList{1, 102, 101}));
    click(document, "T1");
    EXPECT_EQ(shown(document, "N").mid(2, 3), (QVariantList{1, 102, 101}));

    // The report and the export list the rows the grid shows, one for one.
    const QVariantList gridNumbers = shown(document, "N");
    const std::unique_ptr<report::RowSource> printed = docs::openPrintRows(
        window().database(), document.FileNameId(), docs::vtrKind(), document.recordOrder());
    QVariantList printedNumbers;
    while (printed->next())
        printedNumbers << printed->value(printed->fieldIndex(QStringLiteral("N")));
    EXPECT_EQ(printedNumbers, gridNumbers);
    QTemporaryDir folder;
    prompter_.fileNames = {folder.filePath(QStringLiteral("sorted.xls"))};
    action("A_Exp2Excel")->trigger();
    QVariantList exportedNumbers;
    for (const QJsonValue& row : firstSheetRows(folder.filePath(QStringLiteral("sorted.xls"))))
        exportedNumbers << row[0].toVariant();
    exportedNumbers.removeFirst();  // the header
    ASSERT_EQ(exportedNumbers.size(), gridNumbers.size());
    for (int row = 0; row < gridNumbers.size(); ++row)
        EXPECT_EQ(exportedNumbers[row].toInt(), gridNumbers[row].toInt()) << row;
}

TEST_F(DocumentWindowTest, ALargeFileScrollsToItsEndAndEveryRowCanBeSelectedAndDeleted) {
    ui::DocumentWindow& document = newDocument("A_NewOSK");
    sql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                       "WHERE i < 3000) INSERT INTO Data (FileNameId, N, T4) "
                       "SELECT %1, i, 'режим ' || (i % 7) FROM n")
            .arg(document.FileNameId()));
    click(document, "T4");
    click(document, "T4");
    grid::DataGrid& grid = document.grid();
    ASSERT_EQ(grid.rowCount(), 3000);
    // The last rows, read when they come into view: "режим 6" downwards, the largest id last.
    grid.scrollToBottom();
    grid.setCurrentRow(2999);
    EXPECT_EQ(grid.currentValue(QStringLiteral("T4")), QVariant(QStringLiteral("режим 0")));
    EXPECT_EQ(grid.currentValue(QStringLiteral("N")), QVariant(2996));
    EXPECT_EQ(grid.model()->index(2999, grid.columnOfField(QStringLiteral("N"))).data(),
              QVariant(QStringLiteral("2996")));

    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(&grid, &selectAll);
    EXPECT_EQ(grid.selectedKeys().size(), 3000);
    prompter_.answers = {PromptButton::Ok};
    pressCtrlDelete(document);
    EXPECT_EQ(said(), QStringList{"Веларон: Удалить строки?"});
    EXPECT_EQ(recordsOf(document), 0);
    EXPECT_EQ(grid.rowCount(), 0);
}

TEST_F(DocumentWindowTest, DropsComeOnlyFromTheKindsReceiveGridAndAddEveryRowEachTime) {
    const QList<ui::DocumentWindow*> documents{&newDocument("A_NewOSK"), &newDocument("A_NewVTR"),
                                               &newDocument("A_NewVTRA")};
    const QStringList sources{"DBGridPro_COSK", "DBGridPro_CVTR", "DBGridPro1", "DBGridPro_VTR"};
    for (int d = 0; d < documents.size(); ++d) {
        for (int s = 0; s < sources.size(); ++s)
            EXPECT_EQ(drag(*documents[d], sources[s], {1}, false), s == d)
                << d << " " << sources[s].toStdString();
    }

    ui::DocumentWindow& vtr = *documents[1];
    QVariantList received;
    for (int n : {7, 5, 6}) {
        sql(QStringLiteral("INSERT INTO Data_Comm (N, DeviceListId) VALUES (%1, 2)").arg(n));
        received << sql(QStringLiteral("SELECT max(DataId) FROM Data_Comm"));
    }
    window().mdiArea()->activateNextSubWindow();
    for (int times = 1; times <= 2; ++times) {
        drag(vtr, QStringLiteral("DBGridPro_CVTR"), {received[2], received[0], received[1]}, true);
        EXPECT_EQ(vtr.grid().rowCount(), 3 * times);
        EXPECT_EQ(window().mdiArea()->activeSubWindow()->widget(), &vtr);
    }
    EXPECT_EQ(shown(vtr, "N"), (QVariantList{5, 5, 6, 6, 7, 7}));
    EXPECT_EQ(sql(QStringLiteral("SELECT group_concat(N) FROM (SELECT N FROM Data ORDER BY "
                                 "DataId) WHERE N IS NOT NULL"))
                  .toString(),
              QStringLiteral("6,7,5,6,7,5"));  // in the selection's order, notes null
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data WHERE Comment IS NULL")).toInt(), 6);

    // While its rows cannot be read the window takes nothing.
    hideRecords();
    vtr.ReloadRows();
    EXPECT_FALSE(vtr.rowsOpen());
    EXPECT_FALSE(drag(vtr, QStringLiteral("DBGridPro_CVTR"), {1}, false));
    restoreRecords();
}

TEST_F(DocumentWindowTest, NotesAndDeletionsActOnTheRecordsTheUserPoints) {
    ui::DocumentWindow& document = newDocument("A_NewOSK");
    addNumbered(document, {1, 2, 3, 4});
    sql(QStringLiteral("UPDATE Data SET Comment='старое' WHERE N=2"));
    click(document, "F1");  // F1 falls as N rises: rows 4, 3, 2, 1
    ASSERT_EQ(shown(document, "N"), (QVariantList{4, 3, 2, 1}));

    // The note of N=2 edited; after the reload that record is current again.
    names_.answers = {QStringLiteral("трещина")};
    doubleClickRow(document, 2);
    EXPECT_EQ(names_.captions, QStringList{QStringLiteral("Примечание")});
    EXPECT_EQ(names_.texts, QStringList{QStringLiteral("старое")});
    EXPECT_EQ(document.grid().currentRow(), 2);
    // Emptied: an empty text, not null. A null note starts the dialog empty.
    names_.answers = {QString(), QString()};
    doubleClickRow(document, 2);
    doubleClickRow(document, 3);
    EXPECT_EQ(names_.texts.constLast(), QString());
    EXPECT_EQ(sql(QStringLiteral("SELECT group_concat(N || typeof(Comment)) FROM Data")),
              QStringLiteral("1text,2text,3null,4null"));
    // Too long for the column: refused with a message and asked again with the whole text.
    names_.answers = {QString(101, QLatin1Char('x')), std::nullopt};
    doubleClickRow(document, 1);
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Error);
    EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("100")));
    EXPECT_EQ(names_.texts.constLast(), QString(101, QLatin1Char('x')));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data WHERE Comment IS NULL")).toInt(), 2);

    // Ctrl+Del on the current row: Cancel keeps it, OK removes it.
    prompter_.messages.clear();
    document.grid().setCurrentRow(1);
    prompter_.answers = {PromptButton::Cancel, PromptButton::Ok};
    pressCtrlDelete(document);
    EXPECT_EQ(recordsOf(document), 4);
    pressCtrlDelete(document);
    EXPECT_EQ(shown(document, "N"), (QVariantList{4, 2, 1}));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Question);
    EXPECT_EQ(prompter_.messages[0].buttons,
              (QList<PromptButton>{PromptButton::Ok, PromptButton::Cancel}));
    // Two selected rows go together.
    document.grid().clearSelection();
    document.grid().selectRow(0);
    document.grid().selectRow(2);
    prompter_.answers = {PromptButton::Ok};
    pressCtrlDelete(document);
    EXPECT_EQ(said(), (QStringList{"Веларон: Удалить запись?", "Веларон: Удалить запись?",
                                   "Веларон: Удалить строки?"}));
    EXPECT_EQ(shown(document, "N"), QVariantList{2});
    EXPECT_EQ(recordsOf(document), 1);
}

TEST_F(DocumentWindowTest, ClosingAsksOnlyForUnsavedRecordsAndTheAnswerDecides) {
    // Activation enables the file commands.
    ui::DocumentWindow& saved = newDocument("A_NewOSK");
    newDocument("A_NewVTR");
    for (const char* name : {"A_SaveFile", "A_Print", "A_Exp2Excel"})
        action(name)->setEnabled(false);
    window().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(saved.parentWidget()));
    for (const char* name : {"A_SaveFile", "A_Print", "A_Exp2Excel"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;

    // Saved: no question, even with records added since. Unsaved and empty: none either.
    sql(QStringLiteral("UPDATE Catalog SET FileSaved=1 WHERE FileNameId=%1")
            .arg(saved.FileNameId()));
    addNumbered(saved, {1});
    EXPECT_TRUE(saved.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::Free);
    EXPECT_TRUE(window().documentWindows().constLast()->parentWidget()->close());

    // Unsaved with records: Cancel stays, Yes with the name dialog cancelled stays.
    ui::DocumentWindow& unsaved = newDocument("A_NewVTRA");
    addNumbered(unsaved, {1, 2});
    unsaved.ReloadRows();
    prompter_.answers = {PromptButton::Cancel, PromptButton::Yes};
    EXPECT_FALSE(unsaved.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::None);
    EXPECT_FALSE(unsaved.parentWidget()->close());
    EXPECT_EQ(said(),
              (QStringList{"Веларон: Сохранить Таблица3?", "Веларон: Сохранить Таблица3?"}));
    EXPECT_EQ(prompter_.messages[0].buttons,
              (QList<PromptButton>{PromptButton::Yes, PromptButton::No, PromptButton::Cancel}));
    EXPECT_EQ(names_.captions, QStringList{QStringLiteral("Сохранить Таблица3 как...")});
    // The program's close stops at a window answered with Cancel.
    prompter_.answers = {PromptButton::Cancel};
    EXPECT_FALSE(closeWindow());
    EXPECT_TRUE(window().session().database().isOpen());
    // Yes and a name: saved and closed.
    prompter_.answers = {PromptButton::Yes};
    names_.answers = {QStringLiteral("Асфальт")};
    EXPECT_TRUE(unsaved.parentWidget()->close());
    EXPECT_EQ(sql(QStringLiteral("SELECT FileName FROM Catalog WHERE FileSaved=1 AND "
                                 "DeviceListId=5")),
              QStringLiteral("Асфальт"));

    // No closes an unsaved file and leaves its records to the program's clean-up.
    ui::DocumentWindow& dropped = newDocument("A_NewVTR");
    addNumbered(dropped, {1});
    dropped.ReloadRows();
    prompter_.answers = {PromptButton::No};
    EXPECT_TRUE(dropped.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::Free);
    // A re-read that failed leaves the grid empty; the records in the database still bring the
    // question.
    ui::DocumentWindow& unreadable = newDocument("A_NewOSK");
    addNumbered(unreadable, {1, 2});
    hideRecords();
    unreadable.ReloadRows();
    restoreRecords();
    EXPECT_EQ(unreadable.grid().rowCount(), 0);
    prompter_.answers = {PromptButton::Cancel, PromptButton::No};
    EXPECT_FALSE(unreadable.parentWidget()->close());
    EXPECT_TRUE(unreadable.parentWidget()->close());
    EXPECT_EQ(prompter_.messages.size(), 7);
    EXPECT_EQ(said().last(), QStringLiteral("Веларон: Сохранить Таблица5?"));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data")).toInt(), 6);
    settle();
    EXPECT_TRUE(window().documentWindows().isEmpty());
    EXPECT_FALSE(action("A_SaveFile")->isEnabled());
}

TEST_F(DocumentWindowTest, ExportWritesTheRowsInTheGridsOrderAndReportsWhatHappened) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    addNumbered(document, {1, 2, 3});
    sql(QStringLiteral("UPDATE Data SET F1=50 WHERE N=2"));
    click(document, "F1");
    click(document, "F1");  // F1 descending: 1 (99), 3 (97), 2 (50)

    QTemporaryDir folder;
    prompter_.fileNames = {folder.filePath(QStringLiteral("export.xls"))};
    action("A_Exp2Excel")->trigger();
    ASSERT_EQ(prompter_.fileRequests.size(), 1);
    const QList<ui::SaveFileFilter>& filters = prompter_.fileRequests[0].filters;
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0].text, QStringLiteral("Книга Excel (*.xls)"));
    EXPECT_EQ(filters[0].suffix, QStringLiteral("xls"));
    EXPECT_EQ(filters[1].text, QStringLiteral("Книга Excel 2007–365 (*.xlsx)"));
    EXPECT_EQ(filters[1].suffix, QStringLiteral("xlsx"));
    EXPECT_EQ(said(),
              QStringList{QStringLiteral("Экспорт в Excel: Экспорт в файл export.xls завершен "
                                         "успешно.")});
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Information);
    QStringList numbers;
    for (const QJsonValue& row : firstSheetRows(folder.filePath(QStringLiteral("export.xls"))))
        numbers << row[0].toVariant().toString();
    EXPECT_EQ(numbers, (QStringList{"N", "1", "3", "2"}));

    // A write that fails: the writer's message and no success; the folder in the way stays.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken.xls")));
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("taken.xls"))};
    document.ExportDocument();
    EXPECT_EQ(said(), QStringList{QStringLiteral("Ошибка: StgCreateDocFile error 21")});
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("taken.xls"))).isDir());

    // A long export: the busy cursor while it runs, and the event loop's timers (the link's,
    // in the program) keep their turns; the cursor is the usual one afterwards.
    sql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < "
                       "30000) INSERT INTO Data (FileNameId, N, F1) SELECT %1, i, i FROM n")
            .arg(document.FileNameId()));
    QList<Qt::CursorShape> cursors;
    QTimer link;
    QObject::connect(&link, &QTimer::timeout, [&cursors] {
        cursors << (QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                   : Qt::ArrowCursor);
    });
    link.start(0);
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("long.xls"))};
    document.ExportDocument();
    link.stop();
    EXPECT_EQ(said(), QStringList{QStringLiteral("Экспорт в Excel: Экспорт в файл long.xls "
                                                 "завершен успешно.")});
    EXPECT_FALSE(cursors.isEmpty());
    EXPECT_EQ(cursors.count(Qt::WaitCursor), cursors.size());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Rows that cannot be read: no workbook, and no report to print.
    hideRecords();
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("none.xls"))};
    document.ExportDocument();
    action("A_Print")->trigger();
    EXPECT_EQ(said(), (QStringList{"Ошибка: Не могу экспортировать файл!",
                                   "Ошибка: Не могу напечатать файл!"}));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("none.xls"))));
    restoreRecords();
}

// The filter chosen in the dialog picks the format of a name without suffix; a typed suffix of
// a format picks that one whatever the filter. The .xlsx rows follow the grid's order too.
TEST_F(DocumentWindowTest, TheChosenFilterOrTheTypedSuffixPicksTheFormat) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    addNumbered(document, {1, 2, 3});
    sql(QStringLiteral("UPDATE Data SET F1=50 WHERE N=2"));
    click(document, "F1");
    click(document, "F1");  // F1 descending: 1 (99), 3 (97), 2 (50)

    QTemporaryDir folder;
    const auto magic = [&folder](const char* name) {
        QFile file(folder.filePath(QString::fromUtf8(name)));
        return file.open(QIODevice::ReadOnly) ? file.read(4).toHex() : QByteArray();
    };
    const QByteArray zip = "504b0304";
    const QByteArray compoundFile = "d0cf11e0";
    const struct {
        const char* given;
        int filter;
        const char* written;
        QByteArray magic;
    } cases[] = {{"book", 1, "book.xlsx", zip},
                 {"plain", 0, "plain.xls", compoundFile},
                 {"typed.xls", 1, "typed.xls", compoundFile},
                 {"typed.xlsx", 0, "typed.xlsx", zip}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        prompter_.messages.clear();
        prompter_.fileNames = {folder.filePath(QString::fromUtf8(c.given))};
        prompter_.fileFilters = {c.filter};
        document.ExportDocument();
        EXPECT_EQ(said(), QStringList{QStringLiteral("Экспорт в Excel: Экспорт в файл %1 завершен "
                                                     "успешно.")
                                          .arg(QString::fromUtf8(c.written))});
        EXPECT_EQ(magic(c.written), c.magic);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 4);

    QProcess openpyxl;
    openpyxl.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-c"),
                    QStringLiteral("import openpyxl, sys\n"
                                   "sheet = openpyxl.load_workbook(sys.argv[1]).active\n"
                                   "print(*[row[0] for row in sheet.iter_rows(values_only=True)])"),
                    folder.filePath(QStringLiteral("book.xlsx"))});
    ASSERT_TRUE(openpyxl.waitForFinished(60000));
    EXPECT_EQ(openpyxl.readAllStandardOutput().trimmed(), QByteArray("N 1 3 2"));

    // A failed .xlsx write names the system's reason; the folder in the way stays.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken.xlsx")));
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("taken"))};
    prompter_.fileFilters = {1};
    document.ExportDocument();
    EXPECT_EQ(said(), QStringList{QStringLiteral("Ошибка: Не могу экспортировать файл! (%1)")
                                      .arg(QString::fromLocal8Bit(std::strerror(EISDIR)))});
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("taken.xlsx"))).isDir());
}

}  // namespace
}  // namespace vlr::test
