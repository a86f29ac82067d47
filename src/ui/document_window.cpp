#include "ui/document_window.h"

#include "ui/application_title.h"
#include "ui/document_host.h"
#include "ui/prompter.h"

#include <QCloseEvent>

namespace vlr::ui {

DocumentWindow::DocumentWindow(DocumentHost& host, const docs::DocumentKind& kind, QWidget* parent)
    : QWidget(parent), host_(host), kind_(kind) {
    resize(696, 480);
}

void DocumentWindow::setFile(int fileNameId, const QString& fileName) {
    fileNameId_ = fileNameId;
    fileName_ = fileName;
}

app::CloseAction DocumentWindow::chooseCloseAction() {
    if (host_.IsFileSaved(fileNameId_))
        return app::CloseAction::Free;
    // A window whose rows could not be read again shows nothing to save.
    if (!rowsOpen())
        return app::CloseAction::Minimize;
    if (!hasRows())
        return app::CloseAction::Free;
    const PromptButton answer =
        host_.prompter().ask(this, {QStringLiteral("Сохранить %1?").arg(fileName_),
                                    applicationTitle(),
                                    PromptIcon::Question,
                                    {PromptButton::Yes, PromptButton::No, PromptButton::Cancel}});
    switch (answer) {
        case PromptButton::No:
            return app::CloseAction::Free;
        case PromptButton::Yes:
            return host_.SaveFileAs(fileNameId_, fileName_) ? app::CloseAction::Free
                                                            : app::CloseAction::None;
        case PromptButton::Ok:
        case PromptButton::Cancel:
            break;
    }
    return app::CloseAction::None;
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    const app::CloseAction action = chooseCloseAction();
    if (action == app::CloseAction::None) {
        event->ignore();
    } else {
        // Whatever the action, an MDI child that lets go is closed and freed: one left
        // minimised would still hold its file.
        closeRows();
        host_.documentClosed();
        event->accept();
    }
    host_.setLastDocCloseAction(action);
}

QString documentCaption(const QString& fileName, const docs::DocumentKind& kind) {
    return fileName + QStringLiteral(" - ") + kind.caption;
}

}  // namespace vlr::ui
