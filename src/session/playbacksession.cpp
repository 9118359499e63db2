#include "playbacksession.h"

#include "library/folderscan.h"
#include "platform/files/fileio.h"
#include "platform/files/filenames.h"
#include "platform/files/hostpaths.h"

#include <QtGlobal>

namespace tunora {

namespace {

QString unreadableText(const QString &shownPath)
{
    return QStringLiteral(u"无法打开歌曲：%1\n文件不存在或不可读取。").arg(shownPath);
}

} // namespace

PlaybackSession::PlaybackSession(MediaPlayer &player, const FilePath &programDirectory, QObject *parent)
    : QObject(parent)
    , m_player(player)
    , m_programDirectory(programDirectory)
    , m_settings(programDirectory)
    , m_volume(player.volume())
    , m_random(std::random_device{}())
{
    connect(&m_player, &MediaPlayer::openStateChanged, this, &PlaybackSession::onOpenStateChanged);
    connect(&m_player, &MediaPlayer::playStateChanged, this, &PlaybackSession::onPlayStateChanged);
    connect(&m_player, &MediaPlayer::advancingByItself, this, &PlaybackSession::onAdvancingByItself);
}

QStringList PlaybackSession::songNames() const
{
    QStringList names;
    names.reserve(m_songs.size());
    for (const FilePath &song : m_songs)
        names.append(song.fileName());
    return names;
}

int PlaybackSession::lastIndexOfName(const QString &name) const
{
    for (int i = int(m_songs.size()) - 1; i >= 0; --i) {
        if (m_songs[i].fileName() == name)
            return i;
    }
    return -1;
}

void PlaybackSession::useSongFolder(const FilePath &folder)
{
    m_songFolder = withTrailingSeparator(folder);
    rescan();
}

void PlaybackSession::refresh()
{
    if (m_songFolder.isEmpty())
        m_songFolder = withTrailingSeparator(m_programDirectory);
    rescan();
}

void PlaybackSession::rescan()
{
    m_settings.setSongFolder(m_songFolder);
    Q_EMIT songFolderChanged(m_songFolder);
    setSongs(scanFolder(m_songFolder, m_settings.musicFormats()));
}

void PlaybackSession::setSongs(QList<FilePath> songs)
{
    m_songs = std::move(songs);
    m_unplayable.clear();
    m_player.setPlaylist(m_songs);
    Q_EMIT songsChanged();
}

void PlaybackSession::setCurrentSongName(const QString &name)
{
    m_currentSongName = name;
    Q_EMIT currentSongChanged(name);
}

void PlaybackSession::setPlayMode(PlayMode mode)
{
    m_playMode = mode;
    m_settings.setPlayMode(mode);
    Q_EMIT playModeChanged(mode);
}

void PlaybackSession::setVolume(int percent)
{
    percent = qBound(0, percent, 100);
    if (percent == m_volume)
        return;
    m_volume = percent;
    m_player.setVolume(percent);
    Q_EMIT volumeChanged(percent);
}

void PlaybackSession::playItem(int index)
{
    if (index < 0 || index >= m_songs.size())
        return; // the player ignores it: nothing will open
    Q_EMIT entryChosen(index);
    m_player.playItem(index);
}

void PlaybackSession::randomPick()
{
    if (m_songs.isEmpty())
        return;
    std::uniform_int_distribution<int> pick(0, int(m_songs.size()) - 1);
    playItem(pick(m_random));
}

void PlaybackSession::next()
{
    if (m_playMode == PlayMode::Random)
        randomPick();
    else
        m_player.next();
}

void PlaybackSession::previous()
{
    if (m_playMode == PlayMode::Random)
        randomPick();
    else
        m_player.previous();
}

void PlaybackSession::playPause()
{
    const bool playing = m_player.playState() == PlayState::Playing;
    if (playing)
        m_player.pause();
    else
        m_player.play();
    Q_EMIT playPauseChosen(!playing);
}

void PlaybackSession::stop()
{
    m_player.stop();
}

void PlaybackSession::seek(double seconds)
{
    m_player.setCurrentPosition(seconds);
}

bool PlaybackSession::openFiles(const QList<FilePath> &paths)
{
    for (const FilePath &path : paths) {
        if (open(path))
            return true;
    }
    return false;
}

bool PlaybackSession::open(const FilePath &path)
{
    const FilePath file = absolutePath(path);
    const QString shown = displayPath((file.isEmpty() ? path : file).text());
    if (file.isEmpty() || !ReadFile(file).isOpen()) {
        Q_EMIT openRefused(unreadableText(shown));
        return false;
    }
    const QString name = file.fileName();
    const MusicFormats formats = m_settings.musicFormats();
    // A song the folder's list would not show could not be double-clicked either.
    if (!formats.listsName(name)) {
        Q_EMIT openRefused(QStringLiteral(u"无法播放歌曲：%1\n它的格式不在音乐格式（%2）之中。").arg(shown, formats.text));
        return false;
    }
    useSongFolder(file.folder());
    const int entry = int(songNames().indexOf(name));
    if (entry < 0) { // gone between the check and the scan
        Q_EMIT openRefused(unreadableText(shown));
        return false;
    }
    playItem(entry);
    return true;
}

void PlaybackSession::onOpenStateChanged(OpenState state)
{
    if (state == OpenState::MediaFailed) {
        m_unplayable.insert(m_songs.indexOf(m_player.currentSource()));
        return;
    }
    if (state != OpenState::MediaOpen)
        return;
    const int match = lastIndexOfName(m_player.currentSource().fileName());
    if (match < 0)
        return;
    Q_EMIT entryChosen(match);
    setCurrentSongName(songName(match));
}

void PlaybackSession::onPlayStateChanged(PlayState state)
{
    if (state == PlayState::Playing)
        m_unplayable.clear();
}

void PlaybackSession::onAdvancingByItself()
{
    if (m_playMode != PlayMode::Random)
        return;
    // The player's own move to the next song becomes a random one, among the songs not yet
    // found unplayable; with none left the player's own round ends it.
    QList<int> candidates;
    for (int i = 0; i < m_songs.size(); ++i) {
        if (!m_unplayable.contains(i))
            candidates.append(i);
    }
    if (candidates.isEmpty())
        return;
    std::uniform_int_distribution<int> pick(0, int(candidates.size()) - 1);
    playItem(candidates[pick(m_random)]);
}

} // namespace tunora
