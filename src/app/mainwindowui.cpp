#include "mainwindowui.h"

#include "accessiblenames.h"
#include "artwork.h"
#include "menuskin.h"
#include "picturebox.h"
#include "playercontrol.h"
#include "searchcombobox.h"
#include "spincontrol.h"

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

void MainWindowUi::setupUi(QMainWindow *window, MediaPlayer &player)
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

    播放器1 = place(new PlayerControl(player, client), u"播放器1", 8, 0, 464, 64);
    组合框1 = place(new SearchComboBox(client), u"组合框1", 472, 0, 168, 20);

    songFiles = new SongFileListModel(window);
    songFiles->setObjectName(QStringLiteral("songFiles"));
    列表框1 = place(new QListView(client), u"列表框1", 472, 24, 168, 376);
    列表框1->setModel(songFiles);
    列表框1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    列表框1->setSelectionMode(QAbstractItemView::SingleSelection);
    列表框1->setUniformItemSizes(true);

    图片框1 = place(new PictureBox(client), u"图片框1", 496, 400, 107, 24);
    图片框1->setPixmapSource(aboutBanner);
    图片框1->setCursor(Qt::PointingHandCursor);

    超级菜单1 = new MenuSkin(window);
    超级菜单1->setObjectName(QStringLiteral(u"超级菜单1"));
    时钟1 = new QTimer(window);
    时钟1->setObjectName(QStringLiteral(u"时钟1"));
    时钟1->setInterval(0);

    分组框1 = place(new QGroupBox(QStringLiteral(u"歌曲信息"), client), u"分组框1", 8, 64, 464, 72);
    标签1 = nameLabel(分组框1, u"标签1", ui_text::kSongNamePrefix, 8, 16, 448, 24);
    标签2 = nameLabel(分组框1, u"标签2", ui_text::kSongFolderPrefix, 8, 40, 448, 24);

    分组框2 = place(new QGroupBox(QStringLiteral(u"剪切工具"), client), u"分组框2", 8, 136, 464, 288);
    QWidget *tools = 分组框2;
    按钮3 = button(tools, u"按钮3", QStringLiteral(u"开始标记↓"), 8, 16, 120, 24);
    调节器1 = place(new SpinControl(tools), u"调节器1", 128, 16, 16, 24);
    标签3 = label(tools, u"标签3", ui_text::kStartPrefix, 152, 16, 96, 24);
    标签9 = label(tools, u"标签9", QStringLiteral(u"定位："), 256, 16, 32, 24);
    编辑框3 = numberBox(tools, u"编辑框3", QString(), 6, 296, 16, 40, 24);
    标签7 = label(tools, u"标签7", QStringLiteral(u"调整上下时间："), 344, 16, 80, 24);
    编辑框2 = numberBox(tools, u"编辑框2", QStringLiteral("0.2"), 3, 432, 16, 24, 24);
    按钮4 = button(tools, u"按钮4", QStringLiteral(u"结束标记↑"), 8, 48, 120, 24);
    调节器2 = place(new SpinControl(tools), u"调节器2", 128, 48, 16, 24);
    标签4 = label(tools, u"标签4", ui_text::kEndPrefix, 152, 48, 96, 24);
    标签10 = label(tools, u"标签10", QStringLiteral(u"定位："), 256, 48, 32, 24);
    编辑框4 = numberBox(tools, u"编辑框4", QString(), 6, 296, 48, 40, 24);
    标签6 = label(tools, u"标签6", QStringLiteral(u"试听结束时间："), 344, 48, 80, 24);
    编辑框5 = numberBox(tools, u"编辑框5", QStringLiteral("3"), 2, 432, 48, 16, 24);
    按钮7 = button(tools, u"按钮7", QStringLiteral(u"刷新列表"), 8, 80, 80, 24);
    按钮5 = button(tools, u"按钮5", QStringLiteral(u"单个剪切"), 96, 80, 80, 24);
    按钮9 = button(tools, u"按钮9", QStringLiteral(u"全部剪切"), 184, 80, 80, 24);
    按钮1 = button(tools, u"按钮1", QStringLiteral(u"合并全部"), 272, 80, 80, 24);
    按钮6 = button(tools, u"按钮6", QStringLiteral(u"试听结束时间"), 360, 80, 96, 24);

    songList = new SongListModel(window);
    songList->setObjectName(QStringLiteral("songList"));
    超级列表框1 = place(new QTreeView(tools), u"超级列表框1", 8, 112, 448, 136);
    超级列表框1->setModel(songList);
    超级列表框1->setRootIsDecorated(false);
    超级列表框1->setItemsExpandable(false);
    超级列表框1->setUniformRowHeights(true);
    超级列表框1->setAllColumnsShowFocus(true);
    超级列表框1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    超级列表框1->setSelectionMode(QAbstractItemView::SingleSelection);
    超级列表框1->setSelectionBehavior(QAbstractItemView::SelectRows);
    超级列表框1->setContextMenuPolicy(Qt::CustomContextMenu);
    超级列表框1->header()->setStretchLastSection(false);
    超级列表框1->header()->setSectionsMovable(false);
    const int widths[SongListModel::ColumnCount] = {200, 60, 60, 60, 60};
    for (int c = 0; c < SongListModel::ColumnCount; ++c)
        超级列表框1->setColumnWidth(c, widths[c]);

    编辑框1 = place(new QPlainTextEdit(tools), u"编辑框1", 8, 248, 448, 32);
    编辑框1->setReadOnly(true);
    编辑框1->setPlainText(ui_text::kInstructions);
    编辑框1->setFocusPolicy(Qt::NoFocus);
    // Two lines of text fill the box exactly; a scroll bar would only hide part of them.
    编辑框1->document()->setDocumentMargin(1);
    编辑框1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    编辑框1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette instructionsPalette = 编辑框1->palette();
    instructionsPalette.setColor(QPalette::Text, QColor(255, 0, 0));
    编辑框1->setPalette(instructionsPalette);

    // Menus
    初始化设置 = window->menuBar()->addMenu(QStringLiteral(u"初始化设置"));
    初始化设置->setObjectName(QStringLiteral(u"初始化设置"));
    歌曲目录 = menuItem(初始化设置, u"歌曲目录", QStringLiteral(u"歌曲目录"));
    开启最小化 = optionItem(初始化设置, u"开启最小化", false);
    自动播放 = optionItem(初始化设置, u"自动播放", false);
    播放方式 = 初始化设置->addMenu(QStringLiteral(u"播放方式"));
    播放方式->setObjectName(QStringLiteral(u"播放方式"));
    随机 = optionItem(播放方式, u"随机", false);
    循环 = optionItem(播放方式, u"循环", true);

    托盘菜单 = new QMenu(QStringLiteral(u"托盘菜单"), window);
    托盘菜单->setObjectName(QStringLiteral(u"托盘菜单"));
    // A doubled ampersand shows one "&" and makes no access key.
    播放暂停 = menuItem(托盘菜单, u"播放暂停", QStringLiteral(u"播放&&暂停"), int(MenuIcon::Play));
    停止 = menuItem(托盘菜单, u"停止", QStringLiteral(u"停止"), int(MenuIcon::Stop));
    托盘菜单->addSeparator();
    上一首 = menuItem(托盘菜单, u"上一首", QStringLiteral(u"上一首"), int(MenuIcon::Previous));
    下一首 = menuItem(托盘菜单, u"下一首", QStringLiteral(u"下一首"), int(MenuIcon::Next));
    托盘菜单->addSeparator();
    退出 = menuItem(托盘菜单, u"退出", QStringLiteral(u"退出"), int(MenuIcon::NoEntry));

    合并菜单 = new QMenu(QStringLiteral(u"合并菜单"), window);
    合并菜单->setObjectName(QStringLiteral(u"合并菜单"));
    向上移动 = menuItem(合并菜单, u"向上移动", QStringLiteral(u"向上移动"), int(MenuIcon::Up));
    向下移动 = menuItem(合并菜单, u"向下移动", QStringLiteral(u"向下移动"), int(MenuIcon::Down));
    合并菜单->addSeparator();
    指点删除 = menuItem(合并菜单, u"指点删除", QStringLiteral(u"指点删除"), int(MenuIcon::Cross));
    清空列表 = menuItem(合并菜单, u"清空列表", QStringLiteral(u"清空列表"), int(MenuIcon::Bin));

    for (QMenu *menu : {初始化设置, 播放方式, 托盘菜单, 合并菜单})
        MenuSkin::paint(menu);
    nameControlsForScreenReaders(*this);

    window->setFixedSize(window->sizeHint());
    window->move(50, 50);
}

} // namespace tunora
