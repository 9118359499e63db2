// The play position of the real engine as the program reads it: reported seeks, and a song
// whose bytes stop coming for a while, as from a music folder on a network share or a disk
// that is waking up (a local server that pauses mid-song; it sends the song's length first,
// so the engine knows how long the song is, as for a file).
#include "platform/engine/mpvplayer.h"
#include "support/filepaths.h"
#include "platform/numbers/numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tunora;

namespace {

constexpr int kTimeoutMs = 20000;
// The fixture's audio: 64 kbit/s after a first frame that holds no sound (the encoder's
// "Info" frame, which tells the engine the song's length).
constexpr double kBytesPerSecond = 8000;
constexpr qsizetype kInfoFrameBytes = 208;

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Serves one song over HTTP, with its length, to the first client: `first` at once, then
// after `pause` the rest.
class SlowServer {
public:
    SlowServer(QByteArray first, std::chrono::milliseconds pause, QByteArray rest)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_socket < 0 || ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
            || ::listen(m_socket, 1) != 0
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([=, this] { serve(first, pause, rest); });
    }
    ~SlowServer()
    {
        m_cancel = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_socket >= 0)
            ::close(m_socket);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(m_port); }
    bool isListening() const { return m_port != 0; }
    // nowMs() at the pause's end; 0 until then.
    qint64 resumedAt() const { return m_resumedAt; }

private:
    // Waits until `fd` is ready for `events`, in short rounds so that the test can end it.
    bool ready(int fd, short events)
    {
        pollfd entry{fd, events, 0};
        while (!m_cancel) {
            if (::poll(&entry, 1, 20) > 0)
                return true;
        }
        return false;
    }
    void serve(const QByteArray &first, std::chrono::milliseconds pause, const QByteArray &rest)
    {
        if (!ready(m_socket, POLLIN))
            return;
        const int client = ::accept(m_socket, nullptr, nullptr);
        if (client < 0)
            return;
        QByteArray request;
        char buffer[1024];
        while (!request.contains("\r\n\r\n") && ready(client, POLLIN)) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, n);
        }
        const QByteArray header = "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nContent-Length: "
            + QByteArray::number(first.size() + rest.size()) + "\r\nConnection: close\r\n\r\n";
        sendAll(client, header + first);
        const auto until = std::chrono::steady_clock::now() + pause;
        while (!m_cancel && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        m_resumedAt = nowMs();
        sendAll(client, rest);
        ::close(client);
    }
    void sendAll(int fd, const QByteArray &bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size() && ready(fd, POLLOUT)) {
            const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n < 0 && errno != EINTR && errno != EAGAIN)
                return;
            done += n > 0 ? n : 0;
        }
    }

    int m_socket = -1;
    quint16 m_port = 0;
    std::atomic_bool m_cancel = false;
    std::atomic<qint64> m_resumedAt = 0;
    std::thread m_thread;
};

struct Sample {
    qint64 at;
    double position;
};

} // namespace

TEST(MpvPlayerStall, ThePositionWaitsForTheEngineWhileItsSourceStalls)
{
    QFile file(QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(QStringLiteral(u"tone-2s.mp3")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray song = file.readAll();
    // Some 1.5 s of audio (enough for the engine to recognise the format), then a pause of
    // 3 s: the engine runs dry after 1.5 s and waits for about as long. The rest is 0.5 s.
    const qsizetype firstBytes = 12000;
    const double firstSeconds = double(firstBytes - kInfoFrameBytes) / kBytesPerSecond;
    ASSERT_GT(song.size(), firstBytes + 3000);

    SlowServer server(song.left(firstBytes), std::chrono::milliseconds(3000), song.mid(firstBytes));
    ASSERT_TRUE(server.isListening());

    QString error;
    const auto player = MpvPlayer::create(&error);
    ASSERT_NE(player, nullptr) << error.toStdString();
    player->setPlaylist(test::filePaths({server.url()}));
    player->playItem(0);

    // The position as a user would read it, every few milliseconds, until playback has gone
    // on for a while after the stall (and before the song's end). How soon the engine plays
    // again after the bytes come back depends on the machine's load, so no deadline but the
    // timeout holds it to that.
    std::vector<Sample> samples;
    QElapsedTimer clock;
    clock.start();
    const auto wentOn = [&] {
        return server.resumedAt() > 0 && nowMs() > server.resumedAt() + 400
            && player->currentPosition() > firstSeconds + 0.2;
    };
    while (clock.elapsed() < kTimeoutMs && !wentOn()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        samples.push_back({nowMs(), player->currentPosition()});
        QThread::msleep(3);
    }
    ASSERT_GT(server.resumedAt(), 0);
    ASSERT_GT(player->currentPosition(), firstSeconds + 0.2) << "playback did not go on after the stall";
    // The engine knew the whole length all along, so that bound did not hold the position.
    EXPECT_NEAR(player->duration(), 2.0, 0.1);
    player->stop();

    // While the bytes stopped coming, the position never ran past the audio there was (plus
    // the clock's lead of one report interval, 0.1 s), and it never stepped back by more than
    // that lead: a mark taken during the stall is where the sound was.
    double highestInStall = 0;
    double biggestStepBack = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].at < server.resumedAt())
            highestInStall = std::max(highestInStall, samples[i].position);
        if (i > 0)
            biggestStepBack = std::max(biggestStepBack, samples[i - 1].position - samples[i].position);
    }
    EXPECT_LE(highestInStall, firstSeconds + 0.15);
    EXPECT_LE(biggestStepBack, 0.11);
}

TEST(MpvPlayerSeek, EveryWrittenPositionIsReportedAfterTheCallWithThePositionAtItsTarget)
{
    QString error;
    const auto player = MpvPlayer::create(&error);
    ASSERT_NE(player, nullptr) << error.toStdString();
    QList<double> seekedAt;
    QObject::connect(player.get(), &MediaPlayer::seeked, player.get(),
                     [&] { seekedAt.append(player->currentPosition()); });

    // Without media there is nothing to move.
    player->setCurrentPosition(1.0);
    QTest::qWait(50);
    EXPECT_TRUE(seekedAt.isEmpty());

    const QString song = QDir(QStringLiteral(TUNORA_TEST_DATA_DIR)).filePath(QStringLiteral(u"tone-2s.mp3"));
    player->setPlaylist(test::filePaths({song}));
    // Before the media is open (it will start there) and while it plays.
    player->playItem(0);
    player->setCurrentPosition(0.5);
    EXPECT_TRUE(seekedAt.isEmpty()) << "reported later, not inside the call";
    ASSERT_TRUE(QTest::qWaitFor([&] { return seekedAt.size() == 1; }, kTimeoutMs));
    EXPECT_DOUBLE_EQ(seekedAt.last(), 0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player->playState() == PlayState::Playing; }, kTimeoutMs));

    player->setCurrentPosition(1.6);
    EXPECT_EQ(seekedAt.size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seekedAt.size() == 2; }, kTimeoutMs));
    EXPECT_DOUBLE_EQ(seekedAt.last(), 1.6);
    player->stop();
}
