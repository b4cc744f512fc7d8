#include "app/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap Canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A chip with a downward (read) or upward (write) arrow beside it.
void DrawTransfer(QPainter& p, bool towardsDevice) {
    p.setPen(QPen(QColor(40, 60, 90), 1));
    p.setBrush(QColor(90, 130, 190));
    p.drawRoundedRect(QRectF(1.5, 4.5, 11, 15), 2, 2);
    p.setPen(QPen(QColor(230, 240, 255), 1));
    for (int y = 8; y <= 16; y += 4) p.drawLine(4, y, 10, y);
    QPainterPath arrow;
    if (towardsDevice) {
        arrow.moveTo(19, 20); arrow.lineTo(19, 9); arrow.lineTo(15, 13);
        arrow.moveTo(19, 9); arrow.lineTo(23, 13);
    } else {
        arrow.moveTo(19, 4); arrow.lineTo(19, 15); arrow.lineTo(15, 11);
        arrow.moveTo(19, 15); arrow.lineTo(23, 11);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(towardsDevice ? QColor(200, 60, 30) : QColor(30, 140, 60), 2.2, Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
}

}  // namespace

QPixmap MakeButtonPicture(ButtonPicture picture) {
    QPixmap pixmap = Canvas(24);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
        case ButtonPicture::DeviceInfo:
            p.setPen(QPen(QColor(20, 70, 150), 1.5));
            p.setBrush(QColor(60, 120, 210));
            p.drawEllipse(QRectF(2, 2, 20, 20));
            p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 11), QPointF(12, 17));
            p.drawPoint(QPointF(12, 7));
            break;
        case ButtonPicture::ReadConfiguration: DrawTransfer(p, false); break;
        case ButtonPicture::WriteConfiguration: DrawTransfer(p, true); break;
        case ButtonPicture::ZeroCorrection:
            p.setPen(QPen(QColor(60, 60, 60), 1.5));
            p.setBrush(QColor(245, 245, 235));
            p.drawEllipse(QRectF(2, 2, 20, 20));
            p.setPen(QPen(QColor(200, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, 12), QPointF(12, 4.5));  // needle at zero
            p.setPen(QPen(QColor(60, 60, 60), 1));
            for (int i = -2; i <= 2; ++i) {
                p.save();
                p.translate(12, 12);
                p.rotate(i * 35);
                p.drawLine(QPointF(0, -9), QPointF(0, -7));
                p.restore();
            }
            break;
    }
    return pixmap;
}

QIcon MakeWindowIcon() {
    QPixmap pixmap = Canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A gauge: dial, scale and needle.
    p.setPen(QPen(QColor(30, 60, 110), 1));
    p.setBrush(QColor(226, 238, 254));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(QPen(QColor(200, 40, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 8), QPointF(12, 4));
    p.setBrush(QColor(30, 60, 110));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(6.5, 6.5, 3, 3));
    return QIcon(pixmap);
}
