// The receive view end to end: the real port driver, exchange and options dialog on one side
// of a pseudo-terminal named COM1 through VLR_COM1, the simulated instrument on the other.

#include "link/e2e_rig.h"
#include "ui/comm_options_dialog.h"
#include "ui/comm_view.h"

#include "grid/data_grid.h"
#include "link/link_session.h"
#include "support/scripted_prompter.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace vlr::test {
namespace {

// VLR_COM1 names the device for as long as the test runs.
class Com1Variable {
public:
    explicit Com1Variable(const QString& path) { qputenv("VLR_COM1", path.toUtf8()); }
    ~Com1Variable() { qunsetenv("VLR_COM1"); }
};

class CommViewEndToEndTest : public TempDatabaseTest {};

QVariantList shownDataIds(const grid::DataGrid& grid) {
    QVariantList ids;
    for (int row = 0; row < grid.rowCount(); ++row)
        ids.append(grid.value(row, QStringLiteral("DataId")));
    return ids;
}

QVariantList storedDataIds(const store::Database& database, int archive) {
    QVariantList ids;
    for (const QVariantMap& row : receivedRows(database)) {
        if (row.value(QStringLiteral("DeviceNArc")).toInt() == archive)
            ids.append(row.value(QStringLiteral("DataId")));
    }
    return ids;
}

TEST_F(CommViewEndToEndTest, TheReadCommandBringsEveryRecordIntoTheGrids) {
    SimulatedInstrument instrument(instrumentSetup(
        sim::InstrumentKind::Vtra, sim::generateArchives(sim::InstrumentKind::Vtra, {6, 4}, 3)));
    Com1Variable com1(instrument.server.devicePath());

    ScriptedPrompter prompter;
    link::PortSettings settings;
    // The system's port table, as the program builds it: COM1 is what VLR_COM1 names.
    link::TCommPortDriver port;
    port.setEnableDTROnOpen(false);
    const std::unique_ptr<link::TickTimer> comOut = link::makeQtTickTimer(TestTickMs);
    ui::TForm_Comm view(db_, prompter, link::makeQtTickTimer(TestTickMs));
    view.hostLink(std::make_unique<link::LinkSession>(port, *comOut, db_, view, settings));
    ui::TForm_CommOptions options(*view.linkSession(), settings, &view);
    view.setOptionsDialog(&options);
    view.show();

    ASSERT_TRUE(runUntil([&view] { return view.A_ReadArc()->isEnabled(); }));
    EXPECT_EQ(view.statusPanel(1)->text(), QStringLiteral("COM1/9600"));
    view.A_ReadArc()->trigger();
    ASSERT_TRUE(runUntil([&view] { return view.A_ReadArc()->isEnabled(); }));

    EXPECT_TRUE(prompter.messages.isEmpty());
    grid::DataGrid& vtr = *view.grid(link::CommTab::Vtr);
    ASSERT_EQ(view.pageControl()->currentIndex(), 1);
    EXPECT_EQ(vtr.rowCount(), 6);
    EXPECT_EQ(shownDataIds(vtr), storedDataIds(db_, 0));
    view.pageControl()->setCurrentIndex(2);
    grid::DataGrid& asphalt = *view.grid(link::CommTab::Asphalt);
    EXPECT_EQ(asphalt.rowCount(), 4);
    EXPECT_EQ(shownDataIds(asphalt), storedDataIds(db_, 1));
}

}  // namespace
}  // namespace vlr::test
