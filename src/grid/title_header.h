#pragma once

#include <QHeaderView>

namespace vlr::grid {

class TitleSortStates;

// The column titles of a data grid: titles of a given number of lines, clicks reported with
// their keyboard modifiers, and the sort states drawn as an arrow with the sort rank.
class TitleHeader : public QHeaderView {
    Q_OBJECT
public:
    TitleHeader(const TitleSortStates& states, QWidget* parent = nullptr);

    void setTitleLines(int lines);
    int titleLines() const { return lines_; }
    QSize sizeHint() const override;

signals:
    void titleClicked(int column, Qt::KeyboardModifiers modifiers);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    // A one-line title in titles of several lines spreads its words over them; a title still
    // wider than its column is cut with an ellipsis line by line, never clipped at both ends.
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;

private:
    void paintSortState(QPainter* painter, const QRect& rect, int logicalIndex) const;
    // The room the arrow and the rank take at the title's right edge; 0 when unsorted.
    int sortMarkerWidth(int logicalIndex) const;

    const TitleSortStates& states_;
    int lines_ = 1;
    Qt::KeyboardModifiers releaseModifiers_;
};

}  // namespace vlr::grid
