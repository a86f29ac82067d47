#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace vlr::app {
class SettingsStore;
}

namespace vlr::ui {

// "База данных…": the local file or a server's database for the next start. "Проверить"
// connects to the chosen server and says what it found; OK stores the choice in the settings.
class TForm_Database : public QDialog {
    Q_OBJECT

public:
    explicit TForm_Database(app::SettingsStore& settings, QWidget* parent = nullptr);

    // Connects to the chosen database and shows what it found (or why it cannot).
    void check();
    QString checkResult() const;

    void accept() override;

private:
    app::SettingsStore& settings_;
    QRadioButton* localFile_;
    QRadioButton* server_;
    QLineEdit* url_;
    QLabel* result_;
};

}  // namespace vlr::ui
