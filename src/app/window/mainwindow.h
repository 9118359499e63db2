#pragma once

#include "app/window/appcontext.h"
#include "app/window/mainwindowui.h"

#include <QMainWindow>

#include <memory>

class QSystemTrayIcon;

namespace tunora {

class CuttingHandlers;
class SeekStripHandlers;
class EndMarkTimer;
class LibraryHandlers;
class MarkingHandlers;
class OptionHandlers;
class PlaybackHandlers;
class SongListEditHandlers;

// The one window, and the composition root that connects its controls to the handlers.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(PlaybackSession &session, Desktop &desktop, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The creation handler: restores the settings and brings the window into its first
    // state, shown or in the tray.
    void startUp();

    MainWindowUi &ui() { return m_ui; }
    AppContext &context() { return m_context; }
    PlaybackSession &session() { return m_context.session; }
    CuttingHandlers &cutting() { return *m_cutting; }
    SeekStripHandlers &seekStrip() { return *m_seekStrip; }
    // Present exactly while the window is hidden in the tray.
    QSystemTrayIcon *trayIcon() const { return m_tray; }

    void shutdown();
    void restoreFromTray();
    // Brings the window before the user: out of the tray, out of the task bar, or to the front.
    void raiseWindow();

    // Songs opened from outside: the first that opens plays, its folder listed (the others
    // before it are reported in message boxes). False when none opens.
    bool openSongFiles(const QList<FilePath> &paths);

    // The banner bannerPicture: the version and where the settings file and the README are.
    void showAbout();

Q_SIGNALS:
    // Once: when the window's first frame is on the screen, or when it started minimised, or
    // when no frame came soon after start-up (a window mapped on another desktop or covered
    // whole is not drawn). Work that would hold up that frame (the engine's loading) waits.
    void firstShown();

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void giveWindowIcon();
    void markFirstShown();
    void minimiseToTray();
    void removeTrayIcon();

    MainWindowUi m_ui;
    AppContext m_context;
    std::unique_ptr<OptionHandlers> m_options;
    std::unique_ptr<LibraryHandlers> m_library;
    std::unique_ptr<PlaybackHandlers> m_playback;
    std::unique_ptr<EndMarkTimer> m_endMarkTimer;
    std::unique_ptr<MarkingHandlers> m_marking;
    std::unique_ptr<SeekStripHandlers> m_seekStrip;
    std::unique_ptr<CuttingHandlers> m_cutting;
    std::unique_ptr<SongListEditHandlers> m_songListEdit;
    QSystemTrayIcon *m_tray = nullptr;
    bool m_shuttingDown = false;
    bool m_firstShown = false;
    bool m_minimiseOnFirstFrame = false;
};

} // namespace tunora
