#pragma once

#include "link/com_port_names.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace vlr::link {
class LinkSession;
struct PortSettings;
}  // namespace vlr::link

namespace vlr::ui {

// The modal dialog "Настройки": automatic detection over the present COM ports, or one fixed
// port. Created once at start; its list follows the ports present, also while it is open.
class TForm_CommOptions : public QDialog {
    Q_OBJECT
public:
    // Lists the ports the link's watch finds present and follows its changes. OK writes the
    // run's port settings, the record the exchange reads at its next choice of a port.
    TForm_CommOptions(link::LinkSession& session, link::PortSettings& settings,
                      QWidget* parent = nullptr);

    QCheckBox* autoDetectBox() const { return ChB_ComAuto_; }
    QComboBox* portList() const { return CB_ComPort_; }
    QPushButton* okButton() const { return B_Ok_; }
    QPushButton* cancelButton() const { return B_Cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void fillPortList(bool keepSelected);
    void FormShow();
    void ChB_ComAutoClick();
    void B_OkClick();

    link::PortSettings& settings_;
    link::ComPortTable ports_;  // the ports present, as last told by the watch
    QCheckBox* ChB_ComAuto_ = nullptr;
    QComboBox* CB_ComPort_ = nullptr;
    QPushButton* B_Ok_ = nullptr;
    QPushButton* B_Cancel_ = nullptr;
};

}  // namespace vlr::ui
