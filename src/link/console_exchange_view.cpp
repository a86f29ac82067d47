#include "link/console_exchange_view.h"

namespace vlr::link {

ConsoleExchangeView::ConsoleExchangeView(QTextStream& out, bool liveLine)
    : out_(out), liveLine_(liveLine) {}

void ConsoleExchangeView::setStatusText(int panel, const QString& text) {
    const bool isNew = panels_.at(panel) != text;
    panels_.at(panel) = text;
    if (!isNew || text.isEmpty())
        return;
    if (panel == 0 && liveLine_) {
        out_ << '\r' << text.leftJustified(liveWidth_) << Qt::flush;
        liveWidth_ = static_cast<int>(text.size());
        lineOpen_ = true;
    } else if (panel == 0) {
        printLine(text);
    } else if (panel == 1) {
        printLine(QStringLiteral("Порт: ") + text);
    } else if (panel == 2) {
        printLine(QStringLiteral("Прибор: ") + text);
    }
}

void ConsoleExchangeView::showMessage(const QString& text, const QString& caption, MessageIcon) {
    printLine(caption + QStringLiteral(": ") + text);
}

void ConsoleExchangeView::setExchangeState(ExchangeState state) {
    if (onStateChanged)
        onStateChanged(state);
}

void ConsoleExchangeView::readEnded(const ReadOutcome& outcome) {
    if (onReadEnded)
        onReadEnded(outcome);
}

void ConsoleExchangeView::endLiveLine() {
    if (lineOpen_)
        out_ << '\n' << Qt::flush;
    lineOpen_ = false;
    liveWidth_ = 0;
}

void ConsoleExchangeView::printLine(const QString& line) {
    endLiveLine();
    out_ << line << '\n' << Qt::flush;
}

}  // namespace vlr::link
