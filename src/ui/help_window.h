#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vlr::ui {

// The user's manual: manual/index.html beside the executable, or in the installed data folder.
// Empty when neither exists.
QString findManual(const QString& executableDir);

// Shows the manual, its contents or one of its sections ("printing").
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const QString& manualPath, QWidget* parent);

    void showSection(const QString& anchor = QString());
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QString manualPath_;
};

}  // namespace vlr::ui
