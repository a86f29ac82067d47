#include "ui/new_name_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vlr::ui {

TForm_NewName::TForm_NewName(QWidget* parent)
    : QDialog(parent),
      edit_(new QLineEdit),
      ok_(new QPushButton(QStringLiteral("Ok"))),
      cancel_(new QPushButton(QStringLiteral("Отмена"))) {
    setObjectName(QStringLiteral("Form_NewName"));
    setWindowTitle(QStringLiteral("Сохранить как"));
    setModal(true);
    // A caption and a close button only, as a dialog that asks one thing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    edit_->setObjectName(QStringLiteral("Edit_NewName"));
    edit_->setMinimumWidth(320);
    ok_->setObjectName(QStringLiteral("B_Ok"));
    cancel_->setObjectName(QStringLiteral("B_Cancel"));
    ok_->setDefault(true);

    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(edit_);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(ok_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::returnPressed, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(buttons);

    // Escape cancels wherever the focus is: the dialog sees the keys before its controls.
    for (QWidget* control :
         {static_cast<QWidget*>(edit_), static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_)})
        control->installEventFilter(this);
}

std::optional<QString> TForm_NewName::askName(QWidget* parent, const QString& caption,
                                              const QString& text) {
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Сохранить как") : caption);
    edit_->setText(text);
    adjustSize();
    if (parent) {
        const QWidget* owner = parent->window();
        move(owner->mapToGlobal(owner->rect().center()) - rect().center());
    }
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return edit_->text();
}

void TForm_NewName::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edit_->selectAll();
    edit_->setFocus(Qt::OtherFocusReason);
}

bool TForm_NewName::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vlr::ui
