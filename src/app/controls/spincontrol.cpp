#include "app/controls/spincontrol.h"

#include <QEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace tunora {

SpinControl::SpinControl(QWidget *parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->installEventFilter(this);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT pressed(kUpValue); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT pressed(kDownValue); });
}

void SpinControl::releasePress()
{
    m_pressEnded = true;
    for (QToolButton *button : {m_up, m_down})
        button->setDown(false); // also stops the repeat
}

bool SpinControl::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        m_pressEnded = false;
        break;
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        // The button still counts the ended press as held: a move over it would press it
        // again and restart the repeat, a release would click it.
        if (m_pressEnded)
            return true;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tunora
