#include "ui/comm_options_dialog.h"

#include "link/link_fakes.h"
#include "link/link_session.h"
#include "support/temp_database.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace vlr::test {
namespace {

class CommOptionsDialogTest : public TempDatabaseTest {
protected:
    std::unique_ptr<ui::TForm_CommOptions> dialogWithPorts(std::initializer_list<int> present) {
        for (int number : present)
            port_.openable[static_cast<size_t>(number - 1)] = true;
        link_ = std::make_unique<link::LinkSession>(port_, timer_, db_, view_, settings_);
        return std::make_unique<ui::TForm_CommOptions>(*link_, settings_);
    }

    FakeSerialLink port_;
    FakeTickTimer timer_;
    FakeExchangeView view_;
    link::PortSettings settings_{false, QStringLiteral("com 3")};
    std::unique_ptr<link::LinkSession> link_;
};

TEST_F(CommOptionsDialogTest, ListsThePresentPortsAndOkStoresTheSettingsForTheNextProbe) {
    const auto dialog = dialogWithPorts({1, 3});
    QComboBox& list = *dialog->portList();
    EXPECT_EQ(port_.openedPorts.size(), 16u);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("COM 1"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("COM 3"));
    EXPECT_EQ(list.currentIndex(), 0);
    EXPECT_TRUE(link_->exchange().ScanEnabled());

    // The stored port is selected whatever its letter case; the list is enabled while the
    // check box is clear, and keeps its selection either way.
    dialog->show();
    EXPECT_FALSE(dialog->autoDetectBox()->isChecked());
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 3"));
    dialog->autoDetectBox()->click();
    EXPECT_FALSE(list.isEnabled());
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 3"));

    // Cancel keeps the record, and the next showing shows it again.
    list.setCurrentIndex(0);
    dialog->cancelButton()->click();
    EXPECT_FALSE(settings_.AutoDetectCom);
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("com 3"));
    dialog->show();
    EXPECT_FALSE(dialog->autoDetectBox()->isChecked());
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 3"));

    // OK with COM1: the exchange's next probe opens COM1.
    list.setCurrentIndex(0);
    dialog->okButton()->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("COM 1"));
    timer_.tick();
    EXPECT_EQ(port_.openedPorts.back(), 1);
    EXPECT_EQ(view_.panels[0], QStringLiteral("Опрос порта COM1..."));

    // A stored port that is not listed leaves the selection; Escape closes as Cancel.
    settings_.SelectedCom = QStringLiteral("COM 9");
    dialog->show();
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 1"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(CommOptionsDialogTest, WithoutPortsOkStoresAnEmptyPortAndNothingIsProbed) {
    const auto dialog = dialogWithPorts({});
    dialog->show();
    dialog->okButton()->click();
    EXPECT_EQ(settings_.SelectedCom, QString());
    const std::size_t opened = port_.openedPorts.size();
    timer_.tick();
    EXPECT_EQ(port_.openedPorts.size(), opened);
}

}  // namespace
}  // namespace vlr::test
