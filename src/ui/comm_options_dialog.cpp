#include "ui/comm_options_dialog.h"

#include "link/link_session.h"
#include "link/port_settings.h"
#include "link/port_watch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>

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

// The port number an entry names, 0 for none.
int portNumberOf(const QString& entry) {
    static const QRegularExpression number(QStringLiteral("^\\s*COM\\s*(\\d+)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = number.match(entry);
    const int port = match.hasMatch() ? match.captured(1).toInt() : 0;
    return port >= 1 && port <= link::kComPortCount ? port : 0;
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
    ports_ = session.ports();
    fillPortList(false);
    connect(&session.portWatch(), &link::PortWatch::portsChanged, this,
            [this](const link::ComPortTable& ports) {
                ports_ = ports;
                fillPortList(true);
            });
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

// The present ports in increasing order. With a fixed port the stored one stays listed while
// its port is away, and so does, while the dialog is open, the entry selected: a fixed-port
// choice never moves to another port behind the user's back.
void TForm_CommOptions::fillPortList(bool keepSelected) {
    const QString selected = CB_ComPort_->currentText();
    std::vector<int> numbers;
    for (int i = 0; i < link::kComPortCount; ++i) {
        if (!ports_[static_cast<size_t>(i)].isEmpty())
            numbers.push_back(i + 1);
    }
    const QString stored = settings_.AutoDetectCom ? QString() : settings_.SelectedCom;
    for (const QString& kept : {keepSelected ? selected : QString(), stored}) {
        const int number = portNumberOf(kept);
        if (number > 0 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end());

    const QSignalBlocker quiet(CB_ComPort_);
    CB_ComPort_->clear();
    for (int number : numbers)
        CB_ComPort_->addItem(portEntry(number));
    const int index = CB_ComPort_->findText(selected, Qt::MatchFixedString);
    CB_ComPort_->setCurrentIndex(index >= 0 ? index : (CB_ComPort_->count() > 0 ? 0 : -1));
}

void TForm_CommOptions::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm_CommOptions::FormShow() {
    fillPortList(false);
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
