#pragma once

#include <QImage>
#include <QWidget>

namespace vlr::ui {

// The splash window shown while the program starts: the product logo and nothing else, without
// a border, centred on the desktop.
class TForm_Logo : public QWidget {
    Q_OBJECT
public:
    TForm_Logo();

    // Shows the window and paints it at once, before the start-up blocks the event loop.
    void showNow();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage logo_;
};

}  // namespace vlr::ui
