#include "ui/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace vlr::ui {

QString findManual(const QString& executableDir) {
    const QDir dir(executableDir);
    for (const QString& candidate :
         {dir.filePath(QStringLiteral("manual/index.html")),
          dir.filePath(QStringLiteral("../share/velaron/manual/index.html"))}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return {};
}

HelpWindow::HelpWindow(const QString& manualPath, QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser), manualPath_(manualPath) {
    setObjectName(QStringLiteral("Form_Help"));
    // The platform adds the application's title to the caption.
    setWindowTitle(QStringLiteral("Справка"));
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(820, 680);
}

void HelpWindow::showSection(const QString& anchor) {
    QUrl url = QUrl::fromLocalFile(manualPath_);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    browser_->setSource(url);
    if (!anchor.isEmpty())
        browser_->scrollToAnchor(anchor);
    show();
    raise();
    activateWindow();
}

}  // namespace vlr::ui
