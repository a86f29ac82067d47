#include "ui/logo_window.h"

#include "ui/product_logo.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace vlr::ui {

TForm_Logo::TForm_Logo()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), logo_(productLogo()) {
    setObjectName(QStringLiteral("Form_Logo"));
    setFixedSize(400, 77);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TForm_Logo::showNow() {
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm_Logo::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The picture is a pixel taller than the window: its last row is cut, as it always was.
    painter.drawImage(QPoint(0, 0), logo_);
}

}  // namespace vlr::ui
