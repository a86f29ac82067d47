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
    void SetUp() override {
        TempDatabaseTest::SetUp();
        port_.openable[0] = true;
        port_.openable[2] = true;
        link_ = std::make_unique<link::LinkSession>(port_, timer_, db_, view_, settings_);
    }
    QStringList entries(const ui::TForm_CommOptions& dialog) const {
        QStringList all;
        for (int i = 0; i < dialog.portList()->count(); ++i)
            all << dialog.portList()->itemText(i);
        return all;
    }

    FakeSerialLink port_;
    FakeTickTimer timer_;
    FakeExchangeView view_;
    link::PortSettings settings_;
    std::unique_ptr<link::LinkSession> link_;
};

TEST_F(CommOptionsDialogTest, ProbesOnceAndHandsThePresentPortsToTheExchange) {
    ui::TForm_CommOptions dialog(*link_, settings_);

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Настройки"));
    EXPECT_EQ(dialog.size(), QSize(291, 145));
    EXPECT_EQ(dialog.okButton()->text(), QStringLiteral("Ok"));
    EXPECT_EQ(dialog.cancelButton()->size(), QSize(75, 25));
    EXPECT_EQ(dialog.cancelButton()->geometry().right(), 291 - 8 - 1);
    EXPECT_EQ(port_.openedPorts.size(), 16u);
    EXPECT_FALSE(port_.isOpen());
    EXPECT_EQ(entries(dialog), (QStringList{"COM 1", "COM 3"}));
    EXPECT_EQ(dialog.portList()->currentText(), QStringLiteral("COM 1"));
    EXPECT_TRUE(link_->exchange().ScanEnabled());
    EXPECT_TRUE(link_->exchange().PresentPorts()[0]);
    EXPECT_FALSE(link_->exchange().PresentPorts()[1]);
    EXPECT_TRUE(link_->exchange().PresentPorts()[2]);

    // Automatic detection searches the present ports only: COM3 comes after COM1.
    timer_.tick();
    EXPECT_EQ(port_.openedPorts.back(), 3);
}

TEST_F(CommOptionsDialogTest, OkStoresBothSettingsForTheNextProbeAndCancelKeepsThem) {
    settings_.AutoDetectCom = false;
    settings_.SelectedCom = QStringLiteral("com 3");
    ui::TForm_CommOptions dialog(*link_, settings_);

    dialog.show();
    EXPECT_FALSE(dialog.autoDetectBox()->isChecked());
    EXPECT_TRUE(dialog.portList()->isEnabled());
    EXPECT_EQ(dialog.portList()->currentText(), QStringLiteral("COM 3"));

    // Changing both and cancelling leaves the record, and the next showing shows it again.
    dialog.autoDetectBox()->click();
    EXPECT_FALSE(dialog.portList()->isEnabled());
    EXPECT_EQ(dialog.portList()->currentText(), QStringLiteral("COM 3"));
    dialog.portList()->setCurrentIndex(0);
    dialog.cancelButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(settings_.AutoDetectCom);
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("com 3"));
    dialog.show();
    EXPECT_FALSE(dialog.autoDetectBox()->isChecked());
    EXPECT_TRUE(dialog.portList()->isEnabled());
    EXPECT_EQ(dialog.portList()->currentText(), QStringLiteral("COM 3"));

    // OK with the fixed port COM1: the exchange's next probe opens COM1.
    dialog.portList()->setCurrentIndex(0);
    dialog.okButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(settings_.AutoDetectCom);
    EXPECT_EQ(settings_.SelectedCom, QStringLiteral("COM 1"));
    timer_.tick();
    EXPECT_EQ(port_.openedPorts.back(), 1);
    EXPECT_EQ(view_.panels[0], QStringLiteral("Опрос порта COM1..."));

    // A stored port that is not listed leaves the selection; Escape closes as Cancel.
    settings_.SelectedCom = QStringLiteral("COM 9");
    dialog.show();
    EXPECT_EQ(dialog.portList()->currentText(), QStringLiteral("COM 1"));
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(CommOptionsDialogTest, WithoutPortsTheListIsEmptyAndOkStoresAnEmptyPort) {
    port_.openable = {};
    ui::TForm_CommOptions dialog(*link_, settings_);
    EXPECT_EQ(dialog.portList()->count(), 0);

    settings_.AutoDetectCom = false;
    dialog.show();
    dialog.okButton()->click();
    EXPECT_EQ(settings_.SelectedCom, QString());
    const std::size_t opened = port_.openedPorts.size();
    timer_.tick();
    EXPECT_EQ(port_.openedPorts.size(), opened);  // nothing to search
}

}  // namespace
}  // namespace vlr::test
