#include "ui/new_name_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vlr::ui {
namespace {

void pressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

// Runs the dialog with what the user does once it is shown; returns its answer.
std::optional<QString> answer(TForm_NewName& dialog, const QString& caption, const QString& text,
                              const std::function<void()>& user) {
    QTimer::singleShot(0, &dialog, user);
    return dialog.askName(nullptr, caption, text);
}

TEST(NewNameDialog, ShowsTheTextSelectedAndAnswersByEnterEscapeAndItsButtons) {
    TForm_NewName dialog;
    QLineEdit* edit = dialog.Edit_NewName();
    const auto button = [&](const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранить как"));
    EXPECT_EQ(button("B_Ok")->text(), QStringLiteral("Ok"));
    EXPECT_EQ(button("B_Cancel")->text(), QStringLiteral("Отмена"));

    QString seenCaption;
    QString seenSelection;
    bool editFocused = false;
    // Enter in the edit box confirms the typed text, whatever its length.
    const QString longName(80, QChar(0x0416));
    EXPECT_EQ(
        answer(dialog, QStringLiteral("Сохранить Таблица1 как..."), QStringLiteral("Таблица1"),
               [&] {
                   seenCaption = dialog.windowTitle();
                   seenSelection = edit->selectedText();
                   editFocused = dialog.focusWidget() == edit;
                   edit->setText(longName);
                   pressKey(edit, Qt::Key_Return);
               }),
        longName);
    EXPECT_EQ(seenCaption, QStringLiteral("Сохранить Таблица1 как..."));
    EXPECT_EQ(seenSelection, QStringLiteral("Таблица1"));
    EXPECT_TRUE(editFocused);

    // Escape cancels also while a button has the focus.
    EXPECT_EQ(answer(dialog, QStringLiteral("Примечание"), QStringLiteral("x"),
                     [&] {
                         button("B_Ok")->setFocus();
                         pressKey(button("B_Ok"), Qt::Key_Escape);
                     }),
              std::nullopt);
    EXPECT_EQ(answer(dialog, QString(), QString(), [&] { button("B_Cancel")->click(); }),
              std::nullopt);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сохранить как"));
    // An empty text confirmed is an answer: the caller decides what it means.
    EXPECT_EQ(answer(dialog, QStringLiteral("Примечание"), QStringLiteral("старое"),
                     [&] {
                         edit->clear();
                         button("B_Ok")->click();
                     }),
              QString());
}

}  // namespace
}  // namespace vlr::ui
