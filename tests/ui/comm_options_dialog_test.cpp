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
        link_ = std::make_unique<link::LinkSession>(port_, timer_, db_, view_, settings_,
                                                    port_.lookUp());
        link_->lookUpPorts();
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
    EXPECT_TRUE(port_.openedPorts.empty());  // listed from the look at the ports, not opened
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

    // A stored fixed port that is absent now stays listed and selected, so OK keeps it;
    // Escape closes as Cancel.
    settings_.SelectedCom = QStringLiteral("COM 9");
    dialog->show();
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 9"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(CommOptionsDialogTest, WithoutPortsOkKeepsTheFixedPortAndNothingIsProbed) {
    const auto dialog = dialogWithPorts({});
    dialog->show();
    EXPECT_EQ(dialog->portList()->count(), 1);
    dialog->okButton()->click();
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("COM 3"));
    timer_.tick();
    EXPECT_TRUE(port_.openedPorts.empty());

    // With automatic detection the list holds the present ports only: none.
    settings_ = {true, QStringLiteral("COM 3")};
    dialog->show();
    EXPECT_EQ(dialog->portList()->count(), 0);
    dialog->okButton()->click();
    EXPECT_EQ(settings_.SelectedCom, QString());
}

// The list follows the ports that come and go while the dialog is open; the selected entry
// stays while its port is away, so the choice never moves to another port.
TEST_F(CommOptionsDialogTest, TheListFollowsThePortsWhileOpen) {
    const auto dialog = dialogWithPorts({2});
    settings_.SelectedCom = QStringLiteral("COM 2");
    dialog->show();
    QComboBox& list = *dialog->portList();
    const auto entries = [&list] {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts << list.itemText(i);
        return texts;
    };

    port_.openable[4] = true;  // an adapter plugged in
    port_.busy[0] = true;      // a port another program holds is there all the same
    link_->lookUpPorts();
    EXPECT_EQ(entries(), (QStringList{"COM 1", "COM 2", "COM 5"}));
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 2"));

    list.setCurrentIndex(2);
    port_.openable[4] = false;  // and pulled out again
    port_.busy[0] = false;
    link_->lookUpPorts();
    EXPECT_EQ(entries(), (QStringList{"COM 2", "COM 5"}));
    EXPECT_EQ(list.currentText(), QStringLiteral("COM 5"));
    dialog->okButton()->click();
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("COM 5"));
}

}  // namespace
}  // namespace vlr::test
