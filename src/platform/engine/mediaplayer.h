#pragma once

#include "platform/files/filepath.h"

#include <QList>
#include <QObject>
#include <QString>

namespace tunora {

// The player's state, as the window's handlers react to it. Transitioning: the player moves
// on to the next item by itself (the current one ended).
enum class PlayState { Undefined, Stopped, Paused, Playing, Transitioning };
// MediaOpen: the current item is open and its length known, as far as it can be.
// MediaFailed: the current item cannot be played (no audio, damaged, gone); the player then
// moves on as at the end of a song.
enum class OpenState { Undefined, MediaOpen, MediaFailed };

// A length in seconds as text, the form the song list keeps it in: decimal seconds with three
// places ("245.512"); empty when the length is unknown (negative or not a number).
QString durationText(double seconds);

// The narrow view of the media engine that the program relies on. Indexes count from 0.
// Events are delivered on the GUI thread, never from inside a call that caused them
// unless the implementation says so; handlers must cope with either.
class MediaPlayer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~MediaPlayer() override = default;

    // The current playlist, replaced whole in one step (a scan of a large folder gives it).
    virtual void setPlaylist(const QList<FilePath> &paths) = 0;
    virtual int itemCount() const = 0;
    // Item `index`, empty when out of range.
    virtual FilePath item(int index) const = 0;

    // Transport. playItem() with an index out of range is ignored.
    virtual void playItem(int index) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual PlayState playState() const = 0;

    // Seconds from the start of the current media. A position written before the media
    // has opened is applied once it opens.
    virtual double currentPosition() const = 0;
    virtual void setCurrentPosition(double seconds) = 0;

    // The current media's length in seconds; negative while unknown or without media.
    virtual double duration() const = 0;
    // The current media; empty without media.
    virtual FilePath currentSource() const = 0;

    virtual int volume() const = 0;
    virtual void setVolume(int percent) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;

Q_SIGNALS:
    void openStateChanged(tunora::OpenState state);
    void playStateChanged(tunora::PlayState state);
    // The current item ended (or could not be played) and the player moves on to the next
    // item by itself, right after Transitioning. A handler that plays another item instead
    // overrules it. Never sent for a switch the program asked for.
    void advancingByItself();
    // The position was set (setCurrentPosition(), from any control) rather than played on
    // to: whatever was planned from the old position must be planned anew.
    void seeked();
};

} // namespace tunora
