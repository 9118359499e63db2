#pragma once

#include "fakedesktop.h"
#include "fakeplayer.h"

#include "app/window/mainwindow.h"
#include "app/desktop/mpris/windowcommands.h"
#include "app/controls/picturebox.h"
#include "app/controls/playercontrol.h"
#include "app/controls/searchcombobox.h"
#include "library/songlistmodel.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tunora::test {

// The song folder as the program holds it after a choice: stored, shown and scanned.
void showSongFolder(MainWindow &window, const QString &folder);

// Clicks one of the cut buttons and waits until the work it started, if any, is over and its
// outcome told, as a user waits for the message.
void clickCut(MainWindow &window, QAbstractButton *button);

// A main window over a fake player and desktop, with a temporary program directory that
// holds the settings file.
class WindowFixture : public ::testing::Test {
protected:
    // The settings file's raw bytes, and its text decoded from GBK.
    QString settingsPath() const;
    void writeSettingsGbk(const QString &text) const;
    QByteArray settingsBytes() const;
    QString settingsText() const;
    // The decoded text with line ends as "\n", whatever the file uses.
    QString settingsLines() const { return settingsText().remove(QLatin1Char('\r')); }

    // Creates the window and runs its creation handler; `beforeStartUp` sees the window first.
    MainWindow &start(const std::function<void(MainWindow &)> &beforeStartUp = {});
    MainWindow &window() { return *m_window; }
    MainWindowUi &ui() { return m_window->ui(); }
    PlaybackSession &session() { return *m_session; }
    // What the desktop's services may ask of this window.
    WindowCommands windowCommands()
    {
        return {[this] { m_window->raiseWindow(); }, [this] { m_window->shutdown(); }};
    }
    QString programDirectory() const { return m_programDir.path(); }
    void showSongFolder(const QString &folder) { tunora::test::showSongFolder(*m_window, folder); }
    void clickCut(QAbstractButton *button) { tunora::test::clickCut(*m_window, button); }

    QTemporaryDir m_programDir;
    FakePlayer m_player;
    FakeDesktop m_desktop;
    QList<int> m_exitCodes;
    std::unique_ptr<PlaybackSession> m_session;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace tunora::test
