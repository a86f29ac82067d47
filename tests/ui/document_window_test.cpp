#include "main_window_fixture.h"

#include "grid/data_grid.h"
#include "grid/rows_mime.h"
#include "ui/document_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
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

namespace vlr::test {
namespace {

using ui::PromptButton;
using ui::PromptIcon;

// The rows of a workbook's first sheet as python3-xlrd reads them, through the export tests'
// reader script: a reader that shares no code with the writer.
QJsonArray firstSheetRows(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VLR_TEST_SOURCE_DIR "/../docs/xlrd_roundtrip.py"), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    return read.value(QStringLiteral("sheets"))
        .toArray()
        .at(0)
        .toObject()
        .value(QStringLiteral("rows"))
        .toArray();
}

class DocumentWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(start());
    }

    ui::DocumentWindow& newDocument(const char* action) {
        MainWindowTest::action(action)->trigger();
        return *window().documentWindows().constLast();
    }

    // Received rows of an instrument's archive numbered as given; their Data_Comm ids.
    QVariantList receive(int deviceListId, int archive, const QList<int>& numbers) {
        QVariantList ids;
        for (int n : numbers) {
            sql(QStringLiteral("INSERT INTO Data_Comm (N, DeviceListId, DeviceNArc, F1, T1) "
                               "VALUES (%1, %2, %3, %4, 'проба %1')")
                    .arg(n)
                    .arg(deviceListId)
                    .arg(archive)
                    .arg(n * 1.5));
            ids << sql(QStringLiteral("SELECT max(DataId) FROM Data_Comm"));
        }
        return ids;
    }

    // Records of a file numbered as given, with F1 falling as N rises.
    void addNumbered(const ui::DocumentWindow& document, const QList<int>& numbers) {
        for (int n : numbers)
            sql(QStringLiteral("INSERT INTO Data (FileNameId, N, F1, T1) VALUES (%1, %2, %3, "
                               "'образец %2')")
                    .arg(document.FileNameId())
                    .arg(n)
                    .arg(100 - n));
    }

    // As the platform delivers a drag: its entry, a move, then the drop when accepted.
    static bool dragOver(ui::DocumentWindow& document, const QMimeData& mime) {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(document.grid().viewport(), &enter);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(document.grid().viewport(), &move);
        return enter.isAccepted() && move.isAccepted();
    }
    static bool dragOver(ui::DocumentWindow& document, const QString& source) {
        return dragOver(document, *grid::rowsMimeData({source, {1}}));
    }

    static void drop(ui::DocumentWindow& document, const QString& source,
                     const QVariantList& keys) {
        const std::unique_ptr<QMimeData> mime = grid::rowsMimeData({source, keys});
        ASSERT_TRUE(dragOver(document, *mime));
        QDropEvent event(QPointF(12, 12), Qt::CopyAction, mime.get(), Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(document.grid().viewport(), &event);
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
        const QModelIndex cell = grid.model()->index(row, grid.columnOfField(QStringLiteral("N")));
        const QPoint at = grid.visualRect(cell).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(grid.viewport(), &event);
        }
    }

    static void pressCtrlDelete(ui::DocumentWindow& document) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
        QApplication::sendEvent(&document.grid(), &press);
    }

    // Another program takes the records' table away, and gives it back.
    void hideRecords() { sql(QStringLiteral("ALTER TABLE Data RENAME TO Data_away")); }
    void restoreRecords() { sql(QStringLiteral("ALTER TABLE Data_away RENAME TO Data")); }

    int recordsOf(const ui::DocumentWindow& document) {
        return sql(QStringLiteral("SELECT count(*) FROM Data WHERE FileNameId=%1")
                       .arg(document.FileNameId()))
            .toInt();
    }
};

TEST_F(DocumentWindowTest, TitleClicksOrderTheRowsByTheColumnsInColumnOrder) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    addNumbered(document, {3, 1, 2});
    document.ReloadRows();
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, DateTime;"));
    EXPECT_EQ(shown(document, "N"), (QVariantList{1, 2, 3}));

    click(document, "T1");
    EXPECT_EQ(lastLine(document), QStringLiteral("order by T1;"));
    click(document, "T1");
    EXPECT_EQ(lastLine(document), QStringLiteral("order by T1 DESC;"));
    EXPECT_EQ(shown(document, "N"), (QVariantList{3, 2, 1}));
    // Shift keeps T1; N comes first because its column does.
    click(document, "N", Qt::ShiftModifier);
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, T1 DESC;"));
    click(document, "T2", Qt::ShiftModifier);
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, T1 DESC, T2;"));
    click(document, "T1", Qt::ControlModifier);
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, T2;"));
    // A plain click leaves this column alone sorted.
    click(document, "F1");
    EXPECT_EQ(lastLine(document), QStringLiteral("order by F1;"));
    EXPECT_EQ(shown(document, "N"), (QVariantList{3, 2, 1}));
    click(document, "F1", Qt::ControlModifier);
    EXPECT_EQ(lastLine(document), QStringLiteral("order by N, DateTime;"));

    // The hidden "Форма" sits between "R, МПа" and "Размер, мм": a state it holds takes that
    // place, while a click on it changes nothing.
    grid::DataGrid& grid = document.grid();
    const int shape = grid.columnOfField(QStringLiteral("T3"));
    ASSERT_TRUE(grid.columns()[shape].hidden);
    click(document, "T3");
    EXPECT_EQ(grid.sortState(shape), grid::SortState::None);
    grid.setSortState(shape, grid::SortState::Descending);
    click(document, "T2", Qt::ShiftModifier);
    click(document, "T8", Qt::ShiftModifier);
    EXPECT_EQ(lastLine(document), QStringLiteral("order by T8, T3 DESC, T2;"));
}

TEST_F(DocumentWindowTest, DropsComeOnlyFromTheKindsReceiveGridAndAddEveryRowEachTime) {
    ui::DocumentWindow& osk = newDocument("A_NewOSK");
    ui::DocumentWindow& vtr = newDocument("A_NewVTR");
    ui::DocumentWindow& asphalt = newDocument("A_NewVTRA");
    const QStringList sources{"DBGridPro_COSK", "DBGridPro_CVTR", "DBGridPro1", "DBGridPro_VTR",
                              "DBGridPro_Catalog"};
    const QList<ui::DocumentWindow*> documents{&osk, &vtr, &asphalt};
    for (int d = 0; d < documents.size(); ++d) {
        for (int s = 0; s < sources.size(); ++s)
            EXPECT_EQ(dragOver(*documents[d], sources[s]), s == d)
                << documents[d]->windowTitle().toStdString() << " / " << sources[s].toStdString();
    }

    const QVariantList received = receive(2, 0, {7, 5, 6});
    const QVariantList selected{received[2], received[0], received[1]};
    for (int times = 1; times <= 2; ++times) {
        drop(vtr, QStringLiteral("DBGridPro_CVTR"), selected);
        EXPECT_EQ(recordsOf(vtr), 3 * times);
        EXPECT_EQ(vtr.grid().rowCount(), 3 * times);
    }
    EXPECT_EQ(shown(vtr, "N"), (QVariantList{5, 5, 6, 6, 7, 7}));
    EXPECT_EQ(sql(QStringLiteral("SELECT group_concat(N) FROM (SELECT N FROM Data ORDER BY "
                                 "DataId)"))
                  .toString(),
              QStringLiteral("6,7,5,6,7,5"));  // copied in the selection's order
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data WHERE Comment IS NULL")).toInt(), 6);
    EXPECT_EQ(window().mdiArea()->activeSubWindow()->widget(), &vtr);
    EXPECT_EQ(recordsOf(osk) + recordsOf(asphalt), 0);

    // While its rows cannot be read the window takes nothing.
    hideRecords();
    vtr.ReloadRows();
    EXPECT_FALSE(vtr.rowsOpen());
    EXPECT_EQ(vtr.grid().rowCount(), 0);
    EXPECT_FALSE(dragOver(vtr, QStringLiteral("DBGridPro_CVTR")));
    restoreRecords();
}

TEST_F(DocumentWindowTest, ANoteIsEditedOnItsRecordWhichStaysCurrentInAnyOrder) {
    ui::DocumentWindow& document = newDocument("A_NewOSK");
    addNumbered(document, {1, 2, 3});
    click(document, "F1");  // F1 falls as N rises: rows 3, 2, 1
    sql(QStringLiteral("UPDATE Data SET Comment='старое' WHERE N=2"));
    document.ReloadRows();
    ASSERT_EQ(shown(document, "N"), (QVariantList{3, 2, 1}));

    names_.answers = {QStringLiteral("трещина")};
    doubleClickRow(document, 1);
    ASSERT_EQ(names_.captions.size(), 1);
    EXPECT_EQ(names_.captions.constLast(), QStringLiteral("Примечание"));
    EXPECT_EQ(names_.texts.constLast(), QStringLiteral("старое"));
    EXPECT_EQ(document.grid().currentRow(), 1);
    EXPECT_EQ(document.grid().currentValue(QStringLiteral("N")).toInt(), 2);
    EXPECT_EQ(sql(QStringLiteral("SELECT Comment FROM Data WHERE N=2")).toString(),
              QStringLiteral("трещина"));

    // Sorted the other way, the edited record is found again at its new place.
    click(document, "F1");
    names_.answers = {QString()};
    doubleClickRow(document, 0);  // N=1, no note yet
    EXPECT_EQ(names_.texts.constLast(), QString());
    EXPECT_EQ(document.grid().currentValue(QStringLiteral("N")).toInt(), 1);
    EXPECT_EQ(sql(QStringLiteral("SELECT typeof(Comment) FROM Data WHERE N=1")).toString(),
              QStringLiteral("text"));

    // Too long for the column: refused with a message, the dialog asked again with the whole
    // text; cancelling it then keeps the old note.
    const QString tooLong(101, QLatin1Char('x'));
    names_.answers = {tooLong, std::nullopt};
    prompter_.messages.clear();
    doubleClickRow(document, 1);  // N=2
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Error);
    EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("100")));
    EXPECT_EQ(names_.texts.constLast(), tooLong);
    EXPECT_EQ(sql(QStringLiteral("SELECT Comment FROM Data WHERE N=2")).toString(),
              QStringLiteral("трещина"));
}

TEST_F(DocumentWindowTest, CtrlDeleteAsksForOneRecordOrSeveralAndRemovesThemAtOnce) {
    ui::DocumentWindow& document = newDocument("A_NewVTRA");
    addNumbered(document, {1, 2, 3, 4});
    document.ReloadRows();
    grid::DataGrid& grid = document.grid();

    grid.setCurrentRow(1);
    prompter_.answers = {PromptButton::Cancel};
    pressCtrlDelete(document);
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].text, QStringLiteral("Удалить запись?"));
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Веларон"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Question);
    EXPECT_EQ(prompter_.messages[0].buttons,
              (QList<PromptButton>{PromptButton::Ok, PromptButton::Cancel}));
    EXPECT_EQ(recordsOf(document), 4);

    prompter_.answers = {PromptButton::Ok};
    pressCtrlDelete(document);
    EXPECT_EQ(shown(document, "N"), (QVariantList{1, 3, 4}));

    grid.clearSelection();
    grid.selectRow(0);
    grid.selectRow(2);
    prompter_.answers = {PromptButton::Ok};
    pressCtrlDelete(document);
    EXPECT_EQ(prompter_.messages.constLast().text, QStringLiteral("Удалить строки?"));
    EXPECT_EQ(shown(document, "N"), QVariantList{3});
    EXPECT_EQ(recordsOf(document), 1);
}

TEST_F(DocumentWindowTest, ClosingAsksOnlyForUnsavedRecordsAndTheAnswerDecides) {
    // Activation enables the file commands.
    ui::DocumentWindow& saved = newDocument("A_NewOSK");
    for (const char* name : {"A_SaveFile", "A_Print", "A_Exp2Excel"})
        action(name)->setEnabled(false);
    window().mdiArea()->setActiveSubWindow(nullptr);
    activate(&saved);
    window().mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(saved.parentWidget()));
    for (const char* name : {"A_SaveFile", "A_Print", "A_Exp2Excel"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;

    // Saved: no question, even with records added since.
    sql(QStringLiteral("UPDATE Catalog SET FileSaved=1 WHERE FileNameId=%1")
            .arg(saved.FileNameId()));
    addNumbered(saved, {1});
    EXPECT_TRUE(saved.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::Free);
    EXPECT_FALSE(action("A_SaveFile")->isEnabled());

    // Unsaved without records: no question.
    ui::DocumentWindow& empty = newDocument("A_NewVTR");
    EXPECT_TRUE(empty.parentWidget()->close());

    // Unsaved with records: Cancel stays, Yes with the name dialog cancelled stays, No closes.
    ui::DocumentWindow& unsaved = newDocument("A_NewVTRA");
    addNumbered(unsaved, {1, 2});
    unsaved.ReloadRows();
    prompter_.answers = {PromptButton::Cancel, PromptButton::Yes};
    EXPECT_FALSE(unsaved.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::None);
    EXPECT_FALSE(unsaved.parentWidget()->close());
    EXPECT_EQ(prompter_.texts(), (QStringList{QStringLiteral("Сохранить Таблица3?"),
                                              QStringLiteral("Сохранить Таблица3?")}));
    EXPECT_EQ(names_.captions, QStringList{QStringLiteral("Сохранить Таблица3 как...")});

    // The program's close stops at a window answered with Cancel.
    prompter_.answers = {PromptButton::Cancel};
    EXPECT_FALSE(closeWindow());
    EXPECT_TRUE(window().session().database().isOpen());
    ASSERT_EQ(window().documentWindows().size(), 1);

    // Yes and a name: saved and closed. The records stay with the file.
    prompter_.answers = {PromptButton::Yes};
    names_.answers = {QStringLiteral("Асфальт")};
    EXPECT_TRUE(unsaved.parentWidget()->close());
    settle();
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data d JOIN Catalog c USING "
                                 "(FileNameId) WHERE c.FileName='Асфальт' AND c.FileSaved=1"))
                  .toInt(),
              2);

    // No closes an unsaved file and keeps its records until the program's clean-up.
    ui::DocumentWindow& dropped = newDocument("A_NewVTR");
    addNumbered(dropped, {1});
    dropped.ReloadRows();
    const int droppedId = dropped.FileNameId();
    prompter_.answers = {PromptButton::No};
    EXPECT_TRUE(dropped.parentWidget()->close());
    EXPECT_EQ(window().session().settings().LastDocCloseAction, app::CloseAction::Free);
    EXPECT_EQ(
        sql(QStringLiteral("SELECT count(*) FROM Data WHERE FileNameId=%1").arg(droppedId)).toInt(),
        1);

    // Rows that could not be read again: closed without a question.
    ui::DocumentWindow& unreadable = newDocument("A_NewOSK");
    addNumbered(unreadable, {1});
    hideRecords();
    unreadable.ReloadRows();
    const int questions = prompter_.messages.size();
    EXPECT_TRUE(unreadable.parentWidget()->close());
    EXPECT_EQ(prompter_.messages.size(), questions);
    restoreRecords();
    settle();
    EXPECT_TRUE(window().documentWindows().isEmpty());
}

TEST_F(DocumentWindowTest, ExportWritesTheRowsInTheGridsOrderAndReportsWhatHappened) {
    ui::DocumentWindow& document = newDocument("A_NewVTR");
    addNumbered(document, {1, 2, 3});
    sql(QStringLiteral("UPDATE Data SET F1=50 WHERE N=2"));
    click(document, "F1");
    click(document, "F1");  // F1 descending: 1 (99), 3 (97), 2 (50)

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("export.xls"));
    prompter_.fileNames = {path};
    document.ExportDocument();
    ASSERT_EQ(prompter_.fileRequests.size(), 1);
    EXPECT_EQ(prompter_.fileRequests[0].filter, QStringLiteral("Книга Excel (*.xls)"));
    EXPECT_EQ(prompter_.fileRequests[0].defaultSuffix, QStringLiteral("xls"));
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].text,
              QStringLiteral("Экспорт в файл export.xls завершен успешно."));
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Экспорт в Excel"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Information);

    QStringList numbers;
    for (const QJsonValue& row : firstSheetRows(path))
        numbers << row.toArray().at(0).toVariant().toString();
    EXPECT_EQ(numbers, (QStringList{"N", "1", "3", "2"}));

    // A write that fails: the writer's message, no success, nothing in the folder's place.
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken.xls")));
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("taken.xls"))};
    document.ExportDocument();
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_TRUE(prompter_.messages[0].text.startsWith(QStringLiteral("StgCreateDocFile error")))
        << prompter_.messages[0].text.toStdString();
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("taken.xls"))).isDir());

    // Rows that cannot be read: no workbook, and no report to print.
    hideRecords();
    prompter_.messages.clear();
    prompter_.fileNames = {folder.filePath(QStringLiteral("none.xls"))};
    document.ExportDocument();
    action("A_Print")->trigger();
    EXPECT_EQ(prompter_.texts(), (QStringList{QStringLiteral("Не могу экспортировать файл!"),
                                              QStringLiteral("Не могу напечатать файл!")}));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("none.xls"))));
    restoreRecords();
}

}  // namespace
}  // namespace vlr::test
