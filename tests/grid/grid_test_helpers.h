#pragma once

#include "grid/data_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vlr::test {

// Input as the user gives it: mouse and key events sent to the grid's own widgets.
inline void clickAt(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          modifiers);
        QApplication::sendEvent(widget, &event);
    }
}

inline void clickTitle(grid::DataGrid& grid, int column,
                       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QHeaderView* titles = grid.horizontalHeader();
    const QPoint pos(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                     titles->height() / 2);
    clickAt(titles->viewport(), pos, modifiers);
}

inline void clickRow(grid::DataGrid& grid, int row,
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    clickAt(grid.viewport(), grid.visualRect(grid.model()->index(row, 0)).center(), modifiers);
}

inline void pressKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers,
                     const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&widget, &release);
}

}  // namespace vlr::test
