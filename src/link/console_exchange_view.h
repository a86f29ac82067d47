#pragma once

#include "link/exchange_view.h"

#include <QString>
#include <QTextStream>

#include <array>
#include <functional>
#include <vector>

namespace vlr::link {

// The receive view of the command line: status texts and message boxes become lines of text.
// With a live line (a terminal), panel 0 is rewritten in place so progress counts up on one
// line; otherwise every new text of it is a line of its own.
class ConsoleExchangeView : public ExchangeView {
public:
    ConsoleExchangeView(QTextStream& out, bool liveLine);

    void setStatusText(int panel, const QString& text) override;
    void showTab(CommTab tab, const QString& caption) override;
    void setReadArchiveEnabled(bool enabled) override;
    void setCommOptionsEnabled(bool enabled) override;
    void startRefreshTimer() override {}
    void stopRefreshTimer() override {}
    void RefreshCommView() override {}
    void showMessage(const QString& text, const QString& caption, MessageIcon icon) override;

    const QString& panelText(int panel) const { return panels_.at(panel); }
    const std::vector<QString>& messages() const { return messages_; }
    // Ends a live line so the next output starts on a line of its own.
    void endLiveLine();

    // Runs after every call from the exchange, once the view has taken it in.
    std::function<void()> onChanged;

private:
    void printLine(const QString& line);
    void changed();

    QTextStream& out_;
    bool liveLine_;
    bool lineOpen_ = false;
    int liveWidth_ = 0;
    std::array<QString, 4> panels_;
    std::vector<QString> messages_;
};

}  // namespace vlr::link
