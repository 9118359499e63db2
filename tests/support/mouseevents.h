#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

// One mouse event delivered straight to a widget, with `buttons` held: QTest's own mouse calls
// press and release in one go and send no move with a button held, which a drag needs.
namespace tunora::test {

inline void sendMouse(QWidget *widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace tunora::test
