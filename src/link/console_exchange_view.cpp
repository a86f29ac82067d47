#include "link/console_exchange_view.h"

namespace vlr::link {

ConsoleExchangeView::ConsoleExchangeView(QTextStream& out, bool liveLine)
    : out_(out), liveLine_(liveLine) {}

void ConsoleExchangeView::setStatusText(int panel, const QString& text) {
    const bool isNew = panels_.at(panel) != text;
    panels_.at(panel) = text;
    if (isNew && !text.isEmpty()) {
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
    changed();
}

void ConsoleExchangeView::showTab(CommTab, const QString&) {
    changed();
}

void ConsoleExchangeView::setReadArchiveEnabled(bool) {
    changed();
}

void ConsoleExchangeView::setCommOptionsEnabled(bool) {
    changed();
}

void ConsoleExchangeView::showMessage(const QString& text, const QString& caption, MessageIcon) {
    messages_.push_back(text);
    printLine(caption + QStringLiteral(": ") + text);
    changed();
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

void ConsoleExchangeView::changed() {
    if (onChanged)
        onChanged();
}

}  // namespace vlr::link
