#include "ui/prompter.h"

#include <QFileDialog>
#include <QMessageBox>

#include <algorithm>

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

SaveFileChoice WidgetPrompter::saveFileName(QWidget* parent, const SaveFileRequest& request) {
    QStringList filters;
    for (const SaveFileFilter& filter : request.filters)
        filters << filter.text;
    QFileDialog dialog(parent, request.caption, request.directory);
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    // The suffix follows the chosen filter, so the question before replacing a file asks
    // about the file that is going to be written.
    const auto chosen = [&dialog, &filters] {
        return std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    };
    const auto followFilter = [&dialog, &request, &chosen] {
        if (!request.filters.isEmpty())
            dialog.setDefaultSuffix(request.filters[chosen()].suffix);
    };
    followFilter();
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), chosen()};
}

}  // namespace vlr::ui
