#pragma once

#include "namelabel.h"

#include "library/songfilelistmodel.h"

#include <QString>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace tunora {

class MediaPlayer;
class MenuSkin;
class PictureBox;
class PlayerControl;
class SearchComboBox;
class SongListModel;
class SpinControl;

// The main window's controls, named as the window description names them (member names
// and objectName alike), the way a designer-generated form names its widgets.
struct MainWindowUi {
    // Window
    PlayerControl *播放器1 = nullptr;
    SearchComboBox *组合框1 = nullptr;
    QListView *列表框1 = nullptr;
    PictureBox *图片框1 = nullptr;
    MenuSkin *超级菜单1 = nullptr;
    QTimer *时钟1 = nullptr;
    // 歌曲信息
    QGroupBox *分组框1 = nullptr;
    NameLabel *标签1 = nullptr;   // 歌曲名： and the current song
    NameLabel *标签2 = nullptr;   // 歌曲路径： and the song folder
    // 剪切工具
    QGroupBox *分组框2 = nullptr;
    QPushButton *按钮3 = nullptr;
    SpinControl *调节器1 = nullptr;
    QLabel *标签3 = nullptr;
    QLabel *标签9 = nullptr;
    QLineEdit *编辑框3 = nullptr;
    QLabel *标签7 = nullptr;
    QLineEdit *编辑框2 = nullptr;
    QPushButton *按钮4 = nullptr;
    SpinControl *调节器2 = nullptr;
    QLabel *标签4 = nullptr;
    QLabel *标签10 = nullptr;
    QLineEdit *编辑框4 = nullptr;
    QLabel *标签6 = nullptr;
    QLineEdit *编辑框5 = nullptr;
    QPushButton *按钮7 = nullptr;
    QPushButton *按钮5 = nullptr;
    QPushButton *按钮9 = nullptr;
    QPushButton *按钮1 = nullptr;
    QPushButton *按钮6 = nullptr;
    QTreeView *超级列表框1 = nullptr;
    QPlainTextEdit *编辑框1 = nullptr;

    // The models behind the two lists are those lists' state.
    SongFileListModel *songFiles = nullptr;  // entries of 列表框1
    SongListModel *songList = nullptr;       // rows of 超级列表框1

    // Menus: 初始化设置 in the menu bar; 托盘菜单 and 合并菜单 only ever pop up.
    QMenu *初始化设置 = nullptr;
    QAction *歌曲目录 = nullptr;
    QAction *开启最小化 = nullptr;
    QAction *自动播放 = nullptr;
    QMenu *播放方式 = nullptr;
    QAction *随机 = nullptr;
    QAction *循环 = nullptr;
    QMenu *托盘菜单 = nullptr;
    QAction *播放暂停 = nullptr;   // caption "播放&&暂停"
    QAction *停止 = nullptr;
    QAction *上一首 = nullptr;
    QAction *下一首 = nullptr;
    QAction *退出 = nullptr;
    QMenu *合并菜单 = nullptr;
    QAction *向上移动 = nullptr;
    QAction *向下移动 = nullptr;
    QAction *指点删除 = nullptr;
    QAction *清空列表 = nullptr;

    void setupUi(QMainWindow *window, MediaPlayer &player);
};

namespace ui_text {
inline const QString kCaption = QStringLiteral(u"Tunora[原Clipvane] Ver 2.3 —Wenlo");
inline const QString kSongNamePrefix = QStringLiteral(u"歌曲名：");
inline const QString kSongFolderPrefix = QStringLiteral(u"歌曲路径：");
inline const QString kStartPrefix = QStringLiteral(u"开始时间：");
inline const QString kEndPrefix = QStringLiteral(u"结束时间：");
inline const QString kInstructions = QStringLiteral(
    u"使用说明： 双击歌曲，即可试听歌曲！选中歌曲右键可对列表进行编辑！生成歌曲从下到上排序（包括全部合并）！选择歌曲才能（单个剪切）或试（听结束时间）！");
} // namespace ui_text

} // namespace tunora
