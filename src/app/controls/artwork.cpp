#include "app/controls/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace tunora {

namespace {

QPixmap blank(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

void drawDisc(QPainter &p, const QColor &color)
{
    p.setPen(QPen(color.darker(140), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

} // namespace

QPixmap menuIconPixmap(MenuIcon icon)
{
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor orange(240, 140, 30);
    const QColor blue(40, 110, 220);
    const QColor red(210, 40, 40);
    switch (icon) {
    case MenuIcon::Play:
        drawDisc(p, orange);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygonF({QPointF(6, 4.5), QPointF(12, 8), QPointF(6, 11.5)}));
        break;
    case MenuIcon::Pause:
        drawDisc(p, orange);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 4.5, 2.2, 7));
        p.drawRect(QRectF(8.8, 4.5, 2.2, 7));
        break;
    case MenuIcon::Stop:
        drawDisc(p, orange);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 5, 6, 6));
        break;
    case MenuIcon::Previous:
    case MenuIcon::Next: {
        drawDisc(p, orange);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const bool next = icon == MenuIcon::Next;
        const double dir = next ? 1 : -1;
        const double cx = 8;
        p.drawPolygon(QPolygonF({QPointF(cx - 4 * dir, 4.5), QPointF(cx + 1 * dir, 8), QPointF(cx - 4 * dir, 11.5)}));
        p.drawRect(QRectF(next ? cx + 1.5 : cx - 3.5, 4.5, 2, 7));
        break;
    }
    case MenuIcon::Up:
    case MenuIcon::Down: {
        p.setPen(QPen(blue.darker(130), 1));
        p.setBrush(blue);
        QPolygonF arrow({QPointF(8, 1.5), QPointF(14.5, 8), QPointF(10.5, 8), QPointF(10.5, 14.5),
                         QPointF(5.5, 14.5), QPointF(5.5, 8), QPointF(1.5, 8)});
        if (icon == MenuIcon::Down) {
            for (QPointF &pt : arrow)
                pt.setY(16 - pt.y());
        }
        p.drawPolygon(arrow);
        break;
    }
    case MenuIcon::Check: {
        QPen pen(QColor(40, 160, 60), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    }
    case MenuIcon::NoEntry:
        drawDisc(p, red);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 6.8, 9, 2.4));
        break;
    case MenuIcon::Cross: {
        QPen pen(red, 2.6, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    }
    case MenuIcon::Bin:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(170, 175, 180));
        p.drawRect(QRectF(4, 4.5, 8, 10));
        p.drawRect(QRectF(2.5, 2.5, 11, 2));
        p.drawLine(QPointF(6.5, 6.5), QPointF(6.5, 12.5));
        p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
        break;
    }
    return pm;
}

QPixmap windowIconPixmap(int size)
{
    QPixmap pm = blank(size, size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    QLinearGradient bg(0, 0, s, s);
    bg.setColorAt(0, QColor(255, 150, 40));
    bg.setColorAt(1, QColor(220, 60, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.2, s * 0.2);
    // A note with a cut through it: a player that also cuts.
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.22, s * 0.58, s * 0.26, s * 0.2));
    p.drawRect(QRectF(s * 0.42, s * 0.2, s * 0.06, s * 0.48));
    QPainterPath flag;
    flag.moveTo(s * 0.45, s * 0.2);
    flag.cubicTo(s * 0.6, s * 0.24, s * 0.7, s * 0.32, s * 0.72, s * 0.46);
    flag.cubicTo(s * 0.64, s * 0.38, s * 0.56, s * 0.36, s * 0.48, s * 0.36);
    flag.closeSubpath();
    p.drawPath(flag);
    p.setPen(QPen(QColor(255, 255, 255, 230), qMax(1.0, s * 0.04), Qt::DashLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.62, s * 0.56), QPointF(s * 0.84, s * 0.78));
    return pm;
}

QIcon windowIcon()
{
    QIcon icon;
    for (int size : {256, 128, 48, 32, 24, 16})
        icon.addPixmap(windowIconPixmap(size));
    return icon;
}

QPixmap aboutBanner()
{
    QPixmap pm(107, 24);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 24);
    bg.setColorAt(0, QColor(90, 170, 250));
    bg.setColorAt(1, QColor(30, 110, 210));
    p.fillRect(pm.rect(), bg);
    p.setPen(QColor(20, 80, 170));
    p.drawRect(QRectF(0.5, 0.5, 106, 23));
    p.drawPixmap(4, 4, windowIconPixmap(16));
    QFont font = p.font();
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(22, 0, 83, 24), Qt::AlignCenter, QStringLiteral(u"关于 Tunora"));
    return pm;
}

} // namespace tunora
