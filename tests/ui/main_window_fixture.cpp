#include "main_window_fixture.h"

#include "support/other_connection.h"

#include <QAction>
#include <QApplication>
#include <QSqlQuery>

namespace vlr::test {

void MainWindowTest::SetUp() {
    ASSERT_TRUE(work_.isValid());
    ASSERT_TRUE(config_.isValid());
}

void MainWindowTest::TearDown() {
    window_.reset();
    store_.reset();
}

bool MainWindowTest::start() {
    window_.reset();
    store_.reset();
    store_ = std::make_unique<app::SettingsStore>(std::make_unique<QSettings>(
        config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat));
    window_ = std::make_unique<ui::TForm_Main>(*store_, prompter_);
    window_->setNamePrompt(names_);
    const bool started = window_->FormCreate(work_.path());
    window_->show();
    activate(window_.get());
    return started;
}

void MainWindowTest::activate(QWidget* widget) const {
    widget->activateWindow();
    QApplication::setActiveWindow(widget->window());
    QApplication::processEvents();
}

QAction* MainWindowTest::action(const char* name) const {
    return window_->findChild<QAction*>(QString::fromLatin1(name));
}

QString MainWindowTest::databaseFile() const {
    return work_.filePath(QStringLiteral("VelaronLink.mdb"));
}

QVariant MainWindowTest::storedSetting(const QString& name) const {
    QSettings settings(config_.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat);
    return settings.value(QStringLiteral("1.0/") + name);
}

QVariant MainWindowTest::sql(const QString& text) const {
    OtherConnection other(databaseFile());
    QSqlQuery query = other.query();
    if (!query.exec(text)) {
        ADD_FAILURE() << "SQL failed: " << text.toStdString();
        return {};
    }
    return query.next() ? query.value(0) : QVariant();
}

void MainWindowTest::addRecords(int fileNameId, int count) const {
    for (int n = 1; n <= count; ++n)
        sql(QStringLiteral("INSERT INTO Data (FileNameId, N) VALUES (%1, %2)")
                .arg(fileNameId)
                .arg(n));
}

bool MainWindowTest::closeWindow() {
    const bool closed = window_->close();
    settle();
    return closed;
}

void MainWindowTest::settle() {
    QApplication::processEvents();
    // Closed MDI children are deleted later; outside an event loop that needs asking.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace vlr::test
