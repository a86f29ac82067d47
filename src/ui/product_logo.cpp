#include "ui/product_logo.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vlr::ui {
namespace {

const QColor kDeepBlue(0x12, 0x3a, 0x6b);
const QColor kSteel(0x2f, 0x6f, 0xb0);
const QColor kAccent(0xf0, 0xa0, 0x20);

// A square emblem: a blue tile with a rising measurement curve over three bars, as the
// instruments draw a load rising until the specimen gives.
void paintEmblem(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(box.topLeft(), box.bottomRight());
    tile.setColorAt(0, kSteel);
    tile.setColorAt(1, kDeepBlue);
    const qreal radius = box.width() * 0.18;
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(box, radius, radius);

    const qreal unit = box.width() / 10;
    painter.setBrush(QColor(255, 255, 255, 90));
    for (int bar = 0; bar < 3; ++bar) {
        const qreal height = unit * (2 + bar * 1.5);
        painter.drawRect(QRectF(box.left() + unit * (1.5 + bar * 2.5),
                                box.bottom() - unit * 1.5 - height, unit * 1.6, height));
    }
    QPainterPath curve(QPointF(box.left() + unit * 1.2, box.bottom() - unit * 2));
    curve.cubicTo(QPointF(box.left() + unit * 4, box.bottom() - unit * 2.5),
                  QPointF(box.left() + unit * 6, box.top() + unit * 1.5),
                  QPointF(box.right() - unit * 1.3, box.top() + unit * 2.2));
    painter.setPen(QPen(kAccent, qMax<qreal>(1.5, unit * 0.7), Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curve);
    painter.restore();
}

}  // namespace

QImage productLogo() {
    QImage logo(400, 78, QImage::Format_RGB888);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    paintEmblem(painter, QRectF(14, 11, 56, 56));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(34);
    title.setBold(true);
    title.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(title);
    painter.setPen(kDeepBlue);
    painter.drawText(QRectF(86, 6, 300, 44), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Веларон"));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(12);
    painter.setFont(subtitle);
    painter.setPen(QColor(0x55, 0x5f, 0x6b));
    painter.drawText(QRectF(88, 48, 300, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Приём данных с измерительных приборов"));

    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRect(QRectF(0, 75, 400, 3));
    return logo;
}

QIcon productIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintEmblem(painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace vlr::ui
