// The whole program as a user drives it, in-process and offscreen: started through the entry
// sequence in a folder of its own, with the simulated asphalt press on a pseudo-terminal as
// COM1; the archive read into the receive view, its rows dropped into a new file, saved, sorted,
// exported and read back by a reader that shares no code with ours; then the regular close.

#include "link/e2e_rig.h"
#include "main_window_fixture.h"
#include "ui/catalog_panel.h"
#include "ui/comm_view.h"
#include "ui/desktop_program.h"
#include "ui/document_window.h"
#include "xlrd_sheet.h"

#include "grid/data_grid.h"
#include "grid/rows_mime.h"
#include "support/other_connection.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QProcess>
#include <QSqlQuery>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

// What a reader must find for a stored value: numbers as numbers, the date-time as the Russian
// system text (the date alone at midnight), texts as stored, nothing for null or empty text.
QJsonValue expectedCell(docs::FieldType type, const QVariant& stored) {
    if (stored.isNull() || stored.toString().isEmpty())
        return QJsonValue::Null;
    if (type == docs::FieldType::Integer || type == docs::FieldType::Number)
        return stored.toDouble();
    if (type == docs::FieldType::DateTime) {
        const QDateTime at =
            QDateTime::fromString(stored.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return at.toString(at.time() == QTime(0, 0) ? QStringLiteral("dd.MM.yyyy")
                                                    : QStringLiteral("dd.MM.yyyy H:mm:ss"));
    }
    return stored.toString();
}

class ProgramEndToEndTest : public MainWindowTest {
protected:
    void TearDown() override {
        program_.reset();
        qunsetenv("VLR_COM1");
        MainWindowTest::TearDown();
    }

    // The header row, then the stored records of the file in the given DataId order.
    QJsonArray expectedSheet(const docs::DocumentKind& kind, const QVariantList& dataIds) const {
        QJsonArray header;
        QStringList fields;
        for (const docs::ExportColumn& column : kind.columns) {
            header.append(column.header);
            fields << QLatin1Char('[') + column.field + QLatin1Char(']');
        }
        QJsonArray rows{header};
        OtherConnection other(databaseFile());
        QSqlQuery query = other.query();
        query.prepare(QStringLiteral("SELECT %1 FROM Data WHERE DataId = ?").arg(fields.join(',')));
        for (const QVariant& id : dataIds) {
            query.addBindValue(id);
            if (!query.exec() || !query.next()) {
                ADD_FAILURE() << "record " << id.toInt() << " not stored";
                continue;
            }
            QJsonArray cells;
            for (int c = 0; c < kind.columns.size(); ++c)
                cells.append(expectedCell(kind.columns[c].type, query.value(c)));
            while (!cells.isEmpty() && cells.last().isNull())  // a read row ends at its last cell
                cells.removeLast();
            rows.append(cells);
        }
        return rows;
    }

    // As the platform delivers a mouse drop of rows onto a grid: entry, move, drop.
    static void dropRows(grid::DataGrid& target, const QString& source, const QVariantList& keys) {
        const std::unique_ptr<QMimeData> mime = grid::rowsMimeData({source, keys});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target.viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target.viewport(), &move);
        QDropEvent drop(QPointF(12, 12), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
        QApplication::sendEvent(target.viewport(), &drop);
    }

    QAction* command(const char* name) const {
        return program_->mainWindow().findChild<QAction*>(QString::fromLatin1(name));
    }

    std::unique_ptr<ui::DesktopProgram> program_;
};

TEST_F(ProgramEndToEndTest, ReadDropSaveSortExportAndCloseAsAUserDoes) {
    SimulatedInstrument press(instrumentSetup(
        sim::InstrumentKind::Vtra, sim::generateArchives(sim::InstrumentKind::Vtra, {5, 7}, 11)));
    qputenv("VLR_COM1", press.server.devicePath().toUtf8());
    store_ = std::make_unique<app::SettingsStore>(std::make_unique<QSettings>(
        config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat));
    program_ = std::make_unique<ui::DesktopProgram>(*store_, prompter_);
    ASSERT_TRUE(program_->start(work_.path()));
    ui::TForm_Main& main = program_->mainWindow();
    main.setNamePrompt(names_);
    main.show();

    // Identified, read, and every record of both archives in the receive view's grids.
    ui::TForm_Comm& comm = program_->commView();
    ASSERT_TRUE(runUntil([&comm] { return comm.A_ReadArc()->isEnabled(); }, 60000));
    comm.A_ReadArc()->trigger();
    ASSERT_TRUE(runUntil([&comm] { return comm.A_ReadArc()->isEnabled(); }, 60000));
    EXPECT_TRUE(prompter_.messages.isEmpty()) << prompter_.texts().join('\n').toStdString();
    const std::vector<QVariantMap> received = receivedRows(main.database());
    ASSERT_EQ(received.size(), 12u);
    QVariantList asphaltIds;
    for (const QVariantMap& row : received)
        if (row.value(QStringLiteral("DeviceNArc")).toInt() == 1)
            asphaltIds.append(row.value(QStringLiteral("DataId")));
    const QList<std::pair<link::CommTab, int>> tabs{{link::CommTab::Vtr, 5},
                                                    {link::CommTab::Asphalt, 7}};
    for (const auto& [tab, count] : tabs) {
        comm.pageControl()->setCurrentIndex(static_cast<int>(tab));
        EXPECT_EQ(comm.grid(tab)->rowCount(), count);
    }
    grid::DataGrid& asphalt = *comm.grid(link::CommTab::Asphalt);
    QVariantList shownIds;
    for (int row = 0; row < asphalt.rowCount(); ++row)
        shownIds.append(asphalt.value(row, QStringLiteral("DataId")));
    EXPECT_EQ(shownIds, asphaltIds);

    // Ctrl+A on the asphalt tab's grid, then its rows dropped into a new asphalt file.
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    QApplication::sendEvent(&asphalt, &selectAll);
    ASSERT_EQ(asphalt.selectedKeys().size(), 7);
    command("A_NewVTRA")->trigger();
    ASSERT_EQ(main.documentWindows().size(), 1);
    ui::DocumentWindow& document = *main.documentWindows().constFirst();
    dropRows(document.grid(), QStringLiteral("DBGridPro1"), asphalt.selectedKeys());
    ASSERT_EQ(document.grid().rowCount(), 7);

    // Saved under a Cyrillic name and listed in the catalog.
    const QString name = QStringLiteral("Асфальт, объект «Северный»");
    main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(document.parentWidget()));
    names_.answers = {name};
    command("A_SaveFile")->trigger();
    ASSERT_EQ(names_.captions, QStringList{QStringLiteral("Сохранить Таблица1 как...")});
    QStringList listed;
    for (int row = 0; row < main.catalogPanel()->rowCount(); ++row)
        listed << main.catalogPanel()->DBGridPro_Catalog()->value(row, "FileName").toString();
    EXPECT_EQ(listed, QStringList{name});

    // Sorted by the load column, falling; the export follows the grid's order.
    grid::DataGrid& rows = document.grid();
    rows.clickTitle(rows.columnOfField(QStringLiteral("F3")), Qt::NoModifier);
    rows.clickTitle(rows.columnOfField(QStringLiteral("F3")), Qt::NoModifier);
    QVariantList order;
    for (int row = 0; row < rows.rowCount(); ++row) {
        order.append(rows.value(row, QStringLiteral("DataId")));
        if (row > 0) {
            EXPECT_GE(rows.value(row - 1, "F3").toDouble(), rows.value(row, "F3").toDouble());
        }
    }
    ASSERT_EQ(order.size(), 7);
    const QString workbook = work_.filePath(QStringLiteral("Отчёт асфальт.xls"));
    prompter_.fileNames = {workbook};
    command("A_Exp2Excel")->trigger();
    ASSERT_EQ(prompter_.texts(),
              QStringList{QStringLiteral("Экспорт в файл Отчёт асфальт.xls завершен успешно.")});
    const QJsonArray read = firstSheetRows(workbook);
    const QJsonArray expected = expectedSheet(docs::vtrAsphaltKind(), order);
    ASSERT_EQ(read.size(), expected.size());
    for (int row = 0; row < expected.size(); ++row)
        EXPECT_EQ(read[row], expected[row]) << "row " << row;
    ASSERT_TRUE(QFile::remove(workbook));

    // An empty unsaved file, then the regular close: received rows and unsaved files go, the
    // saved file stays, and the database is compacted in place without a leftover.
    command("A_NewVTR")->trigger();
    ASSERT_TRUE(main.close());
    settle();
    EXPECT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(QDir(work_.path()).entryList(QDir::Files),
              QStringList{QStringLiteral("VelaronLink.mdb")});
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data_Comm")).toInt(), 0);
    EXPECT_EQ(sql(QStringLiteral("SELECT group_concat(FileName) FROM Catalog")).toString(), name);
    EXPECT_EQ(sql(QStringLiteral("SELECT count(*) FROM Data")).toInt(), 7);
    EXPECT_EQ(sql(QStringLiteral("PRAGMA freelist_count")).toInt(), 0);
}

}  // namespace
}  // namespace vlr::test
