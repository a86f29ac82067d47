#include "ui/comm_view.h"

#include "grid/data_grid.h"
#include "grid/rows_mime.h"
#include "link/link_fakes.h"
#include "link/link_session.h"
#include "sim/instrument_archive.h"
#include "sim/instrument_model.h"
#include "support/scripted_prompter.h"
#include "support/temp_database.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

using link::CommTab;

class CommViewTest : public TempDatabaseTest {
protected:
    void SetUp() override {
        TempDatabaseTest::SetUp();
        auto refresh = std::make_unique<FakeTickTimer>();
        refresh_ = refresh.get();
        view_ = std::make_unique<ui::TForm_Comm>(db_, prompter_, std::move(refresh));
        port_.openable[0] = true;
        view_->hostLink(std::make_unique<link::LinkSession>(port_, comOut_, db_, *view_, ports_,
                                                            port_.lookUp()));
        view_->linkSession()->lookUpPorts();
        view_->show();
    }

    // The instrument answers each letter sent so far; the letters its answers provoke wait.
    void answerPending() {
        const QByteArray letters = port_.sent.mid(answered_);
        answered_ = port_.sent.size();
        for (char letter : letters) {
            const QByteArray answer = instrument_->answer(letter);
            if (!answer.isEmpty())
                port_.receive(answer);
        }
    }

    void connectInstrument(sim::InstrumentKind kind, const std::vector<int>& counts) {
        const sim::KindProfile& profile = sim::profileOf(kind);
        sim::InstrumentSetup setup{profile.deviceType, profile.defaultSubType};
        setup.archives = sim::generateArchives(kind, counts, 7);
        instrument_ = std::make_unique<sim::InstrumentModel>(setup);
        comOut_.tick();  // probe
        answerPending();
        comOut_.tick();  // identification
        answerPending();
        answerPending();  // keep-alive
        ASSERT_EQ(view_->linkSession()->state(), link::ExchangeState::Connected);
    }

    QTabWidget& pages() { return *view_->pageControl(); }
    int rows(CommTab tab) { return view_->grid(tab)->rowCount(); }
    std::vector<int> panelWidths() {
        std::vector<int> widths;
        for (int panel = 0; panel < 4; ++panel)
            widths.push_back(view_->statusPanel(panel)->width());
        return widths;
    }

    ScriptedPrompter prompter_;
    FakeSerialLink port_;
    FakeTickTimer comOut_;
    FakeTickTimer* refresh_ = nullptr;
    link::PortSettings ports_;
    std::unique_ptr<ui::TForm_Comm> view_;
    std::unique_ptr<sim::InstrumentModel> instrument_;
    int answered_ = 0;
};

TEST_F(CommViewTest, ReadingBothArchivesShowsTabsReloadsTheReadOneAndCountsInTheStatusBar) {
    EXPECT_FALSE(pages().isVisible());
    EXPECT_FALSE(pages().isTabVisible(0) || pages().isTabVisible(1) || pages().isTabVisible(2));

    connectInstrument(sim::InstrumentKind::Vtra, {3, 2});
    EXPECT_FALSE(pages().isTabVisible(0));
    EXPECT_EQ(pages().tabText(1), QStringLiteral("ВТР-К9"));
    EXPECT_EQ(pages().tabText(2), QStringLiteral("ВТР-К9 Асфальтобетон"));
    EXPECT_TRUE(pages().isTabVisible(1) && pages().isTabVisible(2));
    EXPECT_EQ(pages().currentIndex(), 1);
    EXPECT_EQ(view_->CommViewDeviceListId(), 5);
    EXPECT_EQ(view_->CommViewArc(), 0);

    view_->A_ReadArc()->trigger();
    EXPECT_FALSE(view_->A_ReadArc()->isEnabled() || view_->A_CommOptions()->isEnabled());

    // Archive 0 is read while its tab is shown: a tick reloads it.
    answerPending();
    EXPECT_EQ(rows(CommTab::Vtr), 0);
    refresh_->tick();
    EXPECT_EQ(rows(CommTab::Vtr), 1);
    EXPECT_EQ(view_->statusPanel(0)->text(), QStringLiteral("Прием информации... Принято: 1/5"));
    EXPECT_TRUE(view_->readProgress()->isVisible());
    EXPECT_EQ(view_->readProgress()->value(), 1);
    EXPECT_EQ(view_->readProgress()->maximum(), 5);

    // Archive 1 is read now: the tab of archive 0 is no longer reloaded, the asphalt tab is.
    answerPending();
    answerPending();
    refresh_->tick();
    EXPECT_EQ(rows(CommTab::Vtr), 1);
    pages().setCurrentIndex(2);
    EXPECT_EQ(view_->CommViewArc(), 1);
    EXPECT_EQ(rows(CommTab::Vtr), 0);  // one row source, for the shown tab
    answerPending();
    refresh_->tick();
    EXPECT_EQ(rows(CommTab::Asphalt), 1);

    // The last record ends the read: a last reload, the bar gone, the commands back.
    answerPending();
    EXPECT_EQ(rows(CommTab::Asphalt), 2);
    EXPECT_FALSE(refresh_->isActive());
    EXPECT_FALSE(view_->readProgress()->isVisible());
    EXPECT_TRUE(view_->A_ReadArc()->isEnabled() && view_->A_CommOptions()->isEnabled());
    pages().setCurrentIndex(1);
    grid::DataGrid& vtr = *view_->grid(CommTab::Vtr);
    ASSERT_EQ(vtr.rowCount(), 3);
    EXPECT_EQ(vtr.value(2, QStringLiteral("N")).toInt(), 3);
    const QString load = vtr.gridModel()->cellText(0, vtr.columnOfField(QStringLiteral("F3")));
    EXPECT_TRUE(load.contains(QRegularExpression(QStringLiteral("^\\d+,\\d\\d$"))));
    EXPECT_TRUE(prompter_.messages.isEmpty());

    // A plain VTR press identified next: the shown VTR tab follows its kind.
    port_.vanish();
    connectInstrument(sim::InstrumentKind::Vtr, {2});
    EXPECT_EQ(view_->CommViewDeviceListId(), 2);
    EXPECT_EQ(vtr.rowCount(), 0);
}

TEST_F(CommViewTest, CtrlASelectsEveryRowKeepingTheCurrentOneAndTheRowsDragAsDataIds) {
    QSqlQuery insert(db_.connection());
    for (int n = 1; n <= 4; ++n)
        ASSERT_TRUE(insert.exec(
            QStringLiteral("INSERT INTO Data_Comm (DeviceListId, DeviceNArc, N) VALUES (2, 0, %1)")
                .arg(n)));
    view_->showTab(CommTab::Vtr, QStringLiteral("ВТР-К9"));
    grid::DataGrid& vtr = *view_->grid(CommTab::Vtr);
    vtr.setCurrentRow(2);
    for (Qt::KeyboardModifiers modifiers :
         {Qt::ControlModifier | Qt::ShiftModifier, Qt::KeyboardModifiers(),
          Qt::KeyboardModifiers(Qt::ControlModifier)}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, modifiers, QStringLiteral("a"));
        QApplication::sendEvent(&vtr, &key);
        EXPECT_EQ(vtr.selectedKeys().size(), modifiers == Qt::ControlModifier ? 4 : 0);
    }
    EXPECT_EQ(vtr.currentRow(), 2);

    const grid::DraggedRows dragged = grid::draggedRows(vtr.dragData().get());
    EXPECT_EQ(dragged.source, QStringLiteral("DBGridPro_CVTR"));
    QSqlQuery ids(QStringLiteral("SELECT DataId FROM Data_Comm"), db_.connection());
    while (ids.next())
        EXPECT_TRUE(dragged.keys.contains(ids.value(0)));
    EXPECT_EQ(dragged.keys.size(), 4);
}

TEST_F(CommViewTest, StatusBarPanelsFollowTheWidthAndARowSourceFailureIsShown) {
    view_->resize(700, 540);
    EXPECT_EQ(panelWidths(), std::vector<int>({400, 100, 100, 100}));
    view_->resize(706, 540);
    EXPECT_EQ(panelWidths(), std::vector<int>({403, 100, 100, 100}));

    QSqlQuery(QStringLiteral("DROP TABLE Data_Comm"), db_.connection());
    view_->showTab(CommTab::Osk, QStringLiteral("ОСК-К9"));
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(prompter_.messages[0].icon, ui::PromptIcon::Error);
    EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("Data_Comm")));
}

}  // namespace
}  // namespace vlr::test
