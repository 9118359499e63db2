#include "app/window/mainwindow.h"

#include "app/window/about.h"
#include "app/panels/cuttinghandlers.h"
#include "app/panels/libraryhandlers.h"
#include "app/panels/markinghandlers.h"
#include "app/controls/artwork.h"
#include "app/panels/optionhandlers.h"
#include "app/controls/picturebox.h"
#include "app/panels/playbackhandlers.h"
#include "app/panels/seekstriphandlers.h"
#include "app/controls/playercontrol.h"
#include "app/window/shortcuts.h"
#include "app/panels/songlistedithandlers.h"

#include "marking/endmarktimer.h"
#include "app/desktop/desktop.h"
#include "platform/engine/mediaplayer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace tunora {

namespace {

// How long start-up waits for the first frame before doing what waits for it regardless.
constexpr int kFirstFrameWaitMs = 200;

} // namespace

MainWindow::MainWindow(PlaybackSession &session, Desktop &desktop, QWidget *parent)
    : QMainWindow(parent)
    , m_context{m_ui, session, session.player(), desktop, session.programDirectory(),
                [](int code) { QApplication::exit(code); }, nullptr, {}}
{
    MediaPlayer &player = session.player();
    m_ui.setupUi(this, session);
    m_endMarkTimer = std::make_unique<EndMarkTimer>(
        player, *m_ui.songList, [&session] { return session.currentSongName(); }, *m_ui.endMarkClock);
    m_context.endMarkTimer = m_endMarkTimer.get();
    m_options = std::make_unique<OptionHandlers>(m_context);
    m_library = std::make_unique<LibraryHandlers>(m_context);
    m_playback = std::make_unique<PlaybackHandlers>(m_context);
    m_marking = std::make_unique<MarkingHandlers>(m_context, [this] { m_playback->playSelectedRow(); });
    m_seekStrip = std::make_unique<SeekStripHandlers>(m_context, *m_marking);
    m_cutting = std::make_unique<CuttingHandlers>(m_context);
    m_songListEdit = std::make_unique<SongListEditHandlers>(m_context);
    // Said after the call that refused the song has returned, as a message box would hold it up.
    connect(&session, &PlaybackSession::openRefused, this, [this](const QString &message) {
        m_context.desktop.showMessage(message, MessageStyle::Error, QStringLiteral(u"错误"));
    }, Qt::QueuedConnection);
    connect(m_ui.quitItem, &QAction::triggered, this, &MainWindow::shutdown);
    connect(m_ui.bannerPicture, &PictureBox::leftPressed, this, &MainWindow::showAbout);
    // Enter in either list plays as its double-click does.
    giveWindowKeys(this, m_ui, session, [this] { m_playback->playEntry(); },
                   [this] { m_playback->songListDoubleClicked(); });
}

MainWindow::~MainWindow()
{
    removeTrayIcon();
}

void MainWindow::showAbout()
{
    m_context.desktop.showMessage(aboutText(m_context.settings().path(), readmeFile(m_context.programDirectory)),
                                  MessageStyle::Information, aboutTitle());
}

void MainWindow::startUp()
{
    // Every setting is read before any of them is applied.
    PlaybackSession &session = m_context.session;
    const SavedSettings &settings = session.settings();
    const FilePath folder = settings.songFolder();
    const PlayMode mode = settings.playMode();
    const bool startMinimised = settings.startMinimised();
    const bool autoPlay = settings.autoPlay();
    const RingtoneEffects effects = settings.ringtoneEffects();
    // Where a window asked to start minimised would open anyway (Wayland ignores the state
    // until the window is mapped), it is shown and then minimised as a user would.
    m_minimiseOnFirstFrame = startMinimised && !m_context.desktop.minimisesUnshownWindows();

    // The window goes on the screen before the folder is scanned: everything below is done
    // before it is first painted, so it shows the scanned list in its first frame.
    if (!startMinimised || m_minimiseOnFirstFrame) {
        show();
        QTimer::singleShot(kFirstFrameWaitMs, this, &MainWindow::markFirstShown);
    }

    if (!folder.isEmpty())
        session.useSongFolder(folder);
    session.setPlayMode(mode);

    if (startMinimised)
        m_ui.startMinimisedItem->setChecked(true);
    m_ui.fadeInItem->setChecked(effects.fadeIn);
    m_ui.fadeOutItem->setChecked(effects.fadeOut);
    m_ui.evenLoudnessItem->setChecked(effects.evenLoudness);

    if (autoPlay) {
        m_ui.autoPlayItem->setChecked(true);
        session.next();
        m_context.player.play();
    }

    if (!startMinimised || m_minimiseOnFirstFrame)
        return;
    // The tray and the task bar show the icon; there is no first frame to wait for.
    QTimer::singleShot(0, this, &MainWindow::markFirstShown);
    if (m_context.desktop.hasSystemTray())
        setWindowState(windowState() | Qt::WindowMinimized); // never shown: straight to the tray
    else
        showMinimized();
}

// The first paint is followed by the first frame reaching the screen: what waits for it is
// queued behind that paint. The window icon (six sizes drawn and sent whole to the display)
// is among it.
void MainWindow::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    if (!m_firstShown)
        QTimer::singleShot(0, this, &MainWindow::markFirstShown);
}

void MainWindow::markFirstShown()
{
    if (m_firstShown)
        return;
    m_firstShown = true;
    giveWindowIcon();
    if (m_minimiseOnFirstFrame) {
        m_minimiseOnFirstFrame = false;
        // Into the tray where there is one, as a user's minimise goes (changeEvent).
        setWindowState(windowState() | Qt::WindowMinimized);
    }
    Q_EMIT firstShown();
}

void MainWindow::giveWindowIcon()
{
    if (!testAttribute(Qt::WA_SetWindowIcon))
        setWindowIcon(tunora::windowIcon());
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        minimiseToTray();
}

void MainWindow::minimiseToTray()
{
    // Without a tray there would be nothing to bring the window back: stay minimised.
    if (!m_context.desktop.hasSystemTray() || m_shuttingDown)
        return;
    // Hiding from inside the state change confuses some window managers: do it next.
    QMetaObject::invokeMethod(this, [this] {
        if (!isMinimized() || m_shuttingDown)
            return;
        hide();
        giveWindowIcon();
        if (!m_tray) {
            m_tray = new QSystemTrayIcon(windowIcon(), this);
            m_tray->setObjectName(QStringLiteral("trayIcon"));
            m_tray->setToolTip(windowTitle());
            m_tray->setContextMenu(m_ui.trayMenu);
            connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    restoreFromTray();
            });
        }
        m_tray->show();
    }, Qt::QueuedConnection);
}

void MainWindow::restoreFromTray()
{
    if (isVisible()) {
        hide();
        return;
    }
    showNormal();
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    activateWindow();
    removeTrayIcon();
}

void MainWindow::raiseWindow()
{
    if (!isVisible()) {
        restoreFromTray();
        return;
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

bool MainWindow::openSongFiles(const QList<FilePath> &paths)
{
    return m_context.session.openFiles(paths);
}

void MainWindow::removeTrayIcon()
{
    if (!m_tray)
        return;
    m_tray->hide();
    m_tray->setContextMenu(nullptr);
    delete m_tray;
    m_tray = nullptr;
}

void MainWindow::shutdown()
{
    m_shuttingDown = true;
    removeTrayIcon();
    m_context.endProgram(0);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    shutdown();
    event->accept();
}

} // namespace tunora
