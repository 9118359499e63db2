#pragma once

#include "app/desktop/mpris/windowcommands.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>

namespace tunora {

class PlaybackSession;

// The bus's view of the program itself (org.mpris.MediaPlayer2): its name, the files it
// opens, and raising or ending it.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit CONSTANT)
    Q_PROPERTY(bool CanRaise READ canRaise CONSTANT)
    Q_PROPERTY(bool HasTrackList READ hasTrackList CONSTANT)
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    MprisRoot(const PlaybackSession &session, WindowCommands window, QObject *service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList supportedUriSchemes() const;
    // The kinds the song folder lists: the music formats of the settings file.
    QStringList supportedMimeTypes() const;

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    const PlaybackSession &m_session;
    WindowCommands m_window;
};

} // namespace tunora
