#pragma once

#include "link/exchange_view.h"

#include <QString>
#include <QTextStream>

#include <array>
#include <functional>

namespace vlr::link {

// The receive view of the command line: status texts and message boxes become lines of text.
// With a live line (a terminal), panel 0 is rewritten in place so progress counts up on one
// line; otherwise every new text of it is a line of its own.
class ConsoleExchangeView : public ExchangeView {
public:
    ConsoleExchangeView(QTextStream& out, bool liveLine);

    void setStatusText(int panel, const QString& text) override;
    void showTab(CommTab, const QString&) override {}
    void setReadArchiveEnabled(bool) override {}
    void setCommOptionsEnabled(bool) override {}
    void startRefreshTimer() override {}
    void stopRefreshTimer() override {}
    void RefreshCommView() override {}
    void showMessage(const QString& text, const QString& caption, MessageIcon icon) override;
    void setExchangeState(ExchangeState state) override;
    // The progress is told by the status text already.
    void setReadProgress(const ReadProgress&) override {}
    void readEnded(const ReadOutcome& outcome) override;

    // Ends a live line so the next output starts on a line of its own.
    void endLiveLine();

    // Whoever drives the exchange without a user listens here.
    std::function<void(ExchangeState)> onStateChanged;
    std::function<void(const ReadOutcome&)> onReadEnded;

private:
    void printLine(const QString& line);

    QTextStream& out_;
    bool liveLine_;
    bool lineOpen_ = false;
    int liveWidth_ = 0;
    std::array<QString, 4> panels_;
};

}  // namespace vlr::link
