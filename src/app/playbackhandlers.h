#pragma once

#include <QObject>

#include <random>

namespace tunora {

struct AppContext;

// Every way a song starts, pauses, stops or changes, and the two player events that keep
// the window in step with the player.
class PlaybackHandlers : public QObject {
    Q_OBJECT

public:
    explicit PlaybackHandlers(AppContext &context, QObject *parent = nullptr);

    void playEntry();
    void randomPick();
    void nextSong();
    void previousSong();

private:
    AppContext &m_context;
    // Seeded once from the system's entropy source: reseeding from the clock at every
    // pick would repeat a pick made within the same tick.
    std::mt19937 m_random;
};

} // namespace tunora
