#include "picturebox.h"

#include <QMouseEvent>

namespace tunora {

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT leftPressed();
    QLabel::mousePressEvent(event);
}

} // namespace tunora
