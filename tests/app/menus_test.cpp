#include "support/windowfixture.h"

#include "app/controls/artwork.h"
#include "app/controls/menuskin.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using namespace tunora;
using namespace tunora::test;
using namespace Qt::StringLiterals;

class Menus : public WindowFixture {};

TEST_F(Menus, OptionItemsWriteTheirNewStateEveryTime)
{
    start();
    ui().startMinimisedItem->trigger();
    EXPECT_TRUE(ui().startMinimisedItem->isChecked());
    EXPECT_EQ(MenuSkin::itemIcon(ui().startMinimisedItem), int(MenuIcon::Check));
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"[最小化]\n参数=是\n")));
    EXPECT_TRUE(window().isVisible()) << "the option takes effect at the next start";

    ui().startMinimisedItem->trigger();
    EXPECT_FALSE(ui().startMinimisedItem->isChecked());
    EXPECT_EQ(MenuSkin::itemIcon(ui().startMinimisedItem), MenuSkin::kNoIcon);
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"[最小化]\n参数=否\n")));

    ui().autoPlayItem->trigger();
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"[自动播放]\n参数=自动\n")));
    ui().autoPlayItem->trigger();
    EXPECT_TRUE(settingsLines().contains(QStringLiteral(u"[自动播放]\n参数=不自动\n")));
    EXPECT_TRUE(m_player.log().isEmpty()) << "choosing auto-play starts nothing";

    EXPECT_EQ(settingsLines(),
              QStringLiteral(u"[播放方式]\n参数=循环\n[最小化]\n参数=否\n[自动播放]\n参数=不自动\n"));
}

TEST_F(Menus, PlayModeItemsBehaveAsAPair)
{
    struct Step { QAction *MainWindowUi::*item; bool random; const char16_t *written; };
    start();
    const Step steps[] = {
        {&MainWindowUi::randomItem, true, u"随机"},
        {&MainWindowUi::randomItem, false, u"循环"},   // choosing random twice ends in loop
        {&MainWindowUi::loopItem, false, u"循环"},   // loop chosen in loop stays loop
        {&MainWindowUi::randomItem, true, u"随机"},
        {&MainWindowUi::loopItem, false, u"循环"},
    };
    int i = 0;
    for (const Step &step : steps) {
        SCOPED_TRACE(i++);
        (ui().*step.item)->trigger();
        EXPECT_EQ(ui().randomItem->isChecked(), step.random);
        EXPECT_EQ(ui().loopItem->isChecked(), !step.random);
        EXPECT_EQ(MenuSkin::itemIcon(ui().randomItem), step.random ? int(MenuIcon::Check) : MenuSkin::kNoIcon);
        EXPECT_EQ(MenuSkin::itemIcon(ui().loopItem), step.random ? MenuSkin::kNoIcon : int(MenuIcon::Check));
        EXPECT_EQ(settingsLines(), QStringLiteral(u"[播放方式]\n参数=") + QString::fromUtf16(step.written) + u'\n');
    }
}

TEST_F(Menus, OptionCheckMarksFollowTheCheckStateHoweverItChanges)
{
    start();
    for (QAction *item : {ui().startMinimisedItem, ui().autoPlayItem, ui().randomItem, ui().loopItem}) {
        SCOPED_TRACE(item->text().toStdString());
        for (const bool checked : {true, false, true}) {
            item->setChecked(checked);
            EXPECT_EQ(MenuSkin::itemIcon(item), checked ? int(MenuIcon::Check) : MenuSkin::kNoIcon);
        }
        item->toggle();
        EXPECT_EQ(MenuSkin::itemIcon(item), MenuSkin::kNoIcon);
    }
}

TEST_F(Menus, TreeCaptionsAndIcons)
{
    start();
    struct Item { QAction *action; const char16_t *caption; int icon; };
    const Item items[] = {
        {ui().songFolderItem, u"歌曲目录", MenuSkin::kNoIcon},
        {ui().playPauseItem, u"播放&&暂停", int(MenuIcon::Play)},
        {ui().stopItem, u"停止", int(MenuIcon::Stop)},
        {ui().previousItem, u"上一首", int(MenuIcon::Previous)},
        {ui().nextItem, u"下一首", int(MenuIcon::Next)},
        {ui().quitItem, u"退出", int(MenuIcon::NoEntry)},
        {ui().moveUpItem, u"向上移动", int(MenuIcon::Up)},
        {ui().moveDownItem, u"向下移动", int(MenuIcon::Down)},
        {ui().deleteRowItem, u"指点删除", int(MenuIcon::Cross)},
        {ui().clearListItem, u"清空列表", int(MenuIcon::Bin)},
    };
    for (const Item &item : items) {
        SCOPED_TRACE(QString::fromUtf16(item.caption).toStdString());
        EXPECT_EQ(item.action->text(), QString::fromUtf16(item.caption));
        EXPECT_EQ(MenuSkin::itemIcon(item.action), item.icon);
        EXPECT_TRUE(item.action->isEnabled());
    }
    // The two pop-up menus are not in the menu bar.
    const QList<QAction *> bar = window().menuBar()->actions();
    ASSERT_EQ(bar.size(), 1);
    EXPECT_EQ(bar.first()->text(), QStringLiteral(u"初始化设置"));
    QStringList trayCaptions;
    for (const QAction *a : ui().trayMenu->actions())
        trayCaptions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(trayCaptions, QStringList({QStringLiteral(u"播放&&暂停"), QStringLiteral(u"停止"), QStringLiteral("-"),
                                         QStringLiteral(u"上一首"), QStringLiteral(u"下一首"), QStringLiteral("-"),
                                         QStringLiteral(u"退出")}));
}

// 淡入, 淡出 and 响度统一 start off, write their section the moment they change, and are
// read back checked at the next start.
TEST_F(Menus, RingtoneEffectItemsAreOffAtFirstAndKeptForTheNextStart)
{
    start();
    EXPECT_TRUE(ui().settingsMenu->actions().contains(ui().ringtoneEffectsMenu->menuAction()));
    EXPECT_EQ(ui().ringtoneEffectsMenu->objectName(), u"铃声效果"_s);
    struct Item { QAction *action; const char16_t *caption; };
    const Item items[] = {{ui().fadeInItem, u"淡入"}, {ui().fadeOutItem, u"淡出"}, {ui().evenLoudnessItem, u"响度统一"}};
    for (const Item &item : items) {
        SCOPED_TRACE(QString::fromUtf16(item.caption).toStdString());
        EXPECT_EQ(item.action->text(), QString::fromUtf16(item.caption));
        EXPECT_EQ(item.action->objectName(), QString::fromUtf16(item.caption));
        EXPECT_TRUE(item.action->isCheckable());
        EXPECT_FALSE(item.action->isChecked());
    }
    EXPECT_FALSE(settingsLines().contains(u"铃声效果"_s)) << "nothing is written before a choice";

    ui().fadeInItem->trigger();
    ui().evenLoudnessItem->trigger();
    ui().evenLoudnessItem->trigger();
    EXPECT_TRUE(ui().fadeInItem->isChecked());
    EXPECT_EQ(MenuSkin::itemIcon(ui().fadeInItem), int(MenuIcon::Check));
    EXPECT_FALSE(ui().evenLoudnessItem->isChecked());
    EXPECT_TRUE(settingsLines().endsWith(u"[铃声效果]\n淡入=是\n淡入秒数=1\n响度统一=否\n"_s));
    EXPECT_TRUE(settingsBytes().contains("\r\n"));

    start();
    EXPECT_TRUE(ui().fadeInItem->isChecked());
    EXPECT_FALSE(ui().fadeOutItem->isChecked());
    EXPECT_FALSE(ui().evenLoudnessItem->isChecked());
}
