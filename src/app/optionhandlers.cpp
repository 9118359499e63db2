#include "optionhandlers.h"

#include "appcontext.h"
#include "mainwindowui.h"
#include "settingskeys.h"

#include <QAction>

namespace tunora {

using namespace settings_keys;

OptionHandlers::OptionHandlers(AppContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
{
    MainWindowUi &ui = m_context.ui;
    // The items are checkable so their state shows, but every change goes through the
    // handlers: Qt's own toggle on trigger is undone first.
    connect(ui.startMinimisedItem, &QAction::triggered, this, [this, &ui] { ui.startMinimisedItem->setChecked(!ui.startMinimisedItem->isChecked()); onStartMinimisedChosen(); });
    connect(ui.autoPlayItem, &QAction::triggered, this, [this, &ui] { ui.autoPlayItem->setChecked(!ui.autoPlayItem->isChecked()); onAutoPlayChosen(); });
    connect(ui.randomItem, &QAction::triggered, this, [this, &ui] { ui.randomItem->setChecked(!ui.randomItem->isChecked()); onRandomChosen(); });
    connect(ui.loopItem, &QAction::triggered, this, [this, &ui] { ui.loopItem->setChecked(!ui.loopItem->isChecked()); onLoopChosen(); });
}

void OptionHandlers::toggle(QAction *item, const QString &section, const QString &onValue, const QString &offValue)
{
    const bool nowOn = !item->isChecked();
    item->setChecked(nowOn);
    m_context.settings().write(section, kParamKey, nowOn ? onValue : offValue);
}

void OptionHandlers::onStartMinimisedChosen()
{
    // Takes effect at the next start; the window stays as it is.
    toggle(m_context.ui.startMinimisedItem, kMinimiseSection, kYes, kNo);
}

void OptionHandlers::onAutoPlayChosen()
{
    toggle(m_context.ui.autoPlayItem, kAutoPlaySection, kAuto, kNoAuto);
}

void OptionHandlers::loopFallback()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.randomItem->isChecked() || ui.loopItem->isChecked())
        return;
    ui.loopItem->setChecked(true);
    m_context.settings().write(kModeSection, kParamKey, kLoop);
}

void OptionHandlers::onRandomChosen()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.randomItem->isChecked()) {
        ui.randomItem->setChecked(false);
        loopFallback();
        return;
    }
    ui.randomItem->setChecked(true);
    ui.loopItem->setChecked(false);
    m_context.settings().write(kModeSection, kParamKey, kRandom);
}

void OptionHandlers::onLoopChosen()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.loopItem->isChecked()) {
        // Choosing loop while in loop stays in loop, and writes it again.
        ui.loopItem->setChecked(false);
        loopFallback();
        return;
    }
    ui.loopItem->setChecked(true);
    ui.randomItem->setChecked(false);
    m_context.settings().write(kModeSection, kParamKey, kLoop);
}

} // namespace tunora
