#include "main_window_fixture.h"

#include "grid/data_grid.h"
#include "ui/catalog_panel.h"
#include "ui/document_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>

#include "support/other_connection.h"

namespace vlr::test {
namespace {

using ui::PromptButton;
using ui::PromptIcon;

QStringList captions(const QList<ui::DocumentWindow*>& windows) {
    QStringList all;
    for (const ui::DocumentWindow* window : windows)
        all.append(window->windowTitle());
    return all;
}

// What a previous run left: a saved file, an unsaved one with a record, two received rows.
void leaveRowsBehind(const QString& databaseFile) {
    store::Database db;
    db.open(databaseFile);
    QSqlQuery query(db.connection());
    ASSERT_TRUE(
        query.exec(QStringLiteral("INSERT INTO Catalog (FileName, FileSaved, "
                                  "DeviceListId) VALUES ('Сохранённый', 1, 2), "
                                  "('Таблица1', 0, 2)")));
    ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (2, 1)")));
    ASSERT_TRUE(query.exec(QStringLiteral("INSERT INTO Data_Comm (N) VALUES (1), (2)")));
}

TEST_F(MainWindowTest, StartCleansUpAndACloseAsksEachDocumentFromLastToFirst) {
    leaveRowsBehind(databaseFile());
    ASSERT_TRUE(start());
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Веларон"));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data_Comm")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Catalog")).toInt(), 1);
    EXPECT_EQ(window().catalogPanel()->rowCount(), 1);
    EXPECT_TRUE(action("A_DeleteFile")->isEnabled());
    EXPECT_EQ(storedSetting(QStringLiteral("SelectedCom")).toString(), QStringLiteral("COM 1"));

    // A file with records, then an empty one.
    action("A_NewVTRA")->trigger();
    action("A_NewOSK")->trigger();
    const QList<ui::DocumentWindow*> documents = window().documentWindows();
    ASSERT_EQ(captions(documents), (QStringList{QStringLiteral("Таблица1 - ВТР-К9 Асфальтобетон"),
                                                QStringLiteral("Таблица2 - ОСК-К9")}));
    addRecords(documents[0]->FileNameId(), 2);
    window().session().settings().Ports.AutoDetectCom = false;
    window().session().settings().Ports.SelectedCom = QStringLiteral("COM 7");

    // Cancel: the empty file's window, asked first, has gone; the other and everything stay.
    prompter_.answers = {PromptButton::Cancel};
    EXPECT_FALSE(closeWindow());
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].text, QStringLiteral("Сохранить Таблица1?"));
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Веларон"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Question);
    EXPECT_EQ(prompter_.messages[0].buttons,
              (QList<PromptButton>{PromptButton::Yes, PromptButton::No, PromptButton::Cancel}));
    EXPECT_EQ(captions(window().documentWindows()),
              QStringList{QStringLiteral("Таблица1 - ВТР-К9 Асфальтобетон")});
    EXPECT_TRUE(window().session().database().isOpen());
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Catalog WHERE FileSaved=0")).toInt(), 2);

    // Yes, then the name dialog cancelled: still open.
    prompter_.answers = {PromptButton::Yes};
    EXPECT_FALSE(closeWindow());
    EXPECT_EQ(names_.captions, QStringList{QStringLiteral("Сохранить Таблица1 как...")});
    EXPECT_EQ(window().documentWindows().size(), 1);

    // Yes and a name: saved, and the close goes through to the compaction and the settings.
    prompter_.answers = {PromptButton::Yes};
    names_.answers = {QStringLiteral("Асфальт, участок 3")};
    EXPECT_TRUE(closeWindow());
    EXPECT_FALSE(window().session().database().isOpen());
    EXPECT_EQ(storedSetting(QStringLiteral("AutoDetectCom")).toInt(), 0);
    EXPECT_EQ(storedSetting(QStringLiteral("SelectedCom")).toString(), QStringLiteral("COM 7"));
    EXPECT_EQ(QDir(work_.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("VelaronLink.mdb")});
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Catalog WHERE FileSaved=0")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("SELECT group_concat(FileName) FROM Catalog")).toString(),
              QStringLiteral("Сохранённый,Асфальт, участок 3"));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data")).toInt(), 2);
    EXPECT_EQ(prompter_.messages.size(), 3);  // no word about the compaction
}

TEST_F(MainWindowTest, ACompactionThatFailsIsShownAndTheCloseGoesOn) {
    ASSERT_TRUE(start());
    OtherConnection other(databaseFile());  // another program holds the file open
    ASSERT_TRUE(other.query().exec(QStringLiteral("SELECT count(*) FROM Catalog")));
    EXPECT_TRUE(closeWindow());
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Веларон"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::None);
    EXPECT_FALSE(prompter_.messages[0].text.isEmpty());
    EXPECT_TRUE(storedSetting(QStringLiteral("AutoDetectCom")).isValid());
}

TEST_F(MainWindowTest, ExitEndsWithoutAskingAndTheNextStartRemovesTheTemporaryRows) {
    ASSERT_TRUE(start());
    action("A_NewVTR")->trigger();
    addRecords(window().documentWindows().at(0)->FileNameId(), 3);
    const QVariant station = storedSetting(QStringLiteral("Station"));
    ASSERT_FALSE(station.toString().isEmpty());
    QFile::remove(config_.filePath(QStringLiteral("vlr.ini")));

    int exitRequests = 0;
    QObject::connect(&window(), &ui::TForm_Main::exitRequested, [&] { ++exitRequests; });
    action("A_Exit")->trigger();
    EXPECT_EQ(exitRequests, 1);
    window_.reset();  // the end of the event loop destroys the windows unasked
    EXPECT_TRUE(prompter_.messages.isEmpty());
    EXPECT_FALSE(QFile::exists(config_.filePath(QStringLiteral("vlr.ini"))));
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Catalog WHERE FileSaved=0")).toInt(), 1);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data")).toInt(), 3);

    // The same station starts again (its identity is all it needs of its settings).
    QSettings(config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("1.0/Station"), station);
    ASSERT_TRUE(start());
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Catalog")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data")).toInt(), 0);
    // Numbering starts again at 1.
    action("A_NewVTR")->trigger();
    EXPECT_EQ(captions(window().documentWindows()),
              QStringList{QStringLiteral("Таблица1 - ВТР-К9")});
}

TEST_F(MainWindowTest, ADatabaseThatCannotBeOpenedEndsTheStartAfterItsMessages) {
    QFile garbage(databaseFile());
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(4096, 'x'));
    garbage.close();

    EXPECT_FALSE(start());
    ASSERT_EQ(prompter_.messages.size(), 2);
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Веларон"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Error);
    EXPECT_FALSE(prompter_.messages[0].text.isEmpty());
    EXPECT_EQ(prompter_.messages[1].text, QStringLiteral("Не могу получить доступ к БД!"));
    EXPECT_EQ(prompter_.messages[1].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(prompter_.messages[1].icon, PromptIcon::Error);

    // Nothing is cleaned, compacted or written back, not even when the window is closed.
    QFile::remove(config_.filePath(QStringLiteral("vlr.ini")));
    EXPECT_TRUE(closeWindow());
    EXPECT_EQ(prompter_.messages.size(), 2);
    EXPECT_FALSE(QFile::exists(config_.filePath(QStringLiteral("vlr.ini"))));
    ASSERT_TRUE(garbage.open(QIODevice::ReadOnly));
    EXPECT_EQ(garbage.readAll(), QByteArray(4096, 'x'));
}

TEST_F(MainWindowTest, FilesAreMadeSavedOpenedAndDeletedWithTheirMessages) {
    ASSERT_TRUE(start());
    EXPECT_FALSE(action("A_DeleteFile")->isEnabled());
    action("A_OpenFile")->trigger();
    EXPECT_EQ(prompter_.texts(), QStringList{QStringLiteral("Не могу открыть файл!")});
    prompter_.messages.clear();

    for (const char* name : {"A_NewVTR", "A_NewVTRA", "A_NewOSK"})
        action(name)->trigger();
    const QList<ui::DocumentWindow*> documents = window().documentWindows();
    ASSERT_EQ(captions(documents), (QStringList{QStringLiteral("Таблица1 - ВТР-К9"),
                                                QStringLiteral("Таблица2 - ВТР-К9 Асфальтобетон"),
                                                QStringLiteral("Таблица3 - ОСК-К9")}));

    // Saving the active (last) window: an over-long name fails and leaves the file temporary,
    // an empty one does nothing, a good one is listed; the caption keeps its name.
    const QString tooLong(51, QChar(0x0416));
    names_.answers = {tooLong, QString(), QStringLiteral("Плиты; 'партия' 2")};
    action("A_SaveFile")->trigger();
    EXPECT_EQ(prompter_.texts(), QStringList{QStringLiteral("Не могу записать файл.")});
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(names_.texts, QStringList{QStringLiteral("Таблица3")});
    action("A_SaveFile")->trigger();
    action("A_SaveFile")->trigger();
    EXPECT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(window().catalogPanel()->rowCount(), 1);
    EXPECT_TRUE(action("A_DeleteFile")->isEnabled());
    EXPECT_EQ(documents[2]->windowTitle(), QStringLiteral("Таблица3 - ОСК-К9"));
    // Saved already: no dialog.
    action("A_SaveFile")->trigger();
    EXPECT_EQ(names_.captions.size(), 3);

    // Opening the listed file brings its window forward instead of making a second one.
    window().mdiArea()->setActiveSubWindow(window().mdiArea()->subWindowList().at(0));
    action("A_OpenFile")->trigger();
    EXPECT_EQ(window().documentWindows().size(), 3);
    EXPECT_EQ(window().mdiArea()->currentSubWindow()->widget(), documents[2]);

    // Rows of the other press ids open nothing and say nothing.
    sql(QStringLiteral(
        "INSERT INTO Catalog (FileName, FileSaved, DeviceListId) VALUES ('Я3', 1, 3)"));
    action("A_Catalog")->trigger();
    action("A_Catalog")->trigger();
    ASSERT_EQ(window().catalogPanel()->rowCount(), 2);
    window().catalogPanel()->DBGridPro_Catalog()->setCurrentRow(1);
    action("A_OpenFile")->trigger();
    EXPECT_EQ(window().documentWindows().size(), 3);
    EXPECT_EQ(prompter_.messages.size(), 1);

    // Delete: No keeps everything; Yes closes the file's window first, then removes it.
    window().catalogPanel()->DBGridPro_Catalog()->setCurrentRow(0);
    prompter_.answers = {PromptButton::No, PromptButton::Yes};
    action("A_DeleteFile")->trigger();
    EXPECT_EQ(prompter_.messages.last().text, QStringLiteral("Удалить файл Плиты; 'партия' 2?"));
    EXPECT_EQ(prompter_.messages.last().caption, QStringLiteral("Удаление"));
    EXPECT_EQ(prompter_.messages.last().icon, PromptIcon::Question);
    EXPECT_EQ(window().catalogPanel()->rowCount(), 2);
    action("A_DeleteFile")->trigger();
    settle();
    EXPECT_EQ(captions(window().documentWindows()),
              (QStringList{QStringLiteral("Таблица1 - ВТР-К9"),
                           QStringLiteral("Таблица2 - ВТР-К9 Асфальтобетон")}));
    EXPECT_EQ(window().catalogPanel()->rowCount(), 1);

    // A delete the database refuses.
    sql(
        QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON Catalog BEGIN SELECT "
                       "RAISE(ABORT, 'kept'); END"));
    prompter_.answers = {PromptButton::Yes};
    action("A_DeleteFile")->trigger();
    EXPECT_EQ(prompter_.messages.last().text, QStringLiteral("Не могу удалить файл."));
    EXPECT_EQ(window().catalogPanel()->rowCount(), 1);

    // A new file the database refuses: told twice, no window, the counter kept.
    sql(
        QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON Catalog BEGIN SELECT "
                       "RAISE(ABORT, 'full'); END"));
    prompter_.messages.clear();
    action("A_NewOSK")->trigger();
    EXPECT_EQ(prompter_.texts(), QStringList(2, QStringLiteral("Не могу создать файл!")));
    EXPECT_EQ(window().documentWindows().size(), 2);
    EXPECT_EQ(window().session().settings().NewFileCounter, 4);
}

TEST_F(MainWindowTest, CommandStatesFollowTheActiveChildAndTheCatalog) {
    ASSERT_TRUE(start());
    const auto fileCommands = [this] {
        return QList<bool>{action("A_SaveFile")->isEnabled(), action("A_Print")->isEnabled(),
                           action("A_Exp2Excel")->isEnabled()};
    };
    EXPECT_EQ(fileCommands(), QList<bool>(3, true));
    EXPECT_EQ(action("A_Catalog")->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(action("A_Comm")->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(action("A_Help")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(action("A_Print")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));

    // The receive view, as the link's window installs it, with its two menus.
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("Form_Comm"));
    view->setWindowTitle(QStringLiteral("Прием данных"));
    auto* operations = new QMenu(QStringLiteral("Операции"), &window());
    auto* options = new QMenu(QStringLiteral("Настройки"), &window());
    QMdiSubWindow* comm = window().installCommView(view, {operations, options});
    const auto menuTitles = [this] {
        QStringList titles;
        for (QAction* item : window().menuBar()->actions()) {
            if (item->isVisible())
                titles.append(item->text());
        }
        return titles;
    };
    EXPECT_EQ(menuTitles(),
              (QStringList{"Файл", "Вид", "Операции", "Настройки", "Окно", "Справка"}));
    EXPECT_EQ(fileCommands(), QList<bool>(3, false));

    action("A_NewVTR")->trigger();
    EXPECT_EQ(fileCommands(), QList<bool>(3, true));
    EXPECT_EQ(menuTitles(), (QStringList{"Файл", "Вид", "Окно", "Справка"}));

    // The "Окно" list: every shown child, the active one checked; choosing one activates it.
    QMenu* windows = window().findChild<QMenu*>(QStringLiteral("N_Window"));
    emit windows->aboutToShow();
    QStringList items;
    QList<bool> checked;
    for (QAction* item : windows->actions()) {
        items.append(item->text());
        checked.append(item->isChecked());
    }
    EXPECT_EQ(items, (QStringList{"Каскадом", "Горизонтально", "", "&1 Прием данных",
                                  "&2 Таблица1 - ВТР-К9"}));
    EXPECT_EQ(checked, (QList<bool>{false, false, false, false, true}));
    windows->actions().at(3)->trigger();
    EXPECT_EQ(window().mdiArea()->currentSubWindow(), comm);
    EXPECT_EQ(fileCommands(), QList<bool>(3, false));

    // Closing the view hides it with its rows and unticks "Прием данных"; F3 brings it back.
    comm->close();
    EXPECT_FALSE(comm->isVisible());
    EXPECT_FALSE(action("A_Comm")->isChecked());
    EXPECT_EQ(menuTitles(), (QStringList{"Файл", "Вид", "Окно", "Справка"}));
    action("A_Comm")->trigger();
    EXPECT_TRUE(comm->isVisible());
    EXPECT_EQ(comm->widget(), view);
    action("A_Comm")->trigger();
    EXPECT_FALSE(comm->isVisible());

    // Closing a document disables "Сохранить" only; a click on the catalog disables the three.
    action("A_NewOSK")->trigger();
    EXPECT_EQ(fileCommands(), QList<bool>(3, true));
    window().mdiArea()->currentSubWindow()->close();
    EXPECT_EQ(fileCommands(), (QList<bool>{false, true, true}));
    window().mdiArea()->setActiveSubWindow(window().mdiArea()->subWindowList().at(1));
    EXPECT_EQ(fileCommands(), QList<bool>(3, true));
    emit window().catalogPanel()->rowClicked();
    EXPECT_EQ(fileCommands(), QList<bool>(3, false));

    // "Горизонтально" after "Каскадом": one above the other, each across the full width.
    action("A_NewOSK")->trigger();
    action("A_Cascade")->trigger();
    action("A_Tile")->trigger();
    const QList<QMdiSubWindow*> tiled = window().mdiArea()->subWindowList();
    const QRect first = tiled.at(1)->geometry();
    const QRect second = tiled.at(2)->geometry();
    EXPECT_EQ(first.width(), window().mdiArea()->viewport()->width());
    EXPECT_EQ(second.width(), first.width());
    EXPECT_EQ(first.top(), 0);
    EXPECT_EQ(second.top(), first.height());

    // The main window's close never asks the view.
    EXPECT_TRUE(closeWindow());
    EXPECT_TRUE(prompter_.messages.isEmpty());
}

TEST_F(MainWindowTest, TheCatalogPanelHidesAndShowsAgainWithTheListReadAnew) {
    ASSERT_TRUE(start());
    ui::CatalogPanel* panel = window().catalogPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->DBGridPro_Catalog()->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("Дата/ Время"));

    action("A_Catalog")->trigger();
    EXPECT_FALSE(panel->isVisible());
    sql(
        QStringLiteral("INSERT INTO Catalog (FileName, FileSaved, DeviceListId) VALUES ('Из "
                       "другого окна', 1, 1)"));
    action("A_Catalog")->trigger();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->rowCount(), 1);
    EXPECT_TRUE(action("A_DeleteFile")->isEnabled());

    emit panel->closeClicked();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(action("A_Catalog")->isChecked());

    // A double click opens the current row in its kind's window.
    action("A_Catalog")->trigger();
    emit panel->rowDoubleClicked();
    EXPECT_EQ(captions(window().documentWindows()),
              QStringList{QStringLiteral("Из другого окна - ОСК-К9")});
}

TEST_F(MainWindowTest, HelpShowsTheManualOrSaysWhereItShouldBe) {
    ASSERT_TRUE(start());
    window().setManualPath(QString());
    action("A_Help")->trigger();
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("manual/index.html")));

    QFile manual(work_.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body><h1>Руководство</h1></body></html>");
    manual.close();
    window().setManualPath(manual.fileName());
    action("A_Help")->trigger();
    auto* browser = window().findChild<QTextBrowser*>();
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isVisible());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Руководство")));
}

}  // namespace
}  // namespace vlr::test
