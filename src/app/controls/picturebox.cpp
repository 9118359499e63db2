#include "app/controls/picturebox.h"

#include <QMouseEvent>

#include <utility>

namespace tunora {

void PictureBox::setPixmapSource(std::function<QPixmap()> draw)
{
    m_draw = std::move(draw);
    update();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT leftPressed();
    QLabel::mousePressEvent(event);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    if (m_draw)
        setPixmap(std::exchange(m_draw, nullptr)());
    QLabel::paintEvent(event);
}

} // namespace tunora
