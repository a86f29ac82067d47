#pragma once

#include "ui/name_prompt.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace vlr::ui {

// The name dialog: one edit box, "Ok" and "Отмена". Made once at start and reused; it asks for
// a file's name and for a record's note. No character is refused and the length is not limited:
// the caller decides what the text may be.
class TForm_NewName : public QDialog, public NamePrompt {
    Q_OBJECT
public:
    explicit TForm_NewName(QWidget* parent = nullptr);

    // Shows the dialog modally over parent (centred on it) with the caption and the text.
    std::optional<QString> askName(QWidget* parent, const QString& caption,
                                   const QString& text) override;

    QLineEdit* Edit_NewName() const { return edit_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace vlr::ui
