#include "app/panels/optionhandlers.h"

#include "app/window/appcontext.h"
#include "app/window/mainwindowui.h"

#include <QAction>

namespace tunora {

OptionHandlers::OptionHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    // The items are checkable so their state shows, but every change goes through the
    // handlers: Qt's own toggle on trigger is undone first.
    for (auto [item, chosen] : {std::pair{ui.startMinimisedItem, &OptionHandlers::onStartMinimisedChosen},
                                std::pair{ui.autoPlayItem, &OptionHandlers::onAutoPlayChosen},
                                std::pair{ui.randomItem, &OptionHandlers::onRandomChosen},
                                std::pair{ui.loopItem, &OptionHandlers::onLoopChosen}}) {
        connect(item, &QAction::triggered, this, [this, item = item, chosen = chosen] {
            item->setChecked(!item->isChecked());
            (this->*chosen)();
        });
    }
    for (QAction *item : {ui.fadeInItem, ui.fadeOutItem, ui.evenLoudnessItem}) {
        connect(item, &QAction::triggered, this, [this, item] {
            item->setChecked(!item->isChecked());
            onEffectChosen(item);
        });
    }
    connect(&m_context.session, &PlaybackSession::playModeChanged, this, &OptionHandlers::showPlayMode);
    showPlayMode(m_context.session.playMode());
}

void OptionHandlers::onStartMinimisedChosen()
{
    // Takes effect at the next start; the window stays as it is.
    QAction *item = m_context.ui.startMinimisedItem;
    item->setChecked(!item->isChecked());
    m_context.session.settings().setStartMinimised(item->isChecked());
}

void OptionHandlers::onAutoPlayChosen()
{
    QAction *item = m_context.ui.autoPlayItem;
    item->setChecked(!item->isChecked());
    m_context.session.settings().setAutoPlay(item->isChecked());
}

void OptionHandlers::onRandomChosen()
{
    PlaybackSession &session = m_context.session;
    session.setPlayMode(session.playMode() == PlayMode::Random ? PlayMode::Loop : PlayMode::Random);
}

void OptionHandlers::onLoopChosen()
{
    // Choosing loop while in loop stays in loop, and writes it again.
    m_context.session.setPlayMode(PlayMode::Loop);
}

void OptionHandlers::onEffectChosen(QAction *item)
{
    const MainWindowUi &ui = m_context.ui;
    const SavedSettings::Effect effect = item == ui.fadeInItem ? SavedSettings::Effect::FadeIn
        : item == ui.fadeOutItem                                ? SavedSettings::Effect::FadeOut
                                                                : SavedSettings::Effect::EvenLoudness;
    item->setChecked(!item->isChecked());
    m_context.session.settings().setEffect(effect, item->isChecked());
}

void OptionHandlers::showPlayMode(PlayMode mode)
{
    m_context.ui.randomItem->setChecked(mode == PlayMode::Random);
    m_context.ui.loopItem->setChecked(mode == PlayMode::Loop);
}

} // namespace tunora
