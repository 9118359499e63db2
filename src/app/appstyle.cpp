#include "appstyle.h"

#include <QIconEngine>
#include <QPainter>
#include <QPolygonF>

namespace tunora {

namespace {

// A double chevron pointing right (horizontal bars) or down (vertical bars), painted at
// whatever size the button asks for.
class OverflowArrowEngine final : public QIconEngine {
public:
    explicit OverflowArrowEngine(bool horizontal) : m_horizontal(horizontal) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QColor color = mode == QIcon::Disabled ? QColor(150, 150, 150) : QColor(40, 40, 40);
        painter->setPen(QPen(color, qMax(1.0, rect.width() / 8.0)));
        const double s = qMin(rect.width(), rect.height());
        const QPointF origin = QRectF(rect).center() - QPointF(s / 2, s / 2);
        for (const double offset : {0.2, 0.5}) {
            QPolygonF chevron({QPointF(offset, 0.2), QPointF(offset + 0.25, 0.5), QPointF(offset, 0.8)});
            for (QPointF &point : chevron) {
                if (!m_horizontal)
                    point = QPointF(point.y(), point.x());
                point = origin + point * s;
            }
            painter->drawPolyline(chevron);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        paint(&painter, pm.rect(), mode, state);
        return pm;
    }

    QIconEngine *clone() const override { return new OverflowArrowEngine(m_horizontal); }

private:
    bool m_horizontal;
};

} // namespace

QIcon AppStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    if (icon == SP_ToolBarHorizontalExtensionButton || icon == SP_ToolBarVerticalExtensionButton)
        return QIcon(new OverflowArrowEngine(icon == SP_ToolBarHorizontalExtensionButton));
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace tunora
