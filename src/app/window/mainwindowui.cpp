#include "app/window/mainwindowui.h"

#include "app/window/accessiblenames.h"
#include "app/controls/artwork.h"
#include "app/controls/menuskin.h"
#include "app/controls/picturebox.h"
#include "app/controls/playercontrol.h"
#include "app/controls/searchcombobox.h"
#include "app/controls/spincontrol.h"

#include "library/songlistmodel.h"

#include <QAbstractItemView>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStringListModel>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>

namespace tunora {

namespace {

// The client area below the menu bar that the fixed layout fills.
constexpr int kClientWidth = 648;
constexpr int kClientHeight = 432;

template <typename W>
W *place(W *widget, const char16_t *name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel *label(QWidget *parent, const char16_t *name, const QString &text, int x, int y, int w, int h)
{
    auto *l = place(new QLabel(text, parent), name, x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

NameLabel *nameLabel(QWidget *parent, const char16_t *name, const QString &prefix, int x, int y, int w, int h)
{
    auto *l = place(new NameLabel(prefix, parent), name, x, y, w, h);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

QPushButton *button(QWidget *parent, const char16_t *name, const QString &text, int x, int y, int w, int h)
{
    return place(new QPushButton(text, parent), name, x, y, w, h);
}

// Single-line boxes that take only a decimal number, up to a length.
QLineEdit *numberBox(QWidget *parent, const char16_t *name, const QString &text, int maxLength,
                     int x, int y, int w, int h)
{
    auto *box = place(new QLineEdit(parent), name, x, y, w, h);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), box));
    box->setMaxLength(maxLength);
    box->setText(text);
    box->setTextMargins(0, 0, 0, 0);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::Base, Qt::white);
    box->setPalette(pal);
    return box;
}

QAction *menuItem(QMenu *menu, const char16_t *name, const QString &caption, int icon = MenuSkin::kNoIcon)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromUtf16(name));
    MenuSkin::setItemIcon(item, icon);
    return item;
}

QAction *optionItem(QMenu *menu, const char16_t *name, bool checked)
{
    QAction *item = menuItem(menu, name, QString::fromUtf16(name));
    item->setCheckable(true);
    item->setChecked(checked);
    MenuSkin::showCheckState(item);
    return item;
}

} // namespace

void MainWindowUi::setupUi(QMainWindow *window, PlaybackSession &session)
{
    window->setObjectName(QStringLiteral("mainWindow"));
    window->setWindowTitle(ui_text::kCaption);

    auto *client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    window->setCentralWidget(client);
    QFont font = window->font();
    font.setPixelSize(12);
    window->setFont(font);

    playerFace = place(new PlayerControl(session, client), u"播放器1", 8, 0, 464, 64);
    searchBox = place(new SearchComboBox(client), u"组合框1", 472, 0, 168, 20);

    songFiles = new SongFileListModel(window);
    songFiles->setObjectName(QStringLiteral("songFiles"));
    songFileList = place(new QListView(client), u"列表框1", 472, 24, 168, 376);
    songFileList->setModel(songFiles);
    songFileList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    songFileList->setSelectionMode(QAbstractItemView::SingleSelection);
    songFileList->setUniformItemSizes(true);

    bannerPicture = place(new PictureBox(client), u"图片框1", 496, 400, 107, 24);
    bannerPicture->setPixmapSource(aboutBanner);
    bannerPicture->setCursor(Qt::PointingHandCursor);

    menuSkin = new MenuSkin(window);
    menuSkin->setObjectName(QStringLiteral(u"超级菜单1"));
    endMarkClock = new QTimer(window);
    endMarkClock->setObjectName(QStringLiteral(u"时钟1"));
    endMarkClock->setInterval(0);

    songInfoGroup = place(new QGroupBox(QStringLiteral(u"歌曲信息"), client), u"分组框1", 8, 64, 464, 72);
    songNameLabel = nameLabel(songInfoGroup, u"标签1", ui_text::kSongNamePrefix, 8, 16, 448, 24);
    songFolderLabel = nameLabel(songInfoGroup, u"标签2", ui_text::kSongFolderPrefix, 8, 40, 448, 24);

    cutToolsGroup = place(new QGroupBox(QStringLiteral(u"剪切工具"), client), u"分组框2", 8, 136, 464, 288);
    QWidget *tools = cutToolsGroup;
    markStartButton = button(tools, u"按钮3", QStringLiteral(u"开始标记↓"), 8, 16, 120, 24);
    startSpin = place(new SpinControl(tools), u"调节器1", 128, 16, 16, 24);
    startMarkLabel = label(tools, u"标签3", ui_text::kStartPrefix, 152, 16, 96, 24);
    startEntryCaption = label(tools, u"标签9", QStringLiteral(u"定位："), 256, 16, 32, 24);
    startEntryBox = numberBox(tools, u"编辑框3", QString(), 6, 296, 16, 40, 24);
    stepCaption = label(tools, u"标签7", QStringLiteral(u"调整上下时间："), 344, 16, 80, 24);
    stepBox = numberBox(tools, u"编辑框2", QStringLiteral("0.2"), 3, 432, 16, 24, 24);
    markEndButton = button(tools, u"按钮4", QStringLiteral(u"结束标记↑"), 8, 48, 120, 24);
    endSpin = place(new SpinControl(tools), u"调节器2", 128, 48, 16, 24);
    endMarkLabel = label(tools, u"标签4", ui_text::kEndPrefix, 152, 48, 96, 24);
    endEntryCaption = label(tools, u"标签10", QStringLiteral(u"定位："), 256, 48, 32, 24);
    endEntryBox = numberBox(tools, u"编辑框4", QString(), 6, 296, 48, 40, 24);
    previewLeadCaption = label(tools, u"标签6", QStringLiteral(u"试听结束时间："), 344, 48, 80, 24);
    previewLeadBox = numberBox(tools, u"编辑框5", QStringLiteral("3"), 2, 432, 48, 16, 24);
    refreshButton = button(tools, u"按钮7", QStringLiteral(u"刷新列表"), 8, 80, 80, 24);
    cutSelectedButton = button(tools, u"按钮5", QStringLiteral(u"单个剪切"), 96, 80, 80, 24);
    cutAllButton = button(tools, u"按钮9", QStringLiteral(u"全部剪切"), 184, 80, 80, 24);
    mergeAllButton = button(tools, u"按钮1", QStringLiteral(u"合并全部"), 272, 80, 80, 24);
    endPreviewButton = button(tools, u"按钮6", QStringLiteral(u"试听结束时间"), 360, 80, 96, 24);

    songList = new SongListModel(window);
    songList->setObjectName(QStringLiteral("songList"));
    songListView = place(new QTreeView(tools), u"超级列表框1", 8, 112, 448, 136);
    songListView->setModel(songList);
    songListView->setRootIsDecorated(false);
    songListView->setItemsExpandable(false);
    songListView->setUniformRowHeights(true);
    songListView->setAllColumnsShowFocus(true);
    songListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    songListView->setSelectionMode(QAbstractItemView::SingleSelection);
    songListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    songListView->setContextMenuPolicy(Qt::CustomContextMenu);
    songListView->header()->setStretchLastSection(false);
    songListView->header()->setSectionsMovable(false);
    const int widths[SongListModel::ColumnCount] = {200, 60, 60, 60, 60};
    for (int c = 0; c < SongListModel::ColumnCount; ++c)
        songListView->setColumnWidth(c, widths[c]);

    instructionsBox = place(new QPlainTextEdit(tools), u"编辑框1", 8, 248, 448, 32);
    instructionsBox->setReadOnly(true);
    instructionsBox->setPlainText(ui_text::kInstructions);
    instructionsBox->setFocusPolicy(Qt::NoFocus);
    // Two lines of text fill the box exactly; a scroll bar would only hide part of them.
    instructionsBox->document()->setDocumentMargin(1);
    instructionsBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    instructionsBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette instructionsPalette = instructionsBox->palette();
    instructionsPalette.setColor(QPalette::Text, QColor(255, 0, 0));
    instructionsBox->setPalette(instructionsPalette);

    // Menus
    settingsMenu = window->menuBar()->addMenu(QStringLiteral(u"初始化设置"));
    settingsMenu->setObjectName(QStringLiteral(u"初始化设置"));
    songFolderItem = menuItem(settingsMenu, u"歌曲目录", QStringLiteral(u"歌曲目录"));
    startMinimisedItem = optionItem(settingsMenu, u"开启最小化", false);
    autoPlayItem = optionItem(settingsMenu, u"自动播放", false);
    playModeMenu = settingsMenu->addMenu(QStringLiteral(u"播放方式"));
    playModeMenu->setObjectName(QStringLiteral(u"播放方式"));
    randomItem = optionItem(playModeMenu, u"随机", false);
    loopItem = optionItem(playModeMenu, u"循环", true);
    ringtoneEffectsMenu = settingsMenu->addMenu(QStringLiteral(u"铃声效果"));
    ringtoneEffectsMenu->setObjectName(QStringLiteral(u"铃声效果"));
    fadeInItem = optionItem(ringtoneEffectsMenu, u"淡入", false);
    fadeOutItem = optionItem(ringtoneEffectsMenu, u"淡出", false);
    evenLoudnessItem = optionItem(ringtoneEffectsMenu, u"响度统一", false);

    trayMenu = new QMenu(QStringLiteral(u"托盘菜单"), window);
    trayMenu->setObjectName(QStringLiteral(u"托盘菜单"));
    // A doubled ampersand shows one "&" and makes no access key.
    playPauseItem = menuItem(trayMenu, u"播放暂停", QStringLiteral(u"播放&&暂停"), int(MenuIcon::Play));
    stopItem = menuItem(trayMenu, u"停止", QStringLiteral(u"停止"), int(MenuIcon::Stop));
    trayMenu->addSeparator();
    previousItem = menuItem(trayMenu, u"上一首", QStringLiteral(u"上一首"), int(MenuIcon::Previous));
    nextItem = menuItem(trayMenu, u"下一首", QStringLiteral(u"下一首"), int(MenuIcon::Next));
    trayMenu->addSeparator();
    quitItem = menuItem(trayMenu, u"退出", QStringLiteral(u"退出"), int(MenuIcon::NoEntry));

    songListMenu = new QMenu(QStringLiteral(u"合并菜单"), window);
    songListMenu->setObjectName(QStringLiteral(u"合并菜单"));
    moveUpItem = menuItem(songListMenu, u"向上移动", QStringLiteral(u"向上移动"), int(MenuIcon::Up));
    moveDownItem = menuItem(songListMenu, u"向下移动", QStringLiteral(u"向下移动"), int(MenuIcon::Down));
    songListMenu->addSeparator();
    deleteRowItem = menuItem(songListMenu, u"指点删除", QStringLiteral(u"指点删除"), int(MenuIcon::Cross));
    clearListItem = menuItem(songListMenu, u"清空列表", QStringLiteral(u"清空列表"), int(MenuIcon::Bin));

    for (QMenu *menu : {settingsMenu, playModeMenu, ringtoneEffectsMenu, trayMenu, songListMenu})
        MenuSkin::paint(menu);
    nameControlsForScreenReaders(*this);

    window->setFixedSize(window->sizeHint());
    window->move(50, 50);
}

} // namespace tunora
