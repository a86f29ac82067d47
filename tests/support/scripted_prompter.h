#pragma once

#include "ui/prompter.h"

#include <QList>
#include <QString>

#include <functional>

namespace vlr::test {

// Records every message and file question a window asks, and answers from a script: the
// queued answers in order, then defaultAnswer. Window tests read the exact texts from it.
class ScriptedPrompter : public ui::Prompter {
public:
    ui::PromptButton ask(QWidget*, const ui::PromptMessage& message) override {
        messages.append(message);
        if (onAsk)
            onAsk(message);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return defaultAnswer;
    }
    ui::SaveFileChoice saveFileName(QWidget*, const ui::SaveFileRequest& request) override {
        fileRequests.append(request);
        if (fileNames.isEmpty())
            return {};
        return {fileNames.takeFirst(), fileFilters.isEmpty() ? 0 : fileFilters.takeFirst()};
    }

    QStringList texts() const {
        QStringList all;
        for (const ui::PromptMessage& message : messages)
            all.append(message.text);
        return all;
    }

    QList<ui::PromptMessage> messages;
    QList<ui::SaveFileRequest> fileRequests;
    QList<ui::PromptButton> answers;
    QStringList fileNames;
    QList<int> fileFilters;  // the filter chosen with each name; the first one when none is queued
    ui::PromptButton defaultAnswer = ui::PromptButton::Ok;
    // Runs while the "box" is open, as a modal box lets timers and other events run.
    std::function<void(const ui::PromptMessage&)> onAsk;
};

}  // namespace vlr::test
