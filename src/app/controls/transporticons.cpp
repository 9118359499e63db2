#include "app/controls/transporticons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace tunora {

namespace {

const QColor kInk(40, 50, 66);

void drawSpeaker(QPainter &p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({QPointF(2, 6), QPointF(5, 6), QPointF(9, 2.5), QPointF(9, 13.5), QPointF(5, 10),
                             QPointF(2, 10)}));
}

// Draws `kind` on a 16-unit square; false when it is not a media icon.
bool draw(QPainter &p, QStyle::StandardPixmap kind)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    switch (kind) {
    case QStyle::SP_MediaPlay:
        p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13.5, 8), QPointF(4, 13.5)}));
        return true;
    case QStyle::SP_MediaPause:
        p.drawRect(QRectF(3.5, 3, 3.2, 10));
        p.drawRect(QRectF(9.3, 3, 3.2, 10));
        return true;
    case QStyle::SP_MediaStop:
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        return true;
    case QStyle::SP_MediaSkipBackward:
        p.drawPolygon(QPolygonF({QPointF(8, 8), QPointF(14.5, 3), QPointF(14.5, 13)}));
        p.drawPolygon(QPolygonF({QPointF(2, 8), QPointF(8.5, 3), QPointF(8.5, 13)}));
        return true;
    case QStyle::SP_MediaSkipForward:
        p.drawPolygon(QPolygonF({QPointF(8, 8), QPointF(1.5, 3), QPointF(1.5, 13)}));
        p.drawPolygon(QPolygonF({QPointF(14, 8), QPointF(7.5, 3), QPointF(7.5, 13)}));
        return true;
    case QStyle::SP_MediaVolume: {
        drawSpeaker(p);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(7, 5, 5, 6), -50 * 16, 100 * 16);
        p.drawArc(QRectF(6.5, 2.5, 8, 11), -50 * 16, 100 * 16);
        return true;
    }
    case QStyle::SP_MediaVolumeMuted:
        drawSpeaker(p);
        p.setPen(QPen(QColor(200, 40, 40), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10.5, 5.5), QPointF(14.5, 10.5));
        p.drawLine(QPointF(14.5, 5.5), QPointF(10.5, 10.5));
        return true;
    default:
        return false;
    }
}

} // namespace

QIcon transportIcon(QStyle::StandardPixmap kind)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        if (!draw(p, kind))
            return QIcon();
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace tunora
