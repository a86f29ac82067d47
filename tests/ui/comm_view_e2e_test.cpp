// The receive view end to end: the real port driver and link session, probed by the options
// dialog, on one side of a pseudo-terminal named COM1 through VLR_COM1; the simulated
// instrument on the other.

#include "link/e2e_rig.h"
#include "ui/comm_options_dialog.h"
#include "ui/comm_view.h"

#include "grid/data_grid.h"
#include "link/link_session.h"
#include "support/scripted_prompter.h"

#include <QAction>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

class CommViewEndToEndTest : public TempDatabaseTest {
protected:
    void TearDown() override { qunsetenv("VLR_COM1"); }

    // DataId of the grid's rows, then of the stored rows of the archive, in the same order.
    QVariantList shownAndStoredIds(const grid::DataGrid& grid, int archive) const {
        QVariantList ids;
        for (int row = 0; row < grid.rowCount(); ++row)
            ids.append(grid.value(row, QStringLiteral("DataId")));
        for (const QVariantMap& row : receivedRows(db_))
            if (row.value(QStringLiteral("DeviceNArc")).toInt() == archive)
                ids.append(row.value(QStringLiteral("DataId")));
        return ids;
    }
};

TEST_F(CommViewEndToEndTest, TheReadCommandBringsEveryRecordIntoTheGrids) {
    SimulatedInstrument instrument(instrumentSetup(
        sim::InstrumentKind::Vtra, sim::generateArchives(sim::InstrumentKind::Vtra, {6, 4}, 3)));
    qputenv("VLR_COM1", instrument.server.devicePath().toUtf8());

    ScriptedPrompter prompter;
    link::PortSettings settings;
    link::TCommPortDriver port;  // the system's COM table, as the program builds it
    port.setEnableDTROnOpen(false);
    const std::unique_ptr<link::TickTimer> comOut = link::makeQtTickTimer(TestTickMs);
    ui::TForm_Comm view(db_, prompter, link::makeQtTickTimer(TestTickMs));
    view.hostLink(std::make_unique<link::LinkSession>(port, *comOut, db_, view, settings,
                                                      link::systemPortLookUp()));
    view.linkSession()->watchPorts();
    ui::TForm_CommOptions options(*view.linkSession(), settings, &view);
    view.show();

    ASSERT_TRUE(runUntil([&view] { return view.A_ReadArc()->isEnabled(); }));
    view.A_ReadArc()->trigger();
    ASSERT_TRUE(runUntil([&view] { return view.A_ReadArc()->isEnabled(); }));

    EXPECT_TRUE(prompter.messages.isEmpty());
    const QVariantList archive0 = shownAndStoredIds(*view.grid(link::CommTab::Vtr), 0);
    EXPECT_EQ(archive0.size(), 12);
    EXPECT_EQ(archive0.mid(0, 6), archive0.mid(6));
    view.pageControl()->setCurrentIndex(2);
    const QVariantList archive1 = shownAndStoredIds(*view.grid(link::CommTab::Asphalt), 1);
    EXPECT_EQ(archive1.size(), 8);
    EXPECT_EQ(archive1.mid(0, 4), archive1.mid(4));
}

}  // namespace
}  // namespace vlr::test
