#include "ui/prompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vlr::ui {
namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::None:
        case PromptIcon::About:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton boxButton(PromptButton button) {
    switch (button) {
        case PromptButton::Ok:
            return QMessageBox::Ok;
        case PromptButton::Cancel:
            return QMessageBox::Cancel;
        case PromptButton::Yes:
            return QMessageBox::Yes;
        case PromptButton::No:
            return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

}  // namespace

PromptButton WidgetPrompter::ask(QWidget* parent, const PromptMessage& message) {
    if (message.icon == PromptIcon::About) {
        QMessageBox::about(parent, message.caption, message.text);
        return PromptButton::Ok;
    }
    QMessageBox box(boxIcon(message.icon), message.caption, message.text, QMessageBox::NoButton,
                    parent);
    for (const PromptButton button : message.buttons)
        box.addButton(boxButton(button));
    box.exec();
    const QMessageBox::StandardButton chosen = box.standardButton(box.clickedButton());
    for (const PromptButton button : message.buttons) {
        if (boxButton(button) == chosen)
            return button;
    }
    // Closed by Escape or the title bar: the gentlest answer the box offers.
    for (const PromptButton fallback : {PromptButton::Cancel, PromptButton::No}) {
        if (message.buttons.contains(fallback))
            return fallback;
    }
    return message.buttons.isEmpty() ? PromptButton::Ok : message.buttons.constFirst();
}

QString WidgetPrompter::saveFileName(QWidget* parent, const SaveFileRequest& request) {
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace vlr::ui
