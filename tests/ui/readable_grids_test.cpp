// The grids at the windows' opening sizes with the simulator's five-record examples of each
// kind: every number, date-time and short text shows whole, without scrolling sideways.

#include "main_window_fixture.h"

#include "docs/document_records.h"
#include "grid/data_grid.h"
#include "link/record_decoder.h"
#include "sim/instrument_archive.h"
#include "ui/comm_view.h"
#include "ui/document_window.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>

namespace vlr::test {
namespace {

struct Example {
    sim::InstrumentKind instrument;
    int deviceListId;
    int archive;
    link::CommTab tab;
    const char* newFileCommand;
};

const Example kExamples[] = {
    {sim::InstrumentKind::Osk, 1, 0, link::CommTab::Osk, "A_NewOSK"},
    {sim::InstrumentKind::Vtr, 2, 0, link::CommTab::Vtr, "A_NewVTR"},
    {sim::InstrumentKind::Vtra, 5, 1, link::CommTab::Asphalt, "A_NewVTRA"},
};

// Five records of the example's archive, decoded into the received rows.
void receiveFive(const store::Database& database, const Example& example) {
    const sim::KindProfile& profile = sim::profileOf(example.instrument);
    std::vector<int> counts(static_cast<size_t>(example.archive) + 1, 5);
    const sim::Archives archives = sim::generateArchives(example.instrument, counts, 3);
    int n = 0;
    for (const QByteArray& record : archives.at(static_cast<size_t>(example.archive))) {
        link::RecordContext context;
        context.payload = reinterpret_cast<const std::uint8_t*>(record.constData());
        context.payloadLength = static_cast<int>(record.size());
        context.DeviceListId = example.deviceListId;
        context.DeviceSubType = profile.defaultSubType;
        context.CurrentArchive = example.archive;
        context.N = ++n;
        EXPECT_EQ(link::decodeRecord(context, database), link::RecordOutcome::Stored);
    }
}

// Every shown cell's text fits its column, and every column is in view.
void expectReadable(const grid::DataGrid& grid, const QString& where) {
    ASSERT_EQ(grid.rowCount(), 5) << where.toStdString();
    const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    int total = 0;
    QString widths;  // said when the columns do not fit
    for (int column = 0; column < grid.model()->columnCount(); ++column) {
        if (grid.isColumnHidden(column))
            continue;
        total += grid.columnWidth(column);
        widths += QStringLiteral(" %1:%2")
                      .arg(grid.columns()[static_cast<size_t>(column)].field)
                      .arg(grid.columnWidth(column));
        for (int row = 0; row < grid.rowCount(); ++row) {
            // A long text (a specimen's dimensions, a test method with its standard) may end
            // in an ellipsis after its first 16 characters.
            QString text = grid.model()->index(row, column).data().toString();
            if (text.size() > 16)
                text = text.left(16) + QChar(0x2026);
            EXPECT_LE(grid.fontMetrics().horizontalAdvance(text) + 2 * margin + 1,
                      grid.columnWidth(column))
                << where.toStdString() << ": \"" << text.toStdString() << "\" in "
                << grid.columns()[static_cast<size_t>(column)].field.toStdString();
        }
    }
    EXPECT_LE(total, grid.viewport()->width()) << where.toStdString() << widths.toStdString();
    EXPECT_EQ(grid.horizontalScrollBar()->maximum(), 0) << where.toStdString();
}

TEST_F(MainWindowTest, EveryValueShowsWholeAtTheWindowsOpeningSizes) {
    ASSERT_TRUE(start());
    // A desktop wider than the windows, as on any monitor of today.
    window().showNormal();
    window().resize(1600, 1000);
    settle();

    auto* view = new ui::TForm_Comm(window().database(), prompter_);
    QMdiSubWindow* commFrame = window().installCommView(view, view->menus());
    settle();
    EXPECT_EQ(view->size(), QSize(720, 540));
    for (const Example& example : kExamples) {
        receiveFive(window().database(), example);
        view->showTab(example.tab, QStringLiteral("Прибор"));
        view->pageControl()->setCurrentIndex(static_cast<int>(example.tab));
        settle();
        grid::DataGrid& received = *view->grid(example.tab);
        expectReadable(received, QStringLiteral("receive view, ") + received.objectName());

        action(example.newFileCommand)->trigger();
        ui::DocumentWindow& document = *window().documentWindows().constLast();
        auto* frame = qobject_cast<QMdiSubWindow*>(document.parentWidget());
        EXPECT_EQ(frame->size(), QSize(696, 480));
        QVector<int> ids;
        for (int row = 0; row < received.rowCount(); ++row)
            ids.append(received.value(row, QStringLiteral("DataId")).toInt());
        EXPECT_EQ(docs::copyReceivedRows(window().database(), document.FileNameId(), ids).copied,
                  5);
        document.ReloadRows();
        settle();
        expectReadable(document.grid(),
                       QStringLiteral("document, ") + document.grid().objectName());
        window().mdiArea()->setActiveSubWindow(commFrame);
    }
}

}  // namespace
}  // namespace vlr::test
