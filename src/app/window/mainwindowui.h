#pragma once

#include "app/controls/namelabel.h"

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
class PlaybackSession;
class MenuSkin;
class PictureBox;
class PlayerControl;
class SearchComboBox;
class SongListModel;
class SpinControl;

// The main window's controls, named by their job. Each keeps the name the window description
// gives it as its objectName, set where the window is built, so screen-reader runs, tests and
// anyone comparing with that description find it by that name.
struct MainWindowUi {
    // Window
    PlayerControl *playerFace = nullptr;
    SearchComboBox *searchBox = nullptr;
    QListView *songFileList = nullptr;
    PictureBox *bannerPicture = nullptr;
    MenuSkin *menuSkin = nullptr;
    QTimer *endMarkClock = nullptr;
    // 歌曲信息
    QGroupBox *songInfoGroup = nullptr;
    NameLabel *songNameLabel = nullptr;   // 歌曲名： and the current song
    NameLabel *songFolderLabel = nullptr;   // 歌曲路径： and the song folder
    // 剪切工具
    QGroupBox *cutToolsGroup = nullptr;
    QPushButton *markStartButton = nullptr;
    SpinControl *startSpin = nullptr;
    QLabel *startMarkLabel = nullptr;
    QLabel *startEntryCaption = nullptr;
    QLineEdit *startEntryBox = nullptr;
    QLabel *stepCaption = nullptr;
    QLineEdit *stepBox = nullptr;
    QPushButton *markEndButton = nullptr;
    SpinControl *endSpin = nullptr;
    QLabel *endMarkLabel = nullptr;
    QLabel *endEntryCaption = nullptr;
    QLineEdit *endEntryBox = nullptr;
    QLabel *previewLeadCaption = nullptr;
    QLineEdit *previewLeadBox = nullptr;
    QPushButton *refreshButton = nullptr;
    QPushButton *cutSelectedButton = nullptr;
    QPushButton *cutAllButton = nullptr;
    QPushButton *mergeAllButton = nullptr;
    QPushButton *endPreviewButton = nullptr;
    QTreeView *songListView = nullptr;
    QPlainTextEdit *instructionsBox = nullptr;

    // The models behind the two lists are those lists' state.
    SongFileListModel *songFiles = nullptr;  // entries of songFileList
    SongListModel *songList = nullptr;       // rows of songListView

    // Menus: 初始化设置 in the menu bar; 托盘菜单 and 合并菜单 only ever pop up.
    QMenu *settingsMenu = nullptr;
    QAction *songFolderItem = nullptr;
    QAction *startMinimisedItem = nullptr;
    QAction *autoPlayItem = nullptr;
    QMenu *playModeMenu = nullptr;
    QAction *randomItem = nullptr;
    QAction *loopItem = nullptr;
    QMenu *ringtoneEffectsMenu = nullptr; // what a cut or merge does to the sound, all off at first
    QAction *fadeInItem = nullptr;
    QAction *fadeOutItem = nullptr;
    QAction *evenLoudnessItem = nullptr;
    QMenu *trayMenu = nullptr;
    QAction *playPauseItem = nullptr;   // caption "播放&&暂停"
    QAction *stopItem = nullptr;
    QAction *previousItem = nullptr;
    QAction *nextItem = nullptr;
    QAction *quitItem = nullptr;
    QMenu *songListMenu = nullptr;
    QAction *moveUpItem = nullptr;
    QAction *moveDownItem = nullptr;
    QAction *deleteRowItem = nullptr;
    QAction *clearListItem = nullptr;

    void setupUi(QMainWindow *window, PlaybackSession &session);
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
