#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vlr::ui {

// About: the program's own icon, as the standard about box shows it (OK only).
enum class PromptIcon { None, Information, Question, Warning, Error, About };

// The buttons a message box offers; the answer is one of them (Cancel or No when the user
// closes the box some other way, whichever the box offers).
enum class PromptButton { Ok, Cancel, Yes, No };

struct PromptMessage {
    QString text;
    QString caption;
    PromptIcon icon = PromptIcon::None;
    QList<PromptButton> buttons{PromptButton::Ok};
};

// One file type a save-file question offers.
struct SaveFileFilter {
    QString text;    // "Книга Excel (*.xls)"
    QString suffix;  // "xls": a name typed without extension gets it while this one is chosen
};

// A save-file question.
struct SaveFileRequest {
    QString caption;
    QString directory;
    QList<SaveFileFilter> filters;  // the first one is chosen at the start
    bool confirmOverwrite = true;
};

// The answer: the name given and the filter chosen with it (an index into the request's
// filters); an empty path when the user cancelled.
struct SaveFileChoice {
    QString path;
    int filter = 0;
};

// Every message box, question and file dialog of the windows goes through this, so that window
// tests read the exact text, caption, icon and buttons and give the answer themselves.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual PromptButton ask(QWidget* parent, const PromptMessage& message) = 0;
    virtual SaveFileChoice saveFileName(QWidget* parent, const SaveFileRequest& request) = 0;

    // A box with only an OK button.
    void tell(QWidget* parent, const QString& text, const QString& caption, PromptIcon icon) {
        ask(parent, {text, caption, icon, {PromptButton::Ok}});
    }
    // The program's error box: caption "Ошибка", error icon, OK.
    void error(QWidget* parent, const QString& text) {
        tell(parent, text, QStringLiteral("Ошибка"), PromptIcon::Error);
    }
};

// The real dialogs: QMessageBox and QFileDialog, modal on the parent.
class WidgetPrompter : public Prompter {
public:
    PromptButton ask(QWidget* parent, const PromptMessage& message) override;
    SaveFileChoice saveFileName(QWidget* parent, const SaveFileRequest& request) override;
};

}  // namespace vlr::ui
