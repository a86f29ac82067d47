#include "ui/comm_options_dialog.h"

#include "link/link_session.h"
#include "link/port_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>

namespace vlr::ui {
namespace {

constexpr int kClientWidth = 291;
constexpr int kClientHeight = 145;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 8;

QString portEntry(int number) {
    return QStringLiteral("COM ") + QString::number(number);
}

}  // namespace

TForm_CommOptions::TForm_CommOptions(link::LinkSession& session, link::PortSettings& settings,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      settings_(settings) {
    setObjectName(QStringLiteral("Form_CommOptions"));
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
    probePorts(session);
}

void TForm_CommOptions::buildControls() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel_CommOptions"));
    panel->setGeometry(0, 0, kClientWidth, 101);

    auto* group = new QGroupBox(QStringLiteral("Com Порт"), panel);
    group->setObjectName(QStringLiteral("GB_ComPort"));
    group->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin, 101 - 2 * kMargin);

    ChB_ComAuto_ = new QCheckBox(QStringLiteral("Автоопределение COM порта"), group);
    ChB_ComAuto_->setObjectName(QStringLiteral("ChB_ComAuto"));
    ChB_ComAuto_->setGeometry(16, 22, 240, 20);
    ChB_ComAuto_->setChecked(true);
    connect(ChB_ComAuto_, &QCheckBox::toggled, this, [this] { ChB_ComAutoClick(); });

    CB_ComPort_ = new QComboBox(group);
    CB_ComPort_->setObjectName(QStringLiteral("CB_ComPort"));
    CB_ComPort_->setEditable(false);
    CB_ComPort_->setGeometry(36, 50, 145, 24);

    const int buttonTop = kClientHeight - kMargin - kButtonHeight;
    const int cancelLeft = kClientWidth - kMargin - kButtonWidth;
    B_Ok_ = new QPushButton(QStringLiteral("Ok"), this);
    B_Ok_->setObjectName(QStringLiteral("B_Ok"));
    B_Ok_->setGeometry(cancelLeft - 6 - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    B_Ok_->setDefault(true);
    connect(B_Ok_, &QPushButton::clicked, this, [this] { B_OkClick(); });

    B_Cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    B_Cancel_->setObjectName(QStringLiteral("B_Cancel"));
    B_Cancel_->setGeometry(cancelLeft, buttonTop, kButtonWidth, kButtonHeight);
    connect(B_Cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

// The only look at which ports exist during a run; a port another program holds right now
// counts as absent.
void TForm_CommOptions::probePorts(link::LinkSession& session) {
    const link::PresentPorts present = session.probePorts();
    CB_ComPort_->clear();
    for (int i = 0; i < static_cast<int>(present.size()); ++i) {
        if (present[i])
            CB_ComPort_->addItem(portEntry(i + 1));
    }
    if (CB_ComPort_->count() > 0)
        CB_ComPort_->setCurrentIndex(0);
}

void TForm_CommOptions::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm_CommOptions::FormShow() {
    ChB_ComAuto_->setChecked(settings_.AutoDetectCom);
    ChB_ComAutoClick();
    const int stored = CB_ComPort_->findText(settings_.SelectedCom, Qt::MatchFixedString);
    if (stored >= 0)
        CB_ComPort_->setCurrentIndex(stored);
}

void TForm_CommOptions::ChB_ComAutoClick() {
    CB_ComPort_->setEnabled(!ChB_ComAuto_->isChecked());
}

void TForm_CommOptions::B_OkClick() {
    settings_.AutoDetectCom = ChB_ComAuto_->isChecked();
    settings_.SelectedCom = CB_ComPort_->currentText();
    accept();
}

}  // namespace vlr::ui
