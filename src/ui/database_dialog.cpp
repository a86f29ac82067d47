#include "ui/database_dialog.h"

#include "app/database_choice.h"
#include "app/database_summary.h"
#include "store/database.h"
#include "store/store_error.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vlr::ui {

TForm_Database::TForm_Database(app::SettingsStore& settings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      localFile_(
          new QRadioButton(QStringLiteral("Локальный файл VelaronLink.mdb в папке запуска"))),
      server_(new QRadioButton(QStringLiteral("База данных на сервере PostgreSQL:"))),
      url_(new QLineEdit),
      result_(new QLabel) {
    setObjectName(QStringLiteral("Form_Database"));
    setWindowTitle(QStringLiteral("База данных"));
    url_->setObjectName(QStringLiteral("E_DatabaseUrl"));
    url_->setPlaceholderText(QStringLiteral("postgresql://пользователь@сервер/база"));
    result_->setObjectName(QStringLiteral("L_CheckResult"));
    result_->setWordWrap(true);
    auto* checkButton = new QPushButton(QStringLiteral("Проверить"));
    checkButton->setObjectName(QStringLiteral("B_Check"));
    auto* note = new QLabel(QStringLiteral(
        "Выбор действует со следующего запуска. Пароль в адресе не указывается: его берут из "
        "~/.pgpass или PGPASSWORD."));
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    const QString stored = app::storedDatabaseChoice(settings_);
    url_->setText(stored);
    (stored.isEmpty() ? localFile_ : server_)->setChecked(true);
    url_->setEnabled(!stored.isEmpty());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(localFile_);
    layout->addWidget(server_);
    layout->addWidget(url_);
    layout->addWidget(checkButton);
    layout->addWidget(result_);
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(480, sizeHint().height());

    connect(server_, &QRadioButton::toggled, url_, &QLineEdit::setEnabled);
    connect(checkButton, &QPushButton::clicked, this, &TForm_Database::check);
    connect(buttons, &QDialogButtonBox::accepted, this, &TForm_Database::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TForm_Database::reject);
}

void TForm_Database::check() {
    if (localFile_->isChecked()) {
        result_->setText(QStringLiteral("Файлы хранятся в VelaronLink.mdb в папке запуска."));
        return;
    }
    try {
        const store::DatabaseLocation location = store::parseDatabaseLocation(url_->text());
        if (!location.isServer())
            throw store::StoreError(QStringLiteral("адрес начинается с postgresql://"));
        store::Database probe;
        probe.open(location);
        const app::DatabaseSummary summary = app::summarizeDatabase(probe);
        result_->setText(QStringLiteral("Подключено: %1, %2. Сохранённых файлов: %3.")
                             .arg(summary.path, summary.serverVersion)
                             .arg(summary.savedFiles));
    } catch (const store::StoreError& error) {
        result_->setText(QStringLiteral("Не могу подключиться: %1").arg(error.message()));
    }
}

QString TForm_Database::checkResult() const {
    return result_->text();
}

void TForm_Database::accept() {
    if (server_->isChecked()) {
        try {
            store::parseDatabaseLocation(url_->text());
        } catch (const store::StoreError& error) {
            result_->setText(error.message());
            return;
        }
    }
    app::storeDatabaseChoice(settings_, server_->isChecked() ? url_->text() : QString());
    QDialog::accept();
}

}  // namespace vlr::ui
