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
    connect(ui.开启最小化, &QAction::triggered, this, [this, &ui] { ui.开启最小化->setChecked(!ui.开启最小化->isChecked()); 开启最小化Chosen(); });
    connect(ui.自动播放, &QAction::triggered, this, [this, &ui] { ui.自动播放->setChecked(!ui.自动播放->isChecked()); 自动播放Chosen(); });
    connect(ui.随机, &QAction::triggered, this, [this, &ui] { ui.随机->setChecked(!ui.随机->isChecked()); 随机Chosen(); });
    connect(ui.循环, &QAction::triggered, this, [this, &ui] { ui.循环->setChecked(!ui.循环->isChecked()); 循环Chosen(); });
}

void OptionHandlers::toggle(QAction *item, const QString &section, const QString &onValue, const QString &offValue)
{
    const bool nowOn = !item->isChecked();
    item->setChecked(nowOn);
    m_context.settings().write(section, kParamKey, nowOn ? onValue : offValue);
}

void OptionHandlers::开启最小化Chosen()
{
    // Takes effect at the next start; the window stays as it is.
    toggle(m_context.ui.开启最小化, kMinimiseSection, kYes, kNo);
}

void OptionHandlers::自动播放Chosen()
{
    toggle(m_context.ui.自动播放, kAutoPlaySection, kAuto, kNoAuto);
}

void OptionHandlers::loopFallback()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.随机->isChecked() || ui.循环->isChecked())
        return;
    ui.循环->setChecked(true);
    m_context.settings().write(kModeSection, kParamKey, kLoop);
}

void OptionHandlers::随机Chosen()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.随机->isChecked()) {
        ui.随机->setChecked(false);
        loopFallback();
        return;
    }
    ui.随机->setChecked(true);
    ui.循环->setChecked(false);
    m_context.settings().write(kModeSection, kParamKey, kRandom);
}

void OptionHandlers::循环Chosen()
{
    MainWindowUi &ui = m_context.ui;
    if (ui.循环->isChecked()) {
        // Choosing loop while in loop stays in loop, and writes it again.
        ui.循环->setChecked(false);
        loopFallback();
        return;
    }
    ui.循环->setChecked(true);
    ui.随机->setChecked(false);
    m_context.settings().write(kModeSection, kParamKey, kLoop);
}

} // namespace tunora
