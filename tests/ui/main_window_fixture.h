#pragma once

#include "app/settings_store.h"
#include "ui/main_window.h"
#include "ui/name_prompt.h"

#include "support/scripted_prompter.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace vlr::test {

// Answers the name dialog from a script: the queued answers in order (nothing = cancelled),
// then a cancel. Records every caption and starting text it was shown.
class ScriptedNamePrompt : public ui::NamePrompt {
public:
    std::optional<QString> askName(QWidget*, const QString& caption, const QString& text) override {
        captions.append(caption);
        texts.append(text);
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QList<std::optional<QString>> answers;
    QStringList captions;
    QStringList texts;
};

// A main window started in a folder of its own, with its settings in a file of its own and
// every prompt answered by the test.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new main window over the same folder and settings, as the next run of the program.
    bool start();
    ui::TForm_Main& window() { return *window_; }
    QAction* action(const char* name) const;
    QString databaseFile() const;
    QVariant storedSetting(const QString& name) const;
    // Runs SQL on a connection of the test's own; the first column of the first row.
    QVariant sql(const QString& text) const;
    void addRecords(int fileNameId, int count) const;
    // Closes the main window as the user does; true when it closed.
    bool closeWindow();
    void activate(QWidget* widget) const;
    // Lets pending events and deletions happen.
    static void settle();

    QTemporaryDir work_;
    QTemporaryDir config_;
    std::unique_ptr<app::SettingsStore> store_;
    ScriptedPrompter prompter_;
    ScriptedNamePrompt names_;
    std::unique_ptr<ui::TForm_Main> window_;
};

}  // namespace vlr::test
