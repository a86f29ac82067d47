#include "grid/title_header.h"

#include "grid/title_sort_states.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

namespace vlr::grid {

namespace {

constexpr int kTitleMargin = 6;
constexpr int kArrowSize = 7;

// A one-line title in a title bar of several lines, its words spread over the lines as they fit;
// the last line takes the rest.
QStringList wrappedTitle(const QString& title, const QFontMetrics& metrics, int width, int lines) {
    QStringList wrapped;
    QString line;
    const QStringList words = title.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width &&
            wrapped.size() + 1 < lines) {
            wrapped << line;
            line = word;
        } else {
            line = longer;
        }
    }
    wrapped << line;
    return wrapped;
}

}  // namespace

TitleHeader::TitleHeader(const TitleSortStates& states, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), states_(states) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
    setTextElideMode(Qt::ElideNone);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionClicked, this,
            [this](int section) { emit titleClicked(section, releaseModifiers_); });
}

void TitleHeader::setTitleLines(int lines) {
    lines_ = std::max(lines, 1);
    updateGeometry();
}

QSize TitleHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(lines_ * fontMetrics().lineSpacing() + kTitleMargin);
    return size;
}

void TitleHeader::mouseReleaseEvent(QMouseEvent* event) {
    // The click signal carries no modifiers: keep the release's for it.
    releaseModifiers_ = event->modifiers();
    QHeaderView::mouseReleaseEvent(event);
}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, logicalIndex);
    painter->save();
    option.rect = rect;
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    // The title is centred in what the sort marker leaves free.
    option.rect = rect.adjusted(0, 0, -sortMarkerWidth(logicalIndex), 0);
    style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    painter->restore();
    paintSortState(painter, rect, logicalIndex);
}

void TitleHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, option, this);
    const int width = sectionSize(logicalIndex) - 2 * margin - sortMarkerWidth(logicalIndex);
    QStringList lines = option->text.split(QLatin1Char('\n'));
    if (lines.size() == 1 && lines_ > 1)
        lines = wrappedTitle(lines.constFirst(), fontMetrics(), width, lines_);
    for (QString& line : lines)
        line = fontMetrics().elidedText(line, Qt::ElideRight, width);
    option->text = lines.join(QLatin1Char('\n'));
}

int TitleHeader::sortMarkerWidth(int logicalIndex) const {
    if (states_.state(logicalIndex) == SortState::None)
        return 0;
    int width = kArrowSize + 6;
    if (states_.sortedCount() > 1)
        width += fontMetrics().horizontalAdvance(QString::number(states_.rank(logicalIndex))) + 2;
    return width;
}

void TitleHeader::paintSortState(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const SortState state = states_.state(logicalIndex);
    if (state == SortState::None)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette().color(QPalette::ButtonText);
    painter->setPen(ink);
    painter->setBrush(ink);
    const int right = rect.right() - 4;
    const int middle = rect.center().y();
    const int half = kArrowSize / 2;
    QPolygon arrow;
    if (state == SortState::Ascending)
        arrow << QPoint(right - kArrowSize, middle + half) << QPoint(right, middle + half)
              << QPoint(right - half, middle - half);
    else
        arrow << QPoint(right - kArrowSize, middle - half) << QPoint(right, middle - half)
              << QPoint(right - half, middle + half);
    painter->drawPolygon(arrow);
    if (states_.sortedCount() > 1) {
        QFont font = painter->font();
        if (font.pointSizeF() > 0) {
            font.setPointSizeF(font.pointSizeF() * 0.8);
            painter->setFont(font);
        }
        const QRect rankRect(rect.left(), rect.top(), right - kArrowSize - 2 - rect.left(),
                             rect.height());
        painter->drawText(rankRect, Qt::AlignRight | Qt::AlignVCenter,
                          QString::number(states_.rank(logicalIndex)));
    }
    painter->restore();
}

}  // namespace vlr::grid
