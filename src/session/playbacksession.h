#pragma once

#include "playmode.h"
#include "savedsettings.h"

#include "platform/engine/mediaplayer.h"
#include "platform/files/filepath.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <random>

namespace tunora {

// The player's state and every command that changes it, with no widget in sight: the song
// folder and its songs (the one list the song-file list shows and the engine plays), the
// current song, the play mode and the volume. The window's controls, the tray menu, the keys
// and the desktop's media controls all call these commands and show these signals.
class PlaybackSession : public QObject {
    Q_OBJECT

public:
    PlaybackSession(MediaPlayer &player, const FilePath &programDirectory, QObject *parent = nullptr);

    MediaPlayer &player() const { return m_player; }
    const SavedSettings &settings() const { return m_settings; }
    const FilePath &programDirectory() const { return m_programDirectory; }

    // The song folder, ending with "/"; empty while none is chosen.
    const FilePath &songFolder() const { return m_songFolder; }
    const QList<FilePath> &songs() const { return m_songs; }
    // Item `index`'s file name, as the song-file list holds it.
    QString songName(int index) const { return m_songs.value(index).fileName(); }
    QStringList songNames() const;
    // The last song of that name (exact, case counts), or -1.
    int lastIndexOfName(const QString &name) const;

    // A folder chosen as the song folder: stored, shown and scanned.
    void useSongFolder(const FilePath &folder);
    // The song folder scanned again; without one, the program's folder becomes it.
    void refresh();
    // The list replaced, in the view and the player alike.
    void setSongs(QList<FilePath> songs);

    // The song the marks go to: the one opened last that the list holds, or the row played
    // last. Empty while there is none.
    const QString &currentSongName() const { return m_currentSongName; }
    void setCurrentSongName(const QString &name);

    PlayMode playMode() const { return m_playMode; }
    // Stored at once, also when it does not change.
    void setPlayMode(PlayMode mode);

    int volume() const { return m_volume; }
    void setVolume(int percent);

    // Commands. An index out of the list's range is ignored.
    void playItem(int index);
    // A random song of the list; nothing when it is empty.
    void randomPick();
    // In random mode a random song; else the player's next or previous in the list's order.
    void next();
    void previous();
    // Pauses while playing, else plays.
    void playPause();
    void stop();
    void seek(double seconds);
    // Songs opened from outside: the first that opens plays, its folder listed; the others
    // before it are refused with a message. False when none opens.
    bool openFiles(const QList<FilePath> &paths);

Q_SIGNALS:
    void songFolderChanged(const tunora::FilePath &folder);
    void songsChanged();
    // The list's entry that plays or is about to: the song-file list selects it.
    void entryChosen(int index);
    void currentSongChanged(const QString &name);
    void playModeChanged(tunora::PlayMode mode);
    void volumeChanged(int percent);
    // Play and pause was asked for: playing is what was asked, before the player reports it.
    void playPauseChosen(bool playing);
    // A song that cannot be opened, and why, for the user.
    void openRefused(const QString &message);

private:
    bool open(const FilePath &path);
    void rescan();
    void onOpenStateChanged(OpenState state);
    void onPlayStateChanged(PlayState state);
    void onAdvancingByItself();

    MediaPlayer &m_player;
    FilePath m_programDirectory;
    SavedSettings m_settings;
    FilePath m_songFolder;
    QList<FilePath> m_songs;
    QString m_currentSongName;
    PlayMode m_playMode = PlayMode::Loop;
    int m_volume;
    // Seeded once from the system's entropy source: reseeding from the clock at every pick
    // would repeat a pick made within the same tick.
    std::mt19937 m_random;
    // Items that could not be played since a song last played: the random advance passes
    // them over, so a folder of bad files is tried once each and then left.
    QSet<int> m_unplayable;
};

} // namespace tunora
