#include "app/controls/leftdoubleclick.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMouseEvent>

namespace tunora {

namespace {

class LeftDoubleClickFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick)
            return false;
        auto *click = static_cast<QMouseEvent *>(event);
        if (click->button() == Qt::LeftButton)
            return false;
        // The item view raises doubleClicked for every button; to it this is just a press.
        QMouseEvent press(QEvent::MouseButtonPress, click->position(), click->scenePosition(),
                          click->globalPosition(), click->button(), click->buttons(), click->modifiers(),
                          click->pointingDevice());
        QCoreApplication::sendEvent(watched, &press);
        return true;
    }
};

} // namespace

void acceptOnlyLeftDoubleClicks(QAbstractItemView *list)
{
    QWidget *viewport = list->viewport();
    viewport->installEventFilter(new LeftDoubleClickFilter(viewport));
}

} // namespace tunora
