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
#include <QMenu>
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
        view_->hostLink(
            std::make_unique<link::LinkSession>(port_, comOut_, db_, *view_, settings_));
        view_->linkSession()->probePorts();
    }
    const link::ExchangeController& exchange() { return view_->linkSession()->exchange(); }

    // The instrument answers the letters the exchange has sent so far, one answer each; the
    // letters its answers provoke wait for the next call.
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
        sim::InstrumentSetup setup;
        setup.deviceType = profile.deviceType;
        setup.deviceSubType = profile.defaultSubType;
        setup.archives = sim::generateArchives(kind, counts, 7);
        instrument_ = std::make_unique<sim::InstrumentModel>(setup);
        comOut_.tick();  // probe
        answerPending();
        comOut_.tick();  // identification request
        answerPending();
        answerPending();  // keep-alive echo
        ASSERT_EQ(exchange().state(), link::ExchangeState::Connected);
    }

    QTabWidget& pages() { return *view_->pageControl(); }
    grid::DataGrid& grid(CommTab tab) { return *view_->grid(tab); }
    QString panel(int index) { return view_->statusPanel(index)->text(); }
    int panelWidth(int index) { return view_->statusPanel(index)->width(); }

    ScriptedPrompter prompter_;
    FakeSerialLink port_;
    FakeTickTimer comOut_;
    FakeTickTimer* refresh_ = nullptr;
    link::PortSettings settings_;
    std::unique_ptr<ui::TForm_Comm> view_;
    std::unique_ptr<sim::InstrumentModel> instrument_;
    int answered_ = 0;
};

TEST_F(CommViewTest, ReadingBothArchivesShowsTabsReloadsTheReadOneAndCountsInTheStatusBar) {
    ASSERT_EQ(view_->menus().size(), 2);
    EXPECT_EQ(view_->menus()[0]->title(), QStringLiteral("Операции"));
    EXPECT_EQ(view_->menus()[1]->title(), QStringLiteral("Настройки"));
    EXPECT_EQ(view_->A_ReadArc()->text(), QStringLiteral("Считать архив"));
    EXPECT_EQ(view_->A_ReadArc()->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(view_->A_CommOptions()->text(), QStringLiteral("COM-порт"));
    view_->show();

    // Nothing identified: no tab, nothing to read.
    for (int tab = 0; tab < 3; ++tab)
        EXPECT_FALSE(pages().isTabVisible(tab));
    EXPECT_FALSE(pages().isVisible());
    EXPECT_FALSE(view_->A_ReadArc()->isEnabled());
    EXPECT_EQ(panel(1), QStringLiteral("Отключен"));

    connectInstrument(sim::InstrumentKind::Vtra, {3, 2});
    EXPECT_FALSE(pages().isTabVisible(0));
    EXPECT_TRUE(pages().isTabVisible(1));
    EXPECT_TRUE(pages().isTabVisible(2));
    EXPECT_EQ(pages().tabText(1), QStringLiteral("ВТР-К9"));
    EXPECT_EQ(pages().tabText(2), QStringLiteral("ВТР-К9 Асфальтобетон"));
    EXPECT_EQ(pages().currentIndex(), 1);
    EXPECT_EQ(view_->CommViewDeviceListId(), 5);
    EXPECT_EQ(view_->CommViewArc(), 0);
    EXPECT_EQ(panel(1), QStringLiteral("COM1/9600"));
    EXPECT_EQ(panel(2), QStringLiteral("ВТР-К9"));
    EXPECT_TRUE(view_->A_ReadArc()->isEnabled());
    EXPECT_FALSE(view_->readProgress()->isVisible());

    view_->A_ReadArc()->trigger();
    EXPECT_TRUE(refresh_->isActive());
    EXPECT_FALSE(view_->A_ReadArc()->isEnabled());
    EXPECT_FALSE(view_->A_CommOptions()->isEnabled());
    EXPECT_TRUE(view_->readProgress()->isVisible());

    // Archive 0 is read while its tab is shown: every tick reloads it.
    answerPending();
    EXPECT_EQ(grid(CommTab::Vtr).rowCount(), 0);
    refresh_->tick();
    EXPECT_EQ(grid(CommTab::Vtr).rowCount(), 1);
    EXPECT_EQ(panel(0), QStringLiteral("Прием информации... Принято: 1/5"));
    EXPECT_EQ(view_->readProgress()->value(), 1);
    EXPECT_EQ(view_->readProgress()->maximum(), 5);
    EXPECT_EQ(panel(3), QString());

    // Archive 1 is read now: the shown tab of archive 0 is no longer reloaded.
    answerPending();
    answerPending();
    ASSERT_EQ(exchange().CurrentArchive(), 1);
    refresh_->tick();
    EXPECT_EQ(grid(CommTab::Vtr).rowCount(), 1);

    // Showing the asphalt tab loads archive 1, and the ticks reload it; one row set at a time.
    pages().setCurrentIndex(2);
    EXPECT_EQ(view_->CommViewDeviceListId(), 5);
    EXPECT_EQ(view_->CommViewArc(), 1);
    EXPECT_EQ(grid(CommTab::Vtr).rowCount(), 0);
    EXPECT_EQ(grid(CommTab::Asphalt).rowCount(), 0);
    answerPending();
    refresh_->tick();
    EXPECT_EQ(grid(CommTab::Asphalt).rowCount(), 1);
    EXPECT_EQ(view_->readProgress()->value(), 4);

    // The last record ends the read: a last reload, the bar gone, the commands back.
    answerPending();
    EXPECT_EQ(grid(CommTab::Asphalt).rowCount(), 2);
    EXPECT_FALSE(refresh_->isActive());
    EXPECT_FALSE(view_->readProgress()->isVisible());
    EXPECT_EQ(panel(0), QString());
    EXPECT_TRUE(view_->A_ReadArc()->isEnabled());
    EXPECT_TRUE(view_->A_CommOptions()->isEnabled());
    EXPECT_TRUE(prompter_.messages.isEmpty());

    pages().setCurrentIndex(1);
    grid::DataGrid& vtr = grid(CommTab::Vtr);
    ASSERT_EQ(vtr.rowCount(), 3);
    EXPECT_EQ(vtr.currentRow(), 0);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(vtr.value(row, QStringLiteral("N")).toInt(), row + 1);
    // P in kN with two decimals and the user's decimal comma; DataId is not shown.
    const QString load = vtr.gridModel()->cellText(0, vtr.columnOfField(QStringLiteral("F3")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+,\\d\\d$")).match(load).hasMatch())
        << load.toStdString();
    EXPECT_TRUE(vtr.isColumnHidden(vtr.columnOfField(QStringLiteral("DataId"))));
    EXPECT_TRUE(vtr.isColumnHidden(vtr.columnOfField(QStringLiteral("T3"))));

    // That press goes and a plain VTR press is identified: the shown VTR tab follows its kind.
    port_.vanish();
    connectInstrument(sim::InstrumentKind::Vtr, {2});
    EXPECT_EQ(view_->CommViewDeviceListId(), 2);
    EXPECT_EQ(vtr.rowCount(), 0);
    view_->A_ReadArc()->trigger();
    answerPending();
    answerPending();
    EXPECT_EQ(vtr.rowCount(), 2);
}

TEST_F(CommViewTest, CtrlASelectsEveryRowKeepingTheCurrentOneAndTheRowsDragAsDataIds) {
    QSqlQuery insert(db_.connection());
    for (int n = 1; n <= 4; ++n) {
        ASSERT_TRUE(insert.exec(QStringLiteral("INSERT INTO Data_Comm (DeviceListId, DeviceNArc, "
                                               "N, F3) VALUES (2, 0, %1, 10.5)")
                                    .arg(n)));
    }
    view_->showTab(CommTab::Vtr, QStringLiteral("ВТР-К9"));
    view_->show();
    grid::DataGrid& vtr = grid(CommTab::Vtr);
    ASSERT_EQ(vtr.rowCount(), 4);
    vtr.setCurrentRow(2);

    auto press = [&vtr](Qt::KeyboardModifiers modifiers) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, modifiers, QStringLiteral("a"));
        QApplication::sendEvent(&vtr, &key);
    };
    press(Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::NoModifier);
    EXPECT_TRUE(vtr.selectedKeys().isEmpty());
    press(Qt::ControlModifier);
    EXPECT_EQ(vtr.selectedKeys().size(), 4);
    EXPECT_EQ(vtr.currentRow(), 2);

    QVariantList dataIds;
    QSqlQuery ids(QStringLiteral("SELECT DataId FROM Data_Comm ORDER BY N"), db_.connection());
    while (ids.next())
        dataIds.append(ids.value(0));
    const std::unique_ptr<QMimeData> drag = vtr.dragData();
    const grid::DraggedRows rows = grid::draggedRows(drag.get());
    EXPECT_EQ(rows.source, QStringLiteral("DBGridPro_CVTR"));
    QVariantList keys = rows.keys;
    std::sort(keys.begin(), keys.end(),
              [](const QVariant& a, const QVariant& b) { return a.toInt() < b.toInt(); });
    EXPECT_EQ(keys.size(), 4);
    for (int i = 0; i < keys.size() && i < dataIds.size(); ++i)
        EXPECT_EQ(keys[i].toInt(), dataIds[i].toInt());
    EXPECT_EQ(grid(CommTab::Osk).sourceIdentity(), QStringLiteral("DBGridPro_COSK"));
    EXPECT_EQ(grid(CommTab::Asphalt).sourceIdentity(), QStringLiteral("DBGridPro1"));
}

TEST_F(CommViewTest, StatusBarPanelsFollowTheWidthAndARowSourceFailureIsShown) {
    view_->show();
    view_->resize(700, 540);
    EXPECT_EQ(view_->findChild<QWidget*>(QStringLiteral("StatusBar_Comm"))->width(), 700);
    EXPECT_EQ(std::vector<int>({panelWidth(0), panelWidth(1), panelWidth(2), panelWidth(3)}),
              std::vector<int>({400, 100, 100, 100}));
    view_->resize(706, 540);
    EXPECT_EQ(std::vector<int>({panelWidth(0), panelWidth(1), panelWidth(2), panelWidth(3)}),
              std::vector<int>({403, 100, 100, 100}));

    QSqlQuery(QStringLiteral("DROP TABLE Data_Comm"), db_.connection());
    view_->showTab(CommTab::Osk, QStringLiteral("ОСК-К9"));
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(prompter_.messages[0].icon, ui::PromptIcon::Error);
    EXPECT_TRUE(prompter_.messages[0].text.contains(QStringLiteral("Data_Comm")))
        << prompter_.messages[0].text.toStdString();
    EXPECT_EQ(grid(CommTab::Osk).rowCount(), 0);
}

}  // namespace
}  // namespace vlr::test
