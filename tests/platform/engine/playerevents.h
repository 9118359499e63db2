#pragma once

// What the engine tests share: the fixtures' paths, generous waits, and a log of the events a
// player reports.
#include "platform/engine/mediaplayer.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QStringList>
#include <QTest>

#include <string>

namespace tunora::test {

// The machine running the tests may be busy: waits are generous, checks of timing loose.
inline constexpr int kTimeoutMs = 20000;

inline QString fixture(const QString &name)
{
    return QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(name);
}

inline QString stateName(PlayState state)
{
    switch (state) {
    case PlayState::Undefined:
        return QStringLiteral("Undefined");
    case PlayState::Stopped:
        return QStringLiteral("Stopped");
    case PlayState::Paused:
        return QStringLiteral("Paused");
    case PlayState::Playing:
        return QStringLiteral("Playing");
    case PlayState::Transitioning:
        return QStringLiteral("Transitioning");
    }
    return QStringLiteral("?");
}

// The player's events in the order they came, each MediaOpen and MediaFailed with the file
// then current.
class EventLog {
public:
    explicit EventLog(MediaPlayer &player)
    {
        QObject::connect(&player, &MediaPlayer::openStateChanged, &m_context, [this, &player](OpenState state) {
            if (state == OpenState::MediaOpen)
                m_events.append(QStringLiteral(u"open ")
                            + QFileInfo(player.currentSource().text()).fileName());
            else if (state == OpenState::MediaFailed)
                m_events.append(QStringLiteral(u"failed ")
                            + QFileInfo(player.currentSource().text()).fileName());
        });
        QObject::connect(&player, &MediaPlayer::playStateChanged, &m_context, [this](PlayState state) {
            m_events.append(QStringLiteral(u"state ") + stateName(state));
        });
    }
    const QStringList &events() const { return m_events; }
    qsizetype count(const QString &event) const { return m_events.count(event); }
    bool waitFor(const QString &event, qsizetype times = 1) const
    {
        return QTest::qWaitFor([&] { return count(event) >= times; }, kTimeoutMs);
    }
    std::string text() const { return m_events.join(QStringLiteral(u", ")).toStdString(); }
    void clear() { m_events.clear(); }

private:
    QObject m_context;
    QStringList m_events;
};

} // namespace tunora::test
